#pragma once

#include "workbook/common/engine.h"
#include "workbook/common/safe_save.h"
#include "workbook/xlsx/package_info.h"
#include "workbook/xlsx/zip_package.h"

#include <QHash>
#include <memory>
#include <optional>
#include <set>

namespace workbook::xlsx {

// An .xlsx / .xlsm package opened for reading and editing in place. The file's bytes stay in
// memory; edits change copies of the touched parts, and save() writes a new package in which
// every other part is carried over as it was.
class XlsxWorkbook : public Workbook {
public:
    explicit XlsxWorkbook(const QString& path);
    ~XlsxWorkbook() override;

    const QString& path() const override { return path_; }
    std::vector<Worksheet> worksheets() const override;
    std::vector<NamedRange> namedRanges() const override { return info_.names; }
    void readCells(int sheet, CellSink& sink) override;

    void writeCells(int sheet, int row, std::span<const CellWrite> cells) override;
    void deleteRow(int sheet, int row) override;
    void save() override;
    void revert() override;

private:
    void load(QByteArray bytes);
    const SheetPart& sheetPart(int sheet) const;
    QByteArray currentPart(const QString& part) const;
    QByteArray& editablePart(const QString& part);
    int sharedStringIndex(const QString& text);
    int dateStyleFor(int style) const;
    bool isDateStyle(int style) const;

    QString path_;
    QByteArray bytes_;
    FileStamp stamp_;
    std::unique_ptr<ZipPackage> zip_;
    PackageInfo info_;
    std::vector<QString> sharedStrings_;
    StyleInfo styles_;

    // Edits since the last save: whole new texts of the parts touched.
    QHash<QString, QByteArray> edited_;
    // Inflated texts of parts as the file holds them now, kept from the last save so that the
    // next edit of a large sheet need not inflate it again.
    QHash<QString, QByteArray> saved_;
    size_t savedStringCount_ = 0;
    std::optional<QHash<QString, int>> stringIndex_;
    // Cells whose formula an edit removed, as (sheetId, "B7"): their calculation-chain entries go.
    std::set<std::pair<int, QString>> droppedFormulas_;
};

} // namespace workbook::xlsx
