#pragma once

#include "workbook/common/engine.h"
#include "workbook/xlsx/zip_package.h"

#include <QString>
#include <vector>

namespace workbook::xlsx {

struct SheetPart {
    QString name;
    QString part;      // e.g. "xl/worksheets/sheet1.xml"
    int sheetId = 0;
    bool visible = true;
};

// What the workbook part and its relationships say: the worksheets in order (chart sheets
// left out), the defined names that refer to one range, the date system and where the
// shared strings, styles and calculation chain are.
struct PackageInfo {
    QString workbookPart;
    std::vector<SheetPart> sheets;
    std::vector<NamedRange> names;
    bool date1904 = false;
    QString sharedStringsPart;  // empty when there is none
    QString stylesPart;
    QString calcChainPart;
};

PackageInfo readPackageInfo(const QString& path, const ZipPackage& zip);

// The shared string table, each item as plain text (rich text runs joined, phonetic runs left out).
std::vector<QString> readSharedStrings(const QString& path, const QByteArray& xml);

// For every cell format (index into cellXfs): whether its number format shows a date.
struct StyleInfo {
    std::vector<bool> dateFormat;
    std::vector<bool> timeOnly;   // shows a time of day but no date
};
StyleInfo readStyles(const QString& path, const QByteArray& xml);

// Resolves a relationship target against the part that holds the relationship.
QString resolvePartName(const QString& sourcePart, const QString& target);

} // namespace workbook::xlsx
