#include "maintenance/database_copy.h"

#include <QByteArray>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace maintenance {

namespace {

constexpr int lockWaitMs = 5000;
constexpr int sqliteRefused = -1;

// A file descriptor closed when it goes out of scope.
class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() { close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int fd() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int close()
    {
        const int rc = fd_ >= 0 ? ::close(fd_) : 0;
        fd_ = -1;
        return rc;
    }

private:
    int fd_;
};

// The temporary copy: removed when it goes out of scope, whether or not it got its real name.
class TemporaryFile {
public:
    explicit TemporaryFile(QByteArray path) : path_(std::move(path)) {}
    ~TemporaryFile() { ::unlink(path_.constData()); }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const QByteArray& path() const { return path_; }

private:
    QByteArray path_;
};

struct SqliteCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using SqliteHandle = std::unique_ptr<sqlite3, SqliteCloser>;

bool isSqliteFile(int fd)
{
    static const char header[] = "SQLite format 3"; // followed by a NUL in the file
    char head[sizeof header] = {};
    return ::pread(fd, head, sizeof head, 0) == static_cast<ssize_t>(sizeof head)
           && std::memcmp(head, header, sizeof header) == 0;
}

int copyBytes(int from, int to)
{
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        for (ssize_t written = 0; written < n;) {
            const ssize_t w = ::write(to, buffer + written, static_cast<size_t>(n - written));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            written += w;
        }
    }
    return ::fsync(to) == 0 ? 0 : errno;
}

SqliteHandle openSqlite(const QByteArray& path, int flags)
{
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.constData(), &db, flags, nullptr);
    SqliteHandle handle(db);
    if (rc != SQLITE_OK)
        return nullptr;
    sqlite3_busy_timeout(db, lockWaitMs);
    return handle;
}

// SQLite's online backup of the whole database into the (empty) file at `to`.
int copySqlite(const QByteArray& from, const QByteArray& to)
{
    SqliteHandle source = openSqlite(from, SQLITE_OPEN_READWRITE);
    SqliteHandle target = openSqlite(to, SQLITE_OPEN_READWRITE);
    if (!source || !target)
        return sqliteRefused;
    sqlite3_backup* backup = sqlite3_backup_init(target.get(), "main", source.get(), "main");
    if (!backup)
        return sqliteRefused;
    int rc = SQLITE_OK;
    do {
        rc = sqlite3_backup_step(backup, -1);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
            sqlite3_sleep(20);
    } while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED);
    if (sqlite3_backup_finish(backup) != SQLITE_OK || rc != SQLITE_DONE)
        return sqliteRefused;
    // A copy of a write-ahead-log database would want a log beside it; the backup is one file.
    if (sqlite3_exec(target.get(), "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return sqliteRefused;
    return 0;
}

// Makes the new name durable; the copy is made either way, so a failure here is not one.
void syncFolder(const QByteArray& folder)
{
    FileHandle dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid())
        ::fsync(dir.fd());
}

} // namespace

int copyDatabaseFile(const QString& source, const QString& destination)
{
    const QFileInfo target(destination);
    const QByteArray folder = QFile::encodeName(target.absolutePath());
    const QByteArray finalPath = QFile::encodeName(target.absoluteFilePath());
    const QByteArray sourcePath = QFile::encodeName(source);

    FileHandle from(::open(sourcePath.constData(), O_RDONLY | O_CLOEXEC));
    if (!from.valid())
        return errno;
    struct stat info {};
    if (::fstat(from.fd(), &info) != 0)
        return errno;
    if (!S_ISREG(info.st_mode))
        return EINVAL;
    if (::mkdir(folder.constData(), 0777) != 0 && errno != EEXIST)
        return errno;

    QByteArray pattern = folder + "/." + QFile::encodeName(target.fileName()) + ".XXXXXX";
    FileHandle to(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!to.valid())
        return errno;
    const TemporaryFile temporary(pattern);
    if (::fchmod(to.fd(), info.st_mode & 0777) != 0)
        return errno;

    int rc = 0;
    if (isSqliteFile(from.fd())) {
        to.close();
        rc = copySqlite(sourcePath, temporary.path());
    } else {
        rc = copyBytes(from.fd(), to.fd());
        if (rc == 0 && to.close() != 0)
            rc = errno;
    }
    if (rc != 0)
        return rc;
    // link() gives the copy its name only if no file has it yet; the temporary name then goes.
    if (::link(temporary.path().constData(), finalPath.constData()) != 0)
        return errno;
    syncFolder(folder);
    return 0;
}

} // namespace maintenance
