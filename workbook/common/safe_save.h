#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

namespace workbook {

// Size, modification time and content hash of a file as it was read, to tell whether another
// program has changed it since.
struct FileStamp {
    qint64 size = -1;
    qint64 modifiedNs = 0;
    QByteArray sha256;

    // Reads the file whole; the bytes are handed back so the reader need not read it twice.
    static FileStamp ofBytes(const QString& path, const QByteArray& bytes);
    static FileStamp ofFile(const QString& path); // raises data::Error when unreadable
};

// Raises data::Error, naming the file, when it no longer matches the stamp.
void checkUnchanged(const QString& path, const FileStamp& stamp);

// Reads a whole file, refusing files larger than maxBytes. Raises data::Error.
QByteArray readWholeFile(const QString& path, qint64 maxBytes);

// Replaces the file by new content: written to a temporary file in the same folder, flushed
// and synced, given the original's permissions, then renamed over it (and the folder synced).
// On any failure the original stays as it was and data::Error is raised.
// Returns the stamp of the new file.
FileStamp safeSave(const QString& path, const QByteArray& content);

} // namespace workbook
