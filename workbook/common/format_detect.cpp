#include "workbook/common/engine.h"
#include "workbook/common/messages.h"

#include <QFile>

namespace workbook {

FileFormat detectFormat(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw cannotOpen(path, file.exists() ? file.errorString() : QStringLiteral("文件不存在。"));
    const QByteArray head = file.read(8);
    if (head.startsWith("PK\x03\x04"))
        return FileFormat::Zip;
    if (head == QByteArray::fromHex("D0CF11E0A1B11AE1"))
        return FileFormat::CompoundFile;
    return FileFormat::Other;
}

} // namespace workbook
