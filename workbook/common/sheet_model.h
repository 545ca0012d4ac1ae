#pragma once

#include "data/value.h"

#include <QString>
#include <optional>
#include <vector>

namespace workbook {

// A rectangle of cells, 0-based and inclusive on both ends.
struct CellRange {
    int firstRow = 0;
    int firstColumn = 0;
    int lastRow = -1;
    int lastColumn = -1;

    bool isEmpty() const { return lastRow < firstRow || lastColumn < firstColumn; }
    int rowCount() const { return isEmpty() ? 0 : lastRow - firstRow + 1; }
    int columnCount() const { return isEmpty() ? 0 : lastColumn - firstColumn + 1; }
    bool contains(int row, int column) const
    {
        return row >= firstRow && row <= lastRow && column >= firstColumn && column <= lastColumn;
    }
};

// Largest sheet either format can hold; engines refuse coordinates beyond it.
constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;
// A table of more cells than this would not fit in memory as a dataset; it is refused.
constexpr qint64 kMaxTableCells = 5'000'000;

// Receives the non-empty cells of one sheet. Engines send them in file order, which is
// usually row by row, but the receiver does not rely on it.
class CellSink {
public:
    virtual ~CellSink() = default;
    virtual void cell(int row, int column, data::Value&& value) = 0;
};

// One sheet seen as a table: the box of its non-empty cells (or of a named range), the
// field names from the box's first row, and every later row of the box as a record.
struct TableContent {
    CellRange box;                                  // empty for a sheet without cells
    std::vector<QString> fieldNames;                // one per column of the box
    std::vector<std::vector<data::Value>> records;  // record i is sheet row box.firstRow + 1 + i

    int recordSheetRow(int record) const { return box.firstRow + 1 + record; }
};

// Collects cells into a TableContent. With a limit (a named range) only cells inside it count
// and the header is the range's first row; without one the box is that of the cells.
class TableBuilder : public CellSink {
public:
    explicit TableBuilder(std::optional<CellRange> limit = std::nullopt);

    void cell(int row, int column, data::Value&& value) override;
    // Raises a data::Error when the table is too large to hold.
    TableContent finish();

private:
    std::optional<CellRange> limit_;
    std::vector<std::vector<data::Value>> rows_;    // indexed by sheet row; each by sheet column
    int firstRow_ = -1;
    int lastRow_ = -1;
    int firstColumn_ = -1;
    int lastColumn_ = -1;
};

// Field names for a header row: the cell's text, blank -> "F<n>" with n the 1-based column
// within the box, repeated names made unique by a number suffix.
std::vector<QString> fieldNamesFromHeader(const std::vector<data::Value>& header);

// "A1"-style references, 0-based coordinates.
QString columnLetters(int column);
QString cellReference(int row, int column);
// Parses "B12" or "$B$12"; returns false for anything else or coordinates beyond the sheet.
bool parseCellReference(QStringView text, int* row, int* column);
// Parses "A1:C10", "$A$1:$C$10" or a single cell; false otherwise.
bool parseRangeReference(QStringView text, CellRange* range);

} // namespace workbook
