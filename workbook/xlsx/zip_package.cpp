#include "workbook/xlsx/zip_package.h"

#include "workbook/common/messages.h"
#include "workbook/xlsx/zip_writer.h"

#include <zip.h>

#include <memory>

namespace workbook::xlsx {
namespace {

struct FileCloser {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};

} // namespace

ZipPackage::ZipPackage(const QString& path, const QByteArray& bytes) : path_(path), bytes_(bytes)
{
    zip_error_t error;
    zip_error_init(&error);
    source_ = zip_source_buffer_create(bytes_.constData(), zip_uint64_t(bytes_.size()), 0, &error);
    if (!source_) {
        zip_error_fini(&error);
        throw badContent(path_, QStringLiteral("内存不足。"));
    }
    archive_ = zip_open_from_source(source_, ZIP_RDONLY, &error);
    if (!archive_) {
        const QString why = QString::fromUtf8(zip_error_strerror(&error));
        zip_error_fini(&error);
        zip_source_free(source_);
        source_ = nullptr;
        throw badContent(path_, QStringLiteral("不是有效的 zip 压缩包（%1）。").arg(why));
    }
    zip_error_fini(&error);
    const zip_int64_t count = zip_get_num_entries(archive_, 0);
    if (count > kMaxEntries) {
        zip_discard(archive_);
        archive_ = nullptr;
        throw badContent(path_, QStringLiteral("压缩包中的条目过多（%1 个）。").arg(count));
    }
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(archive_, zip_uint64_t(i), ZIP_FL_ENC_GUESS);
        if (!name)
            continue;
        const QString key = QString::fromUtf8(name).toLower();
        // Two parts of one name: which one a reader takes is anyone's guess.
        if (index_.contains(key)) {
            zip_discard(archive_);
            archive_ = nullptr;
            throw badContent(path_, QStringLiteral("部件“%1”在压缩包中出现了不止一次。").arg(QString::fromUtf8(name)));
        }
        index_.insert(key, i);
    }
}

ZipPackage::~ZipPackage()
{
    if (archive_)
        zip_discard(archive_); // also frees the source
}

qint64 ZipPackage::indexOf(const QString& part) const
{
    QString key = part.toLower();
    if (key.startsWith(u'/'))
        key.remove(0, 1);
    return index_.value(key, -1);
}

bool ZipPackage::contains(const QString& part) const { return indexOf(part) >= 0; }

QByteArray ZipPackage::read(const QString& part) const
{
    const qint64 index = indexOf(part);
    if (index < 0)
        throw badContent(path_, QStringLiteral("缺少部件“%1”。").arg(part));
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive_, zip_uint64_t(index), 0, &st) != 0)
        throw badContent(path_, QStringLiteral("部件“%1”无法读取。").arg(part));
    const qint64 compressed = (st.valid & ZIP_STAT_COMP_SIZE) ? qint64(st.comp_size) : 0;
    std::unique_ptr<zip_file_t, FileCloser> file(zip_fopen_index(archive_, zip_uint64_t(index), 0));
    if (!file)
        throw badContent(path_, QStringLiteral("部件“%1”无法解压（%2）。")
                                    .arg(part, QString::fromUtf8(zip_strerror(archive_))));
    // The declared size is only a hint; the limits apply to what actually comes out.
    QByteArray out;
    if ((st.valid & ZIP_STAT_SIZE) && qint64(st.size) <= kMaxPartBytes)
        out.reserve(qsizetype(st.size));
    char buffer[1 << 16];
    for (;;) {
        const zip_int64_t n = zip_fread(file.get(), buffer, sizeof buffer);
        if (n < 0)
            throw badContent(path_, QStringLiteral("部件“%1”已损坏（%2）。")
                                        .arg(part, QString::fromUtf8(zip_file_strerror(file.get()))));
        if (n == 0)
            break;
        out.append(buffer, qsizetype(n));
        if (out.size() > kMaxPartBytes ||
            (out.size() > kRatioFloor && out.size() / std::max<qint64>(compressed, 1) > kMaxRatio))
            throw badContent(path_, QStringLiteral("部件“%1”解压后过大，疑似压缩炸弹。").arg(part));
    }
    return out;
}

QByteArray ZipPackage::rewrite(const QHash<QString, QByteArray>& replaced, const QStringList& removed) const
{
    return rewriteZip(bytes_, replaced, removed);
}

} // namespace workbook::xlsx
