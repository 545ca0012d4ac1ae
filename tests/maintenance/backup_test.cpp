#include "data/business_schema.h"
#include "maintenance/backup.h"
#include "scripted_dialog.h"
#include "tests/support/qt_printers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

namespace {

const QDateTime nineOhSeven(QDate(2025, 3, 5), QTime(9, 7, 12));

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A connection of our own to a SQLite file, for writing rows the way another program does.
class SqliteFile {
public:
    explicit SqliteFile(const QString& path) { sqlite3_open(QFile::encodeName(path).constData(), &db_); }
    ~SqliteFile() { sqlite3_close(db_); }
    void exec(const char* sql)
    {
        char* error = nullptr;
        ASSERT_EQ(sqlite3_exec(db_, sql, nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    }
    QString scalar(const char* sql)
    {
        sqlite3_stmt* stmt = nullptr;
        QString out;
        if (sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
            out = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
        return out;
    }

private:
    sqlite3* db_ = nullptr;
};

class BackupTest : public ::testing::Test {
public:
    QString exeDir() const { return dir.path(); }
    QString source() const { return dir.filePath(QStringLiteral("Client.sdb")); }
    QString dataDir() const { return dir.filePath(QStringLiteral("Data")); }
    QString expectedBackup() const { return dir.filePath(QStringLiteral("Data/202503050907.sdb")); }
    // Everything in Data/, hidden files included: no temporary copy may stay behind.
    QStringList dataEntries() const
    {
        return QDir(dataDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir dir;
    ScriptedDialog dialog;
};

TEST_F(BackupTest, CopiesCommittedRowsStillInTheWriteAheadLogIntoOneSelfContainedFile)
{
    data::createBusinessDatabase(source(), false);
    SqliteFile live(source());
    live.exec("PRAGMA journal_mode=WAL");
    live.exec("PRAGMA wal_autocheckpoint=0");
    live.exec("INSERT INTO T_Customers (ID1, CustomerID, CustomerName) VALUES (1, 'C1', '张三'), (2, 'C2', '李四')");
    ASSERT_TRUE(QFile::exists(source() + QStringLiteral("-wal")));
    ASSERT_FALSE(QDir(dataDir()).exists());

    EXPECT_TRUE(maintenance::BackupDatabase(exeDir(), dialog, nineOhSeven));

    EXPECT_TRUE(dialog.shown.isEmpty());
    EXPECT_EQ(dataEntries(), QStringList{QStringLiteral("202503050907.sdb")}); // Data/ was created
    SqliteFile copy(expectedBackup());
    EXPECT_EQ(copy.scalar("SELECT group_concat(CustomerName, ',') FROM T_Customers ORDER BY ID1"), "张三,李四");
    EXPECT_EQ(copy.scalar("PRAGMA journal_mode"), "delete");
    EXPECT_EQ(copy.scalar("PRAGMA integrity_check"), "ok");
}

TEST_F(BackupTest, CopiesAFileThatIsNoSqliteDatabaseByteForByte)
{
    QByteArray jet(4096, '\0');
    jet.replace(4, 15, "Standard Jet DB");
    writeFile(source(), jet);
    ASSERT_TRUE(QDir().mkdir(dataDir()));

    EXPECT_TRUE(maintenance::BackupDatabase(exeDir(), dialog, nineOhSeven));

    EXPECT_TRUE(dialog.shown.isEmpty());
    EXPECT_EQ(readAll(expectedBackup()), jet);
    EXPECT_EQ(dataEntries(), QStringList{QStringLiteral("202503050907.sdb")});
}

TEST_F(BackupTest, ASecondBackupInTheSameMinuteFailsAndKeepsTheEarlierOne)
{
    data::createBusinessDatabase(source(), true);
    ASSERT_TRUE(maintenance::BackupDatabase(exeDir(), dialog, nineOhSeven));
    const QByteArray earlier = readAll(expectedBackup());
    ASSERT_FALSE(earlier.isEmpty());
    SqliteFile(source()).exec("DELETE FROM T_Customers");

    EXPECT_FALSE(maintenance::BackupDatabase(exeDir(), dialog, nineOhSeven.addSecs(40)));

    EXPECT_EQ(dialog.shown, QStringList{backupFailed});
    EXPECT_EQ(readAll(expectedBackup()), earlier);
    EXPECT_EQ(dataEntries(), QStringList{QStringLiteral("202503050907.sdb")});
    // The next minute names a new file.
    EXPECT_TRUE(maintenance::BackupDatabase(exeDir(), dialog, nineOhSeven.addSecs(60)));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("Data/202503050908.sdb"))));
}

TEST_F(BackupTest, AFailedCopyIsReportedOnceAndLeavesNoFileBehind)
{
    struct Case {
        const char* name;
        std::function<void(BackupTest&)> arrange;
    };
    const Case cases[] = {
        {"no Client.sdb beside the program", [](BackupTest&) {}},
        {"Client.sdb is a folder", [](BackupTest& t) { QDir().mkdir(t.source()); }},
        {"Data is a plain file",
         [](BackupTest& t) {
             data::createBusinessDatabase(t.source(), false);
             writeFile(t.dataDir(), "not a folder");
         }},
        {"Data is read-only",
         [](BackupTest& t) {
             data::createBusinessDatabase(t.source(), false);
             QDir().mkdir(t.dataDir());
             QFile::setPermissions(t.dataDir(), QFile::ReadOwner | QFile::ExeOwner);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (::geteuid() == 0 && std::string(c.name) == "Data is read-only")
            continue; // root writes into read-only folders; "Data is a plain file" covers root
        QTemporaryDir fresh;
        dir.swap(fresh);
        dialog.shown.clear();
        c.arrange(*this);

        EXPECT_FALSE(maintenance::BackupDatabase(exeDir(), dialog, nineOhSeven));

        EXPECT_EQ(dialog.shown, QStringList{backupFailed});
        EXPECT_FALSE(QFile::exists(expectedBackup()));
        if (QFileInfo(dataDir()).isDir()) {
            QFile::setPermissions(dataDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            EXPECT_TRUE(dataEntries().isEmpty());
        }
    }
}

} // namespace
