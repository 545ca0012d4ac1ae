#include "workbook/common/safe_save.h"

#include "workbook/common/messages.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace workbook {
namespace {

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

struct Fd {
    int fd = -1;
    ~Fd() { if (fd >= 0) ::close(fd); }
};

bool statFile(const QString& path, struct stat* st)
{
    return ::stat(QFile::encodeName(path).constData(), st) == 0;
}

qint64 mtimeNs(const struct stat& st) { return qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec; }

} // namespace

FileStamp FileStamp::ofBytes(const QString& path, const QByteArray& bytes)
{
    FileStamp stamp;
    struct stat st {};
    if (statFile(path, &st)) {
        stamp.size = st.st_size;
        stamp.modifiedNs = mtimeNs(st);
    }
    stamp.sha256 = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
    return stamp;
}

FileStamp FileStamp::ofFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw cannotOpen(path, file.errorString());
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    FileStamp stamp;
    struct stat st {};
    if (statFile(path, &st)) {
        stamp.size = st.st_size;
        stamp.modifiedNs = mtimeNs(st);
    }
    stamp.sha256 = hash.result();
    return stamp;
}

void checkUnchanged(const QString& path, const FileStamp& stamp)
{
    struct stat st {};
    if (!statFile(path, &st))
        throw changedOnDisk(path);
    if (st.st_size == stamp.size && mtimeNs(st) == stamp.modifiedNs)
        return;
    // Touched but maybe not changed: the content decides.
    if (st.st_size != stamp.size || FileStamp::ofFile(path).sha256 != stamp.sha256)
        throw changedOnDisk(path);
}

QByteArray readWholeFile(const QString& path, qint64 maxBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw cannotOpen(path, file.exists() ? file.errorString() : QStringLiteral("文件不存在。"));
    if (file.size() > maxBytes)
        throw cannotOpen(path, QStringLiteral("文件太大（%1 字节）。").arg(file.size()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw cannotOpen(path, file.errorString());
    return bytes;
}

FileStamp safeSave(const QString& path, const QByteArray& content)
{
    const QFileInfo info(path);
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    QByteArray temp = folder + "/." + QFile::encodeName(info.fileName()) + ".XXXXXX";

    struct stat original {};
    const bool haveOriginal = ::stat(target.constData(), &original) == 0;

    Fd out;
    out.fd = ::mkstemp(temp.data());
    if (out.fd < 0)
        throw writeRefused(QStringLiteral("无法在文件夹中创建临时文件（%1）。").arg(systemError()));
    auto fail = [&](const QString& what) {
        const QString why = what + QStringLiteral("（") + systemError() + QStringLiteral("）");
        ::unlink(temp.constData());
        return writeRefused(why);
    };
    const char* p = content.constData();
    qint64 left = content.size();
    while (left > 0) {
        const ssize_t n = ::write(out.fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw fail(QStringLiteral("写入临时文件失败"));
        }
        p += n;
        left -= n;
    }
    if (haveOriginal && ::fchmod(out.fd, original.st_mode & 07777) != 0)
        throw fail(QStringLiteral("无法保留文件权限"));
    if (::fsync(out.fd) != 0)
        throw fail(QStringLiteral("写入磁盘失败"));
    ::close(out.fd);
    out.fd = -1;
    if (::rename(temp.constData(), target.constData()) != 0)
        throw fail(QStringLiteral("无法替换原文件"));
    Fd dir;
    dir.fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY);
    if (dir.fd >= 0)
        ::fsync(dir.fd);
    return FileStamp::ofBytes(path, content);
}

} // namespace workbook
