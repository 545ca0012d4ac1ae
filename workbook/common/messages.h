#pragma once

#include "data/error.h"

#include <QString>

namespace workbook {

// Texts both engines raise, so a user reads the same words whatever the format.
data::Error cannotOpen(const QString& path, const QString& why);      // "无法打开工作簿 ..."
data::Error badContent(const QString& path, const QString& why);      // damaged or unreadable content
data::Error notExpectedFormat();                                      // "外部表不是预期的格式。"
data::Error passwordProtected(const QString& path);
data::Error deleteRefused(const QString& why);                        // the row stays
data::Error writeRefused(const QString& why);                         // the edit is not stored
data::Error changedOnDisk(const QString& path);

} // namespace workbook
