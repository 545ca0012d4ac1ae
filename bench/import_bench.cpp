// The sheet import against its peers. Prints medians for:
//  - the reference sheet (100,000 rows) into an empty SQLite business file, end to end
//    (workbook open + import) and the import alone, against the sqlite3 shell's .import of the
//    same rows as CSV;
//  - the same sheet against a target already holding 1,000,000 rows including all its keys;
//  - with VARNELO_TEST_PG set (scripts/postgres-test-server): the rows with Qty < 25 (10,000)
//    into PostgreSQL over ODBC, batched against one commit per row.
// usage: import_bench [RUNS]
#include "data/business_schema.h"
#include "data/connection.h"
#include "data/dataset.h"
#include "data/error.h"
#include "data/progress.h"
#include "data/user_dialog.h"
#include "import/import_sheet.h"
#include "import/import_target.h"
#include "tests/support/business_database.h"
#include "workbook/common/excel_connection.h"
#include "workbook/common/workbook_provider.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// The reference sheet's columns that T_Product does not have; added for the benchmark.
const char* extraColumns[] = {"Name VARCHAR(100)", "Qty INTEGER", "Amount REAL", "Made DATETIME", "Checked DATETIME",
                              "Note VARCHAR(255)"};

class Quiet : public data::UserDialog {
public:
    bool askOkCancel(const QString&, const QString&) override { return true; }
    void report(const QString& text, const QString&, data::ReportIcon) override { last = text; }
    QString last;
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        throw data::Error(program + QStringLiteral(" failed: ") + QString::fromUtf8(p.readAllStandardError()));
}

void sqlite(const QString& file, const QString& script)
{
    run(QStringLiteral("sqlite3"), {file, script});
}

QString jetString(const QString& path)
{
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + path
           + QStringLiteral(";Persist Security Info=False;Jet OLEDB:Database Password=KTlindervaspul.");
}

QString widenProducts()
{
    QString sql;
    for (const char* c : extraColumns)
        sql += QStringLiteral("ALTER TABLE T_Product ADD COLUMN %1;").arg(QLatin1String(c));
    return sql;
}

QString freshSqlite(const QString& dir, const QString& name)
{
    const QString path = dir + u'/' + name;
    QFile::remove(path);
    data::createBusinessDatabase(path, false);
    sqlite(path, widenProducts());
    return path;
}

struct Timing {
    double open = 0;
    double import = 0;
    QString report;
};

Timing importInto(const QString& workbook, const QString& business, const QString& sheetFilter = {},
                  importer::BatchLimits limits = {})
{
    QElapsedTimer clock;
    clock.start();
    data::Connection ConnExcel(QStringLiteral("ConnExcel"));
    ConnExcel.setConnectionString(workbook::excelConnectionString(workbook::OfficeFormat::Office2007, workbook));
    data::Table atTable(QStringLiteral("atTable"), &ConnExcel);
    atTable.setTableName(QStringLiteral("[Sheet1$]"));
    atTable.open();
    if (!sheetFilter.isEmpty()) {
        atTable.setFilter(sheetFilter);
        atTable.setFiltered(true);
    }
    Timing t;
    t.open = clock.restart() / 1000.0;
    data::Connection ConnADO(QStringLiteral("ConnADO"));
    ConnADO.setConnectionString(business);
    data::Query qryID(QStringLiteral("qryID"), &ConnADO);
    data::Query qryCheck(QStringLiteral("qryCheck"), &ConnADO);
    Quiet dialog;
    data::NoProgress progress;
    importer::ImportSheet(atTable, qryID, qryCheck, *importer::findImportTarget(importer::productItem, {}), dialog,
                          progress, limits);
    t.import = clock.elapsed() / 1000.0;
    t.report = dialog.last;
    return t;
}

// The rows as the import would store them, as CSV for the sqlite3 shell.
void writeCsv(const QString& workbook, const QString& csvPath)
{
    data::Connection ConnExcel(QStringLiteral("ConnExcel"));
    ConnExcel.setConnectionString(workbook::excelConnectionString(workbook::OfficeFormat::Office2007, workbook));
    data::Table atTable(QStringLiteral("atTable"), &ConnExcel);
    atTable.setTableName(QStringLiteral("[Sheet1$]"));
    atTable.open();
    QFile csv(csvPath);
    if (!csv.open(QIODevice::WriteOnly))
        throw data::Error(QStringLiteral("cannot write ") + csvPath);
    QByteArray out = "ID1,State";
    for (int f = 0; f < atTable.fieldCount(); ++f)
        out += ',' + atTable.fields(f).fieldName().toUtf8();
    out += '\n';
    int id = 0;
    for (atTable.first(); !atTable.eof(); atTable.next()) {
        out += QByteArray::number(++id) + ",1";
        for (int f = 0; f < atTable.fieldCount(); ++f) {
            QByteArray v = atTable.fields(f).asText().toUtf8();
            v.replace("\"", "\"\"");
            out += ",\"" + v + '"';
        }
        out += '\n';
    }
    csv.write(out);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    workbook::registerProviders();
    QTemporaryDir dir;
    const QString book = dir.filePath(QStringLiteral("reference.xlsx"));
    try {
        run(QStringLiteral(VARNELO_PYTHON), {QStringLiteral(BENCH_DIR "/make_xlsx_reference.py"), book});
        const QString csv = dir.filePath(QStringLiteral("reference.csv"));
        writeCsv(book, csv);

        std::vector<double> open, import, shell;
        QString report;
        for (int i = 0; i < runs; ++i) {
            const QString db = freshSqlite(dir.path(), QStringLiteral("empty.sdb"));
            const Timing t = importInto(book, jetString(db));
            open.push_back(t.open);
            import.push_back(t.import);
            report = t.report;
            const QString peer = freshSqlite(dir.path(), QStringLiteral("peer.sdb"));
            QElapsedTimer clock;
            clock.start();
            sqlite(peer, QStringLiteral(".import --csv --skip 1 %1 T_Product").arg(csv));
            shell.push_back(clock.elapsed() / 1000.0);
        }
        std::printf("empty SQLite target: %s\n", report.toUtf8().constData());
        std::printf("  open sheet %.3f s, import %.3f s, end to end %.3f s\n", median(open), median(import),
                    median(open) + median(import));
        std::printf("  sqlite3 .import of the same rows as CSV %.3f s; import / shell = %.2f\n", median(shell),
                    median(import) / median(shell));

        const QString big = freshSqlite(dir.path(), QStringLiteral("big.sdb"));
        sqlite(big, QStringLiteral("INSERT INTO T_SysID (ID1) VALUES (1000000);"
                                   "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 1000000) "
                                   "INSERT INTO T_Product (ID1, GoodsNO, Name, Price) SELECT x, printf('G%07d', x - 1), 'old', 1.5 FROM c;"));
        std::vector<double> full;
        for (int i = 0; i < runs; ++i) {
            const Timing t = importInto(book, jetString(big));
            full.push_back(t.import);
            report = t.report;
        }
        std::printf("1,000,000-row SQLite target holding every key: %s\n  import %.3f s\n", report.toUtf8().constData(),
                    median(full));

        if (!qEnvironmentVariable("VARNELO_TEST_PG").isEmpty()) {
            const QString filter = QStringLiteral("Qty < 25");
            std::vector<double> batched, perRow;
            for (int i = 0; i < runs; ++i) {
                testsupport::BusinessDatabase a(QStringLiteral("postgresql"));
                a.exec(widenProducts().replace(QStringLiteral("DATETIME"), QStringLiteral("TIMESTAMP")).replace(QStringLiteral("REAL"), QStringLiteral("DOUBLE PRECISION")));
                const Timing t = importInto(book, a.connectionString(), filter);
                batched.push_back(t.import);
                report = t.report;
                testsupport::BusinessDatabase b(QStringLiteral("postgresql"));
                b.exec(widenProducts().replace(QStringLiteral("DATETIME"), QStringLiteral("TIMESTAMP")).replace(QStringLiteral("REAL"), QStringLiteral("DOUBLE PRECISION")));
                const Timing u = importInto(book, b.connectionString(), filter, {1, 0});
                perRow.push_back(u.import);
            }
            std::printf("PostgreSQL over ODBC, rows with %s: %s\n  batched %.3f s, one commit per row %.3f s, ratio %.1fx\n",
                        filter.toUtf8().constData(), report.toUtf8().constData(), median(batched), median(perRow),
                        median(perRow) / median(batched));
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "import_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
