#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace workbook::xls {

// One worksheet substream taken apart for re-writing: the records before the cell block, the
// cells (each record with the STRING or shared-formula records that belong to it) and ROW
// records, and the records after the block. Cell records are referred to in the source
// bytes, not copied, so that taking a large sheet apart stays cheap.
class SheetLayout {
public:
    // `substream` runs from the sheet's BOF to the end of its part of the stream; it must
    // outlive the layout.
    static SheetLayout parse(std::string_view substream);

    // The style of the cell at (row, column), if a record for it exists (a blank counts).
    std::optional<std::uint16_t> styleAt(int row, int column) const;
    // The style of the nearest cell above (row, column) in the same column.
    std::optional<std::uint16_t> styleAbove(int row, int column) const;
    // Whether the cell at (row, column) is a LABELSST (its string reference goes away on a write).
    bool isSharedStringCell(int row, int column) const;
    // Whether the cell is a formula that anchors a shared formula other cells use.
    bool anchorsSharedFormula(int row, int column) const;

    // Replaces whatever record the cell has (splitting a MULRK/MULBLANK around it) by
    // `record`, a complete record with header; an empty `record` removes the cell.
    void setCell(int row, int column, std::string record);

    // Why row `row` cannot be removed from this sheet, or empty when it can.
    QString whyRowCannotGo(int row) const;
    // Removes the row; cells, ROW records and merged ranges below move up one.
    void removeRow(int row);

    // Rows of 16-bit references in the sheet's formulas (for the same check on other sheets).
    static bool formulasReachRow(std::string_view substream, int row, bool threeDimensionalOnly);

    // Appends the substream written afresh to `out`, the stream it becomes part of (the
    // offsets it records are positions in `out`).
    void appendTo(std::string& out) const;

private:
    struct Span {
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
        bool own = false;       // in owned_ rather than the source
    };
    struct CellItem {
        std::uint16_t row;
        std::uint16_t firstColumn;
        std::uint16_t lastColumn;
        std::uint16_t type;
        Span bytes;             // the record and its followers
        bool hasSharedFollower = false;
    };
    struct RowItem {
        std::uint16_t row;
        Span bytes;
    };

    std::string_view bytesOf(const Span& s) const;
    Span own(std::string record);
    std::size_t firstItemOfRow(int row) const;
    int findItem(int row, int column) const;
    void splitItem(std::size_t index, int column);

    std::string_view source_;
    std::string owned_;
    std::vector<Span> prefix_;            // records before the cell block (INDEX, DIMENSIONS among them)
    std::vector<CellItem> cells_;         // sorted by row, then column
    std::vector<RowItem> rows_;           // sorted by row
    std::vector<Span> suffix_;            // records after the block (merged ranges among them)
};

} // namespace workbook::xls
