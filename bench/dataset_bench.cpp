// The dataset's two heavy patterns: loading a large business table, and the import's
// equality filter run once per sheet row.
//   dataset_bench [rows-to-load]   (default 1,000,000 rows x 10 columns)
#include "data/business_schema.h"
#include "data/connection.h"
#include "data/dataset.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>

#include <cstdio>
#include <random>
#include <sys/resource.h>

namespace {

long peakRssKb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

long currentRssKb()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * 4;
}

// Fills a wide table of `rows` rows; returns the bytes of cell data (texts as UTF-8, 8 per number).
qint64 fillTable(const QString& path, int rows)
{
    qint64 cellBytes = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        q.exec(QStringLiteral("CREATE TABLE T_Wide (ID1 INTEGER PRIMARY KEY, GoodsNO VARCHAR(50), GoodsName VARCHAR(100), "
                              "Spec VARCHAR(100), Unit VARCHAR(20), Price REAL, Quantity INTEGER, OrderDate DATETIME, "
                              "State BOOLEAN, Remark VARCHAR(255))"));
        db.transaction();
        q.prepare(QStringLiteral("INSERT INTO T_Wide VALUES (?,?,?,?,?,?,?,?,?,?)"));
        for (int i = 1; i <= rows; ++i) {
            const QString goods = QStringLiteral("P%1").arg(i, 7, 10, QLatin1Char('0'));
            const QString name = QStringLiteral("商品名称%1").arg(i % 997);
            const QString spec = QStringLiteral("%1ml×%2").arg(100 + i % 900).arg(1 + i % 24);
            const QString unit = QStringLiteral("箱");
            const QString date = QStringLiteral("2026-%1-%2 10:30:00").arg(1 + i % 12, 2, 10, QLatin1Char('0')).arg(1 + i % 28, 2, 10, QLatin1Char('0'));
            const QString remark = i % 3 ? QString() : QStringLiteral("备注 %1").arg(i);
            q.addBindValue(i);
            q.addBindValue(goods);
            q.addBindValue(name);
            q.addBindValue(spec);
            q.addBindValue(unit);
            q.addBindValue(1.5 + i % 1000);
            q.addBindValue(i % 50);
            q.addBindValue(date);
            q.addBindValue(i % 2 == 0);
            q.addBindValue(remark.isEmpty() ? QVariant() : QVariant(remark));
            q.exec();
            cellBytes += 8 * 5 + goods.toUtf8().size() + name.toUtf8().size() + spec.toUtf8().size()
                         + unit.toUtf8().size() + 8 + remark.toUtf8().size();
        }
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    return cellBytes;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Client.sdb"));
    data::createBusinessDatabase(path, false);
    const qint64 cellBytes = fillTable(path, rows);

    data::Connection conn(QStringLiteral("ConnADO"));
    conn.setConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + path);
    conn.connect();
    const long rssBefore = currentRssKb();
    {
        data::Query qry(QStringLiteral("qryCheck"), &conn);
        qry.setSql(QStringLiteral("select * from T_Wide order by ID1"));
        QElapsedTimer t;
        t.start();
        qry.open();
        const double seconds = t.elapsed() / 1000.0;
        const long rssLoaded = currentRssKb();
        std::printf("load %d rows x %d columns: %.2f s, dataset %.0f MB for %.0f MB of cell data (%.1fx), peak RSS %.0f MB\n",
                    qry.recordCount(), qry.fieldCount(), seconds, (rssLoaded - rssBefore) / 1024.0,
                    cellBytes / 1048576.0, (rssLoaded - rssBefore) * 1024.0 / static_cast<double>(cellBytes),
                    peakRssKb() / 1024.0);
    }

    // The import's pattern: one equality filter per sheet row over a 100,000-row table.
    data::Query qry(QStringLiteral("qryCheck"), &conn);
    qry.setSql(QStringLiteral("select * from T_Wide where ID1 <= 100000 order by ID1"));
    qry.open();
    std::mt19937 random(7);
    const int filters = 100000;
    int found = 0;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < filters; ++i) {
        const int key = static_cast<int>(random() % 200000) + 1; // half of them absent
        qry.setFiltered(false);
        qry.setFilter(QString());
        qry.setFilter(QStringLiteral("GoodsNO='P%1'").arg(key, 7, 10, QLatin1Char('0')));
        qry.setFiltered(true);
        found += qry.recordCount();
    }
    std::printf("%d equality filters over %d rows: %.3f s (%d found)\n", filters, std::min(rows, 100000),
                t.elapsed() / 1000.0, found);
    return 0;
}
