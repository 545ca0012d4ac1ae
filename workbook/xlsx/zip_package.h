#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

struct zip;
struct zip_source;

namespace workbook::xlsx {

// The parts of a zip package held in memory. Reading inflates one part at a time with limits
// on its size and on its compression ratio, so a zip bomb ends in an error, not in swapping.
class ZipPackage {
public:
    // `bytes` must outlive the package. Raises data::Error (naming `path`) for a bad zip.
    ZipPackage(const QString& path, const QByteArray& bytes);
    ~ZipPackage();
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;

    bool contains(const QString& part) const;
    // The inflated part; raises when it is missing, damaged or too large.
    QByteArray read(const QString& part) const;

    // A new package: this one with `replaced` parts put in (other parts copied as they are,
    // compressed data untouched) and `removed` parts left out.
    QByteArray rewrite(const QHash<QString, QByteArray>& replaced, const QStringList& removed) const;

private:
    qint64 indexOf(const QString& part) const;

    QString path_;
    const QByteArray& bytes_;
    zip_source* source_ = nullptr;
    zip* archive_ = nullptr;
    QHash<QString, qint64> index_;  // part name (no leading '/') -> entry, case-insensitive key
};

// Limits on one inflated part.
constexpr qint64 kMaxPartBytes = 1024LL * 1024 * 1024;
constexpr qint64 kMaxRatio = 1000;        // inflated / compressed, for parts over kRatioFloor
constexpr qint64 kRatioFloor = 4 * 1024 * 1024;
// Limit on the entries of one package: real workbooks, images included, stay far below.
constexpr qint64 kMaxEntries = 20000;

} // namespace workbook::xlsx
