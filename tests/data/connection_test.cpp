#include "data/business_connection.h"
#include "data/business_schema.h"
#include "data/connection.h"
#include "data/connection_string.h"
#include "data/dataset.h"
#include "data/error.h"
#include "data/odbc_provider.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

using data::ConnectionString;

namespace {

const QString jetTail = QStringLiteral(";Persist Security Info=False;Jet OLEDB:Database Password=KTlindervaspul.");

TEST(BusinessConnectionString, ChosenFromTheSettings)
{
    struct Case {
        QByteArray type, source, user, password, catalog, path;
        QString exeDir;
        QString expected;
    } cases[] = {
        {"SQL", "srv,1433", "sa", "pw", "Sales", "/ignored", "/opt/v/",
         "Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;User ID=sa;Initial Catalog=Sales;Data Source=srv,1433"},
        {"SQL", "", "", "", "", "", "/opt/v/",
         "Provider=SQLOLEDB.1;Password=;Persist Security Info=True;User ID=;Initial Catalog=;Data Source="},
        {"SQL", "srv", "u", "a;b", "c", "", "/opt/v/",
         "Provider=SQLOLEDB.1;Password=a;b;Persist Security Info=True;User ID=u;Initial Catalog=c;Data Source=srv"},
        {"sql", "srv", "", "", "", "", "/opt/v/", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/opt/v/Client.sdb" + jetTail},
        {"SQL ", "srv", "", "", "", "", "/opt/v/", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/opt/v/Client.sdb" + jetTail},
        {"", "", "", "", "", "   \t", "/opt/v/", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/opt/v/Client.sdb" + jetTail},
        {"", "", "", "", "", " /d/b.sdb ", "/opt/v/", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source= /d/b.sdb " + jetTail},
        {"", "", "", "", "", "", "/", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/Client.sdb" + jetTail},
        {"", "", "", "", "", "/数据/账.sdb", "/opt/v/", QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/数据/账.sdb") + jetTail},
    };
    for (Case& c : cases) {
        settings::TDataSetStr s;
        s.DataType = c.type;
        s.Source = c.source;
        s.UserID = c.user;
        s.Password = c.password;
        s.Catalog = c.catalog;
        s.DataPath = c.path == "/数据/账.sdb" ? settings::toGbk(QStringLiteral("/数据/账.sdb")) : c.path;
        EXPECT_EQ(data::businessConnectionString(s, c.exeDir), c.expected) << c.type.constData() << "|" << c.path.constData();
    }
}

TEST(ConnectionStringParsing, FollowsTheItemRules)
{
    const auto cs = ConnectionString::parse(QStringLiteral(
        "Provider=Microsoft.ACE.OLEDB.12.0;Password=\"\";Data Source=/x/a.xlsx;Extended Properties='';"
        "Excel 12.0;IMEX=1;HDR=YES''Persist Security Info=True; user id = Admin ;q=\"a;\"\"b\";provider=Other"));
    EXPECT_EQ(cs.value(QStringLiteral("PROVIDER")), QStringLiteral("Other")); // a later item replaces
    EXPECT_EQ(cs.value(QStringLiteral("Password")), QString());
    EXPECT_EQ(cs.value(QStringLiteral("data source")), QStringLiteral("/x/a.xlsx"));
    EXPECT_EQ(cs.value(QStringLiteral("Extended Properties")), QString());
    EXPECT_EQ(cs.bareItems(), QStringList{QStringLiteral("Excel 12.0")});
    EXPECT_EQ(cs.value(QStringLiteral("IMEX")), QStringLiteral("1"));
    EXPECT_EQ(cs.value(QStringLiteral("User ID")), QStringLiteral("Admin"));
    EXPECT_EQ(cs.value(QStringLiteral("q")), QStringLiteral("a;\"b"));
    for (const QString& v : {QStringLiteral("plain"), QStringLiteral("a;b"), QStringLiteral(" pad "), QStringLiteral("it's \"q\"")})
        EXPECT_EQ(ConnectionString::parse(QStringLiteral("k=") + ConnectionString::quoteValue(v)).value(QStringLiteral("k")), v);
}

TEST(ConnectionStringParsing, OdbcItemsAreMappedAndQuoted)
{
    struct Case {
        QString oledb, odbc;
    } cases[] = {
        {"Data Source=db1;Initial Catalog=Sales;User ID=sa;Password=pw", "DRIVER={FreeTDS};SERVER=db1;DATABASE=Sales;UID=sa;PWD=pw;"},
        {"Data Source=db1,1433;Initial Catalog=S;User ID=u;Password=p", "DRIVER={FreeTDS};SERVER=db1;PORT=1433;DATABASE=S;UID=u;PWD=p;"},
        {"Data Source=db1\\SQLEXPRESS;User ID=u", "DRIVER={FreeTDS};SERVER=db1\\SQLEXPRESS;DATABASE=;UID=u;PWD=;"},
        {"Data Source=h;Password=\"a;b}c\"", "DRIVER={FreeTDS};SERVER=h;DATABASE=;UID=;PWD={a;b}}c};"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(data::odbcConnectionString(ConnectionString::parse(c.oledb), QStringLiteral("FreeTDS")), c.odbc);
}

TEST(BusinessFile, RefusesWhatIsNoBusinessDatabase)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("Client.sdb"));
    const QString jet = dir.filePath(QStringLiteral("jet.mdb"));
    QFile f(jet);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("\0\1\0\0Standard Jet DB\0", 20) + QByteArray(2000, '\0'));
    f.close();
    struct Case {
        QString path;
        const char* mentions;
    } cases[] = {{missing, "Could not find"}, {jet, "Jet"}};
    for (const Case& c : cases) {
        data::Connection conn(QStringLiteral("ConnADO"));
        conn.setConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + c.path + jetTail);
        try {
            conn.connect();
            FAIL() << c.path.toStdString();
        } catch (const data::Error& e) {
            EXPECT_TRUE(e.message().contains(QLatin1String(c.mentions))) << e.message().toStdString();
        }
        EXPECT_FALSE(conn.connected());
    }
    EXPECT_FALSE(QFileInfo::exists(missing)); // never created
}

TEST(StartUpConnection, SwallowsFailuresAndConnectsLater)
{
    QTemporaryDir dir;
    data::Connection conn(QStringLiteral("ConnADO"));
    data::startUpConnection(conn, dir.path()); // no settings, no Client.sdb: nothing raised
    EXPECT_FALSE(conn.connected());
    EXPECT_TRUE(conn.connectionString().contains(dir.path() + QStringLiteral("/Client.sdb")));
    data::Query q(QStringLiteral("qryID"), &conn);
    q.setSql(QStringLiteral("select ID1 from T_SysID "));
    EXPECT_THROW(q.open(), data::Error);
    data::createBusinessDatabase(dir.filePath(QStringLiteral("Client.sdb")), true);
    q.open(); // the file is back: the next command connects and works
    EXPECT_TRUE(conn.connected());
    EXPECT_EQ(q.recordCount(), 1);
}

TEST(StartUpConnection, ReadsTheScrambledSettingsBesideTheExecutable)
{
    QTemporaryDir exeDir, dataDir;
    const QString database = dataDir.filePath(QStringLiteral("店铺.sdb"));
    data::createBusinessDatabase(database, true);
    QFile ini(exeDir.filePath(QStringLiteral("DataSet.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[database]\r\nDataType = " + settings::EncryptStr("Jet") + "\r\nDataPath=" +
              settings::EncryptStr(settings::toGbk(database)) + "\r\n");
    ini.close();
    data::Connection conn(QStringLiteral("ConnADO"));
    data::startUpConnection(conn, exeDir.path());
    EXPECT_TRUE(conn.connected());
    EXPECT_EQ(settings::fromGbk(settings::DataSetInfo.DataPath), database);
    EXPECT_EQ(conn.connectionString(), QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + database + jetTail);
}

} // namespace
