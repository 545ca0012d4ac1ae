#include "data/connection_string.h"
#include "maintenance_fixture.h"
#include "tests/support/qt_printers.h"

#include <QFile>
#include <QProcess>

namespace {

struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
};

// The companion program, copied into a folder of its own: Client.sdb and Data/ are looked for
// beside it, as for the installed program.
class CompanionTest : public MaintenanceTest {
protected:
    void SetUp() override
    {
        MaintenanceTest::SetUp();
        program = programFolder.filePath(QStringLiteral("varnelo-excel-cli"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(VARNELO_CLI), program));
        writeSettings();
    }

    // Settings that name the current database.
    void writeSettings()
    {
        settingsFile = programFolder.filePath(QStringLiteral("business.ini"));
        QFile::remove(settingsFile);
        const data::ConnectionString cs = data::ConnectionString::parse(db->connectionString());
        if (GetParam() == QLatin1String("sqlite"))
            ASSERT_EQ(run({"settings", "write", "--path", db->sqlitePath(), settingsFile}).exitCode, 0);
        else
            ASSERT_EQ(run({"settings", "write", "--type", "SQL", "--source", cs.value("Data Source"), "--user",
                           cs.value("User ID"), "--password", cs.value("Password"), "--catalog",
                           cs.value("Initial Catalog"), settingsFile})
                          .exitCode,
                      0);
    }

    Outcome run(const QStringList& args, const QByteArray& input = {})
    {
        QProcess p;
        p.start(program, args);
        p.write(input);
        p.closeWriteChannel();
        p.waitForFinished(60000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }

    QTemporaryDir programFolder;
    QString program;
    QString settingsFile;
};

TEST_P(CompanionTest, RunsTheWindowsCommandsWithTheSameQuestionsAndMessages)
{
    struct Case {
        const char* name;
        QStringList args;
        QByteArray input;
        int exitCode;
        QString out;
        QString errContains;
        QString check;    // a select whose first column is compared afterwards
        QStringList rows;
    };
    const QString noBackup = QStringLiteral("提示: 数据备份失败！\n"); // no Client.sdb beside the program
    const Case cases[] = {
        {"recalc-orders --yes", {"recalc-orders", "--yes"}, {}, 0,
         "警告: 您是否确定数据分析？ (y/N) y\n" + noBackup + "提示: 处理完毕！\n", {},
         "select AmountMoney from T_DeliveryOrder order by ID1", {"120.5"}},
        {"clear-customers answered on standard input", {"clear-customers"}, "n\n", 1,
         "警告: 您是否确定清除所有客户信息吗？ (y/N) n\n", "cancelled",
         "select count(*) from T_Customers", {"1"}},
        {"clear-customers answered y", {"clear-customers"}, "y\n", 0,
         "警告: 您是否确定清除所有客户信息吗？ (y/N) y\n" + noBackup + "提示: 客户信息表已经被清除！\n", {},
         "select count(*) from T_Customers", {"0"}},
        {"sync-customer-names", {"sync-customer-names"}, {}, 0, "提示: 客户编码同步处理完毕！\n", {},
         "select CustomerName from T_DeliveryOrder order by ID1", {"张三"}},
        {"clear-products failing on a missing table", {"clear-products", "--yes"}, {}, 1,
         "警告: 您是否确定清除所有产品资料信息？ (y/N) y\n" + noBackup, "clear-products: ",
         "select count(*) from T_Product_Item", {"1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        freshDatabase();
        writeSettings();
        db->exec(QStringLiteral(
            "INSERT INTO T_Customers (ID1, CustomerID, CustomerName) VALUES (1, 'C1', '张三');"
            "INSERT INTO T_DeliveryOrder (ID1, CustomerID, CustomerName, CurrentMoney) VALUES (1, 'C1', 'old', 30);"
            "INSERT INTO T_Deliveryorder_Item (ItemID, ID1, GoodsNO, SumMoney) VALUES (1, 1, 'G', 100);"
            "INSERT INTO T_Deliveryorder_Item (ItemID, ID1, GoodsNO, SumMoney) VALUES (2, 1, 'G', 50.5);"
            "INSERT INTO T_Product_Item (ItemID, ID1, GoodsNO) VALUES (1, 1, 'G');"
            "DROP TABLE T_Product"));
        QStringList args = c.args;
        args << "--settings" << settingsFile;

        const Outcome r = run(args, c.input);

        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        EXPECT_EQ(r.out, c.out);
        if (!c.errContains.isEmpty())
            EXPECT_TRUE(r.err.contains(c.errContains)) << r.err.toStdString();
        EXPECT_EQ(db->column(c.check), c.rows);
    }
}

TEST_P(CompanionTest, BacksUpClientSdbBesideTheProgramAndRefusesAMissingSettingsFile)
{
    data::createBusinessDatabase(programFolder.filePath(QStringLiteral("Client.sdb")), true);
    const Outcome first = run({"backup"});
    EXPECT_EQ(first.exitCode, 0) << first.out.toStdString();
    EXPECT_TRUE(QFile::exists(first.out.trimmed())) << first.out.toStdString();
    EXPECT_TRUE(first.out.trimmed().startsWith(programFolder.filePath(QStringLiteral("Data/"))));

    const Outcome missing = run({"sync-customer-names", "--settings", programFolder.filePath("none.ini")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("none.ini")) << missing.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Backends, CompanionTest, ::testing::ValuesIn(testsupport::backendNames().toVector()), backendName);

} // namespace
