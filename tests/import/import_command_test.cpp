// The companion's import, run as the real program on real files and the test server.
#include "tests/import/import_fixture.h"
#include "tests/support/qt_printers.h"
#include "tests/support/business_database.h"

#include "data/connection_string.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using importtest::SheetSpec;
using testsupport::BusinessDatabase;

struct CliRun {
    int status;
    QString out;
    QString err;
};

CliRun runCli(const QStringList& args, const QByteArray& input = {})
{
    QProcess p;
    p.start(QStringLiteral(VARNELO_CLI), args);
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(120000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

// Writes DataSet.ini for the test database with the companion's own settings command.
QString writeSettings(const BusinessDatabase& db, const QString& dir)
{
    const QString path = dir + QStringLiteral("/DataSet.ini");
    QStringList args{QStringLiteral("settings"), QStringLiteral("write")};
    if (db.backend() == QLatin1String("sqlite")) {
        args << QStringLiteral("--path") << db.sqlitePath();
    } else {
        const auto cs = data::ConnectionString::parse(db.connectionString());
        args << QStringLiteral("--type") << QStringLiteral("SQL") << QStringLiteral("--source") << cs.value(QStringLiteral("Data Source"))
             << QStringLiteral("--user") << cs.value(QStringLiteral("User ID")) << QStringLiteral("--password")
             << cs.value(QStringLiteral("Password")) << QStringLiteral("--catalog") << cs.value(QStringLiteral("Initial Catalog"));
    }
    const CliRun r = runCli(args << path);
    if (r.status != 0)
        throw std::runtime_error(r.err.toStdString());
    return path;
}

// Everything the import can change, as text: for the server, where there is no file to compare.
QStringList contents(BusinessDatabase& db)
{
    return db.column(QStringLiteral("select ID1 from T_SysID"))
           + db.column(QStringLiteral("select ID1 || ':' || GoodsNO || ':' || coalesce(GoodsName, '') from T_Product order by ID1"))
           + db.column(QStringLiteral("select ID1 || ':' || CustomerID from T_Customers order by ID1"));
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct CommandCase {
    const char* name;
    QStringList args;     // after "import FILE --settings INI"
    QByteArray input;     // standard input (the answer to the question)
    int status;
    QStringList outLines; // lines expected in standard output
    QString err;          // part of standard error; empty for none
    QStringList stored;   // T_Product afterwards, ID1:GoodsNO:GoodsName
    QStringList counter;
};

class ImportCommandTest : public ::testing::TestWithParam<QString> {};

TEST_P(ImportCommandTest, ImportsAsTheWindowDoes)
{
    QTemporaryDir dir;
    const QString book = importtest::writeWorkbook(dir.filePath(QStringLiteral("book.xlsx")), {
        {"Products", QJsonArray{QJsonArray{"GoodsNO", "GoodsName"}, QJsonArray{"X", "first"}, QJsonArray{"A", "a"},
                                QJsonArray{"P", "present"}, QJsonArray{"B", "b"}, QJsonArray{"A", "again"}}},
        {"Colours", QJsonArray{QJsonArray{"GoodsNO", "Colour"}, QJsonArray{"X", "red"}, QJsonArray{"C", "blue"}}},
        {"Customer", QJsonArray{QJsonArray{"CustomerID"}, QJsonArray{"X"}, QJsonArray{"K1"}}},
    });
    const QString seed = QStringLiteral("INSERT INTO T_SysID (ID1) VALUES (41);INSERT INTO T_Product (ID1, GoodsNO) VALUES (5, 'P')");
    const QStringList before{"41", "5:P:"};
    const CommandCase cases[] = {
        {"answered OK on standard input", {}, "y\n", 0,
         {"提示: 您确定导入产品资料吗？ (y/N) y", "提示: 本次成功导入 2 条产品资料！"}, "", {"5:P:", "42:A:a", "43:B:b"}, {"43"}},
        {"--yes answers the question", {"--yes"}, "", 0, {"提示: 本次成功导入 2 条产品资料！"}, "", {"5:P:", "42:A:a", "43:B:b"}, {"43"}},
        {"answered Cancel", {}, "n\n", 0, {}, "", {"5:P:"}, {"41"}},
        {"--target acts as the chosen list item", {"--yes", "--target", "customers", "--sheet", "Customer"}, "", 0,
         {"提示: 您确定客户信息吗？ (y/N) y", "提示: 本次成功导入 1 条客户信息！"}, "", {"5:P:"}, {"42"}},
        {"a sheet name that names no target", {"--yes", "--sheet", "Customer$"}, "", 1, {}, "names no target", {"5:P:"}, {"41"}},
        {"an error is shown and the status is non-zero", {"--yes", "--target", "product", "--sheet", "Colours"}, "", 1, {},
         "qryCheck: Field 'Colour' not found", {"5:P:"}, {"41"}},
        {"an unknown sheet", {"--yes", "--sheet", "Nope"}, "", 1, {}, "no sheet 'Nope'", {"5:P:"}, {"41"}},
        {"dry run lists what would go in and changes nothing", {"--dry-run"}, "", 0,
         {"record 1: left out (the first record is never imported)", "record 2: GoodsNO=A -> ID1 42",
          "record 3: GoodsNO=P already present, skipped", "record 4: GoodsNO=B -> ID1 43",
          "record 5: GoodsNO=A already present, skipped", "would import 2, skip 2 as already present; T_SysID would become 43"},
         "", {"5:P:"}, {"41"}},
        {"dry run raises what the import would", {"--dry-run", "--target", "product", "--sheet", "Colours"}, "", 1, {},
         "qryCheck: Field 'Colour' not found", {"5:P:"}, {"41"}},
    };
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(c.name);
        BusinessDatabase db(GetParam());
        db.exec(seed);
        const QString ini = writeSettings(db, dir.path());
        const QByteArray fileBefore = db.sqlitePath().isEmpty() ? QByteArray() : fileBytes(db.sqlitePath());
        const CliRun r = runCli(QStringList{"import", book, "--settings", ini} + c.args, c.input);
        EXPECT_EQ(r.status, c.status) << r.err.toStdString();
        const QStringList out = r.out.split(u'\n', Qt::SkipEmptyParts);
        for (const QString& line : c.outLines)
            EXPECT_TRUE(out.contains(line)) << "missing: " << line.toStdString() << "\nin: " << r.out.toStdString();
        if (c.err.isEmpty()) {
            EXPECT_EQ(r.err, QString());
        } else {
            EXPECT_TRUE(r.err.contains(c.err)) << r.err.toStdString();
        }
        EXPECT_EQ(db.column("select ID1 || ':' || GoodsNO || ':' || coalesce(GoodsName, '') from T_Product order by ID1"), c.stored);
        EXPECT_EQ(db.column("select ID1 from T_SysID"), c.counter);
        if (c.args.contains(QStringLiteral("--dry-run"))) {
            EXPECT_EQ(contents(db), (before));
            if (!db.sqlitePath().isEmpty()) {
                EXPECT_EQ(fileBytes(db.sqlitePath()), fileBefore) << "the dry run changed the database file";
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, ImportCommandTest, ::testing::ValuesIn(testsupport::backendNames()),
                         [](const auto& info) { return info.param.toStdString(); });

} // namespace
