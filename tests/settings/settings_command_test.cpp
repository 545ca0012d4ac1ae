#include "settings/data_set_settings.h"

#include "qt_printers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

CliRun runCli(const QStringList& args)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(VARNELO_CLI), args);
    EXPECT_TRUE(process.waitForFinished(30000)) << "the companion did not finish";
    CliRun run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(SettingsCommand, WriteThenShowAndReadBack)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("DataSet.ini"));
    const CliRun write = runCli({QStringLiteral("settings"), QStringLiteral("write"), QStringLiteral("--type"),
                              QStringLiteral("SQL"), QStringLiteral("--source"), QStringLiteral("db.example,1433"),
                              QStringLiteral("--user"), QStringLiteral("sa"), QStringLiteral("--password=p;w=d \"x\""),
                              QStringLiteral("--catalog"), QStringLiteral(u"商品"), QStringLiteral("--path"),
                              QStringLiteral(u" /srv/数据/Client.sdb "), ini});
    ASSERT_EQ(write.exitCode, 0) << write.err.toStdString();
    EXPECT_EQ(write.err, QString());

    // The file: one section, six keys in reading order, every value scrambled hexadecimal.
    const QList<QByteArray> lines = fileBytes(ini).split('\n');
    ASSERT_EQ(lines.size(), 8);
    EXPECT_EQ(lines[0], "[Database]");
    const char* keys[] = {"DataType=", "Source=", "UserID=", "Password=", "Catalog=", "DataPath="};
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(lines[i + 1].startsWith(keys[i])) << lines[i + 1].constData();
        const QByteArray value = lines[i + 1].mid(qstrlen(keys[i]));
        EXPECT_GE(value.size(), 4);
        EXPECT_EQ(value, value.toUpper());
    }
    EXPECT_EQ(lines[7], "");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("DataSet.ini")})
        << "a temporary file was left behind";

    // What the program reads at start: code page 936 bytes.
    settings::TDataSetStr read;
    settings::ReadDataSetStr(ini, "Database", read);
    EXPECT_EQ(read.DataType, "SQL");
    EXPECT_EQ(read.Source, "db.example,1433");
    EXPECT_EQ(read.UserID, "sa");
    EXPECT_EQ(read.Password, "p;w=d \"x\"");
    EXPECT_EQ(read.Catalog, "\xC9\xCC\xC6\xB7");
    EXPECT_EQ(read.DataPath, " /srv/\xCA\xFD\xBE\xDD/Client.sdb ");

    const CliRun show = runCli({QStringLiteral("settings"), QStringLiteral("show"), ini});
    ASSERT_EQ(show.exitCode, 0) << show.err.toStdString();
    EXPECT_EQ(show.out, QStringLiteral(u"DataType=SQL\nSource=db.example,1433\nUserID=sa\nPassword=********\n"
                                       u"Catalog=商品\nDataPath= /srv/数据/Client.sdb \n"));
}

TEST(SettingsCommand, MissingOptionsWriteEmptyValuesAndReplaceTheOldFile)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("DataSet.ini"));
    ASSERT_EQ(runCli({QStringLiteral("settings"), QStringLiteral("write"), QStringLiteral("--password"),
                      QStringLiteral("old"), QStringLiteral("--catalog"), QStringLiteral("old"), ini})
                  .exitCode,
              0);
    const CliRun write = runCli({QStringLiteral("settings"), QStringLiteral("write"), QStringLiteral("--path"),
                              QStringLiteral("/data/Client.sdb"), ini});
    ASSERT_EQ(write.exitCode, 0) << write.err.toStdString();

    const CliRun show = runCli({QStringLiteral("settings"), QStringLiteral("show"), ini});
    ASSERT_EQ(show.exitCode, 0) << show.err.toStdString();
    EXPECT_EQ(show.out, QStringLiteral("DataType=\nSource=\nUserID=\nPassword=\nCatalog=\nDataPath=/data/Client.sdb\n"));
}

TEST(SettingsCommand, TypeOtherThanSqlIsWrittenWithANote)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("DataSet.ini"));
    const CliRun write = runCli({QStringLiteral("settings"), QStringLiteral("write"), QStringLiteral("--type"),
                                 QStringLiteral("sql"), ini});
    ASSERT_EQ(write.exitCode, 0) << write.err.toStdString();
    EXPECT_TRUE(write.err.contains(QLatin1String("only the exact type 'SQL' selects SQL Server"))) << write.err.toStdString();
    settings::TDataSetStr read;
    settings::ReadDataSetStr(ini, "Database", read);
    EXPECT_EQ(read.DataType, "sql");
}

TEST(SettingsCommand, BadUseFailsClearlyAndWritesNothing)
{
    const struct {
        QStringList args; // FILE is appended where "FILE" stands
        QString message;
    } cases[] = {
        {{QStringLiteral("write"), QStringLiteral("--colour"), QStringLiteral("red"), QStringLiteral("FILE")},
         QStringLiteral("unknown option '--colour'")},
        {{QStringLiteral("write"), QStringLiteral("FILE"), QStringLiteral("--user")},
         QStringLiteral("--user needs a value")},
        {{QStringLiteral("write"), QStringLiteral("--user"), QStringLiteral("a"), QStringLiteral("--user=b"),
          QStringLiteral("FILE")},
         QStringLiteral("--user is given twice")},
        {{QStringLiteral("write"), QStringLiteral("--user"), QStringLiteral("a")},
         QStringLiteral("FILE is missing")},
        {{QStringLiteral("write"), QStringLiteral("FILE"), QStringLiteral("other.ini")},
         QStringLiteral("takes one FILE")},
        {{QStringLiteral("write"), QStringLiteral("--catalog"), QStringLiteral(u"ab😀"), QStringLiteral("FILE")},
         QStringLiteral(u"--catalog: the character '😀' (U+1F600) has no GBK code")},
        {{QStringLiteral("write"), QStringLiteral("--path"), QString(1023, u'x'), QStringLiteral("FILE")},
         QStringLiteral("--path is 1023 bytes long in GBK; a settings value holds at most 1022")},
        {{QStringLiteral("show"), QStringLiteral("FILE")}, QStringLiteral("no such file")},
        {{QStringLiteral("show")}, QStringLiteral("usage: settings show FILE")},
        {{QStringLiteral("erase"), QStringLiteral("FILE")}, QStringLiteral("unknown action 'erase'")},
        {{}, QStringLiteral("settings needs 'write' or 'show'")},
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("DataSet.ini"));
        QStringList args{QStringLiteral("settings")};
        for (const QString& arg : c.args)
            args << (arg == QLatin1String("FILE") ? ini : arg);
        const CliRun run = runCli(args);
        EXPECT_EQ(run.exitCode, 1) << c.message.toStdString();
        EXPECT_TRUE(run.err.contains(c.message)) << "expected '" << c.message.toStdString() << "', got '"
                                                 << run.err.toStdString() << "'";
        EXPECT_TRUE(QDir(dir.path()).isEmpty()) << c.message.toStdString();
    }
}

TEST(SettingsCommand, LongestValueFitsAndReadsBack)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("DataSet.ini"));
    const QString longest(1022, u'p');
    ASSERT_EQ(runCli({QStringLiteral("settings"), QStringLiteral("write"), QStringLiteral("--path"), longest, ini})
                  .exitCode,
              0);
    settings::TDataSetStr read;
    settings::ReadDataSetStr(ini, "Database", read);
    EXPECT_EQ(read.DataPath, longest.toLatin1());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
