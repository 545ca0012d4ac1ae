#pragma once

#include "data/provider.h"
#include "workbook/common/engine.h"
#include "workbook/common/table_naming.h"
#include "workbook/common/typed_text.h"

#include <vector>

namespace workbook {

// One table of a workbook as the dataset sees it: fields and records from the sheet, and each
// posted change written into the workbook file before the call returns.
class SheetSource : public data::RowSource {
public:
    SheetSource(Workbook& book, TableRef table);

    const std::vector<data::FieldInfo>& fields() const override { return fields_; }
    void readRows(data::RowSink& sink) override;
    data::Value fromText(int field, const QString& text) const override;

    data::RowKey insertRow(std::span<const data::Value> values, const std::vector<bool>& assigned) override;
    void updateRow(data::RowKey key, std::span<const data::Value> original, std::span<const data::Value> values,
                   const std::vector<bool>& changed) override;
    void deleteRow(data::RowKey key, std::span<const data::Value> original) override;

private:
    int sheetRowOf(data::RowKey key) const;
    void writeAndSave(int sheetRow, std::vector<CellWrite> cells);

    Workbook& book_;
    TableRef table_;
    TableContent content_;
    std::vector<data::FieldInfo> fields_;
    std::vector<ColumnKind> columnKinds_;
    std::vector<int> sheetRowOfKey_;  // current sheet row of each record, -1 once deleted
    int nextSheetRow_ = 0;            // where the next appended record goes
};

} // namespace workbook
