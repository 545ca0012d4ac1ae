#include "workbook/common/messages.h"

#include <QFileInfo>

namespace workbook {

data::Error cannotOpen(const QString& path, const QString& why)
{
    return data::Error(QStringLiteral("无法打开工作簿“%1”：%2").arg(QFileInfo(path).fileName(), why));
}

data::Error badContent(const QString& path, const QString& why)
{
    return data::Error(QStringLiteral("工作簿“%1”已损坏或无法读取：%2").arg(QFileInfo(path).fileName(), why));
}

data::Error notExpectedFormat()
{
    return data::Error(QStringLiteral("外部表不是预期的格式。"));
}

data::Error passwordProtected(const QString& path)
{
    return data::Error(QStringLiteral("工作簿“%1”有密码保护，无法打开。").arg(QFileInfo(path).fileName()));
}

data::Error deleteRefused(const QString& why)
{
    return data::Error(QStringLiteral("无法删除该行：%1").arg(why));
}

data::Error writeRefused(const QString& why)
{
    return data::Error(QStringLiteral("无法保存到工作簿：%1").arg(why));
}

data::Error changedOnDisk(const QString& path)
{
    return data::Error(QStringLiteral("工作簿“%1”在打开后已被其他程序修改，本次修改未写入。请重新打开该文件。")
                           .arg(QFileInfo(path).fileName()));
}

} // namespace workbook
