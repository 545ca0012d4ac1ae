#include "workbook/common/sheet_source.h"

#include "data/error.h"
#include "workbook/common/messages.h"

namespace workbook {

SheetSource::SheetSource(Workbook& book, TableRef table) : book_(book), table_(std::move(table))
{
    TableBuilder builder(table_.range);
    book_.readCells(table_.sheet, builder);
    content_ = builder.finish();

    fields_.reserve(content_.fieldNames.size());
    for (const QString& name : content_.fieldNames)
        fields_.push_back(data::FieldInfo{name, data::FieldType::Variant, 0});

    const int records = int(content_.records.size());
    sheetRowOfKey_.resize(records);
    for (int i = 0; i < records; ++i)
        sheetRowOfKey_[i] = content_.recordSheetRow(i);
    // An empty sheet gets its header in the first row and its records below.
    nextSheetRow_ = content_.box.isEmpty() ? 1 : content_.box.lastRow + 1;

    columnKinds_.resize(fields_.size());
    std::vector<const data::Value*> column(records);
    for (size_t f = 0; f < fields_.size(); ++f) {
        for (int i = 0; i < records; ++i)
            column[i] = &content_.records[i][f];
        columnKinds_[f] = columnKindOf(column);
    }
}

void SheetSource::readRows(data::RowSink& sink)
{
    for (size_t i = 0; i < content_.records.size(); ++i)
        sink.addRow(data::RowKey(i), std::move(content_.records[i]));
    std::vector<std::vector<data::Value>>().swap(content_.records);
}

data::Value SheetSource::fromText(int field, const QString& text) const
{
    const ColumnKind kind = field >= 0 && field < int(columnKinds_.size()) ? columnKinds_[field] : ColumnKind::Text;
    return valueFromTypedText(kind, text);
}

int SheetSource::sheetRowOf(data::RowKey key) const
{
    if (key < 0 || key >= data::RowKey(sheetRowOfKey_.size()) || sheetRowOfKey_[key] < 0)
        throw writeRefused(QStringLiteral("该行已不在工作表中。"));
    return sheetRowOfKey_[key];
}

void SheetSource::writeAndSave(int sheetRow, std::vector<CellWrite> cells)
{
    if (cells.empty())
        return;
    book_.writeCells(table_.sheet, sheetRow, cells);
    try {
        book_.save();
    } catch (...) {
        book_.revert();
        throw;
    }
}

data::RowKey SheetSource::insertRow(std::span<const data::Value> values, const std::vector<bool>& assigned)
{
    if (table_.range)
        throw writeRefused(QStringLiteral("不能向命名区域“%1”追加行。").arg(table_.name));
    if (fields_.empty())
        throw writeRefused(QStringLiteral("工作表“%1”没有列标题，无法追加行。").arg(table_.name));
    const int row = nextSheetRow_;
    if (row >= kMaxRows)
        throw writeRefused(QStringLiteral("工作表已达到最大行数。"));
    std::vector<CellWrite> cells;
    for (size_t f = 0; f < values.size() && f < fields_.size(); ++f)
        if (f < assigned.size() && assigned[f] && !values[f].isNull())
            cells.push_back(CellWrite{content_.box.firstColumn + int(f), values[f]});
    writeAndSave(row, std::move(cells));
    nextSheetRow_ = row + 1;
    sheetRowOfKey_.push_back(row);
    return data::RowKey(sheetRowOfKey_.size() - 1);
}

void SheetSource::updateRow(data::RowKey key, std::span<const data::Value> original,
                            std::span<const data::Value> values, const std::vector<bool>& changed)
{
    const int row = sheetRowOf(key);
    std::vector<CellWrite> cells;
    for (size_t f = 0; f < values.size() && f < fields_.size(); ++f) {
        if (f >= changed.size() || !changed[f])
            continue;
        if (f < original.size() && original[f] == values[f])
            continue; // typed back the same value: the cell (and its formula) stays
        cells.push_back(CellWrite{content_.box.firstColumn + int(f), values[f]});
    }
    writeAndSave(row, std::move(cells));
}

void SheetSource::deleteRow(data::RowKey key, std::span<const data::Value>)
{
    if (table_.range)
        throw deleteRefused(QStringLiteral("不能从命名区域“%1”中删除行。").arg(table_.name));
    const int row = sheetRowOf(key);
    book_.deleteRow(table_.sheet, row);
    try {
        book_.save();
    } catch (...) {
        book_.revert();
        throw;
    }
    sheetRowOfKey_[key] = -1;
    for (int& r : sheetRowOfKey_)
        if (r > row)
            --r;
    --nextSheetRow_;
}

} // namespace workbook
