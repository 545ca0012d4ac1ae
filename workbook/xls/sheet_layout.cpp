#include "workbook/xls/sheet_layout.h"

#include "workbook/xls/biff_records.h"
#include "workbook/xls/byte_order.h"
#include "workbook/xls/formula_tokens.h"
#include "workbook/xls/globals_writer.h"

#include <algorithm>

namespace workbook::xls {
namespace {

constexpr std::uint16_t kDefColWidth = 0x0055;
constexpr std::size_t kRowsPerBlock = 32;
constexpr std::size_t kFormulaTokensAt = 22;

bool isCellRecord(std::uint16_t type)
{
    switch (type) {
    case rec::Number: case rec::Rk: case rec::MulRk: case rec::LabelSst: case rec::Label:
    case rec::RString: case rec::BoolErr: case rec::Blank: case rec::MulBlank: case rec::Formula:
        return true;
    default:
        return false;
    }
}

// Records that Excel writes after the cells; in a sheet without cells new ones go before them.
bool comesAfterCells(std::uint16_t type)
{
    switch (type) {
    case 0x023E: case 0x00EC: case rec::Note: case 0x005D: case 0x001D: case rec::MergedCells:
    case 0x0041: case 0x00A0: case 0x00EF: case rec::CondFmt: case rec::HLink: case rec::DVal:
    case rec::Eof:
        return true;
    default:
        return false;
    }
}

bool isMulti(std::uint16_t type) { return type == rec::MulRk || type == rec::MulBlank; }

std::uint16_t typeOf(std::string_view record) { return readU16(record.data()); }
std::string_view bodyOf(std::string_view record) { return record.substr(4, readU16(record.data() + 2)); }

std::string makeRecord(std::uint16_t type, const std::string& body)
{
    std::string r;
    appendU16(r, type);
    appendU16(r, std::uint16_t(body.size()));
    r.append(body);
    return r;
}

} // namespace

SheetLayout SheetLayout::parse(std::string_view substream)
{
    SheetLayout layout;
    layout.source_ = substream;
    // No cell record is shorter than 10 bytes; reserving for that many costs address space only.
    layout.cells_.reserve(substream.size() / 10);
    RecordCursor cursor(substream, 0);
    bool inBlock = false;
    int depth = 0;
    auto keep = [&](Span s) { (inBlock ? layout.suffix_ : layout.prefix_).push_back(s); };
    while (!cursor.atEnd()) {
        const Record r = cursor.next();
        Span span{std::uint32_t(r.offset), std::uint32_t(4 + r.body.size()), false};
        if (r.type == rec::Bof)
            ++depth;
        if (depth > 1 || r.type == rec::Bof) {
            if (r.type == rec::Eof)
                --depth;
            keep(span);
            continue;
        }
        if (r.type == rec::Eof) {
            keep(span);
            --depth;
            // Whatever lies between this sheet's end and the next sheet stays as it is.
            if (cursor.position() < substream.size())
                layout.suffix_.push_back({std::uint32_t(cursor.position()),
                                          std::uint32_t(substream.size() - cursor.position()), false});
            break;
        }
        if (isCellRecord(r.type)) {
            if (r.body.size() < 6 || (isMulti(r.type) && r.body.size() < 8))
                throwBadRecord(r.type, r.offset);
            inBlock = true;
            CellItem item;
            item.row = readU16(r.body.data());
            item.firstColumn = readU16(r.body.data() + 2);
            item.lastColumn = isMulti(r.type) ? readU16(r.body.data() + r.body.size() - 2) : item.firstColumn;
            if (item.lastColumn < item.firstColumn)
                throwBadRecord(r.type, r.offset);
            item.type = r.type;
            if (r.type == rec::Formula) {
                for (std::uint16_t t = cursor.peekType();
                     t == rec::ShrFmla || t == rec::Array || t == rec::Table || t == rec::String || t == rec::Continue;
                     t = cursor.peekType()) {
                    if (t != rec::String && t != rec::Continue)
                        item.hasSharedFollower = true;
                    cursor.next();
                }
            }
            span.length = std::uint32_t(cursor.position() - r.offset);
            item.bytes = span;
            layout.cells_.push_back(item);
        } else if (r.type == rec::Row) {
            if (r.body.size() < 16)
                throwBadRecord(r.type, r.offset);
            inBlock = true;
            layout.rows_.push_back({readU16(r.body.data()), span});
        } else if (r.type == rec::DbCell || (r.type == rec::Index && inBlock)) {
            // Rebuilt on writing.
        } else {
            keep(span);
        }
    }
    if (!inBlock) {
        const auto split = std::find_if(layout.prefix_.begin() + 1, layout.prefix_.end(), [&](const Span& s) {
            return comesAfterCells(typeOf(layout.bytesOf(s)));
        });
        layout.suffix_.assign(split, layout.prefix_.end());
        layout.prefix_.erase(split, layout.prefix_.end());
    }
    auto byPosition = [](const CellItem& a, const CellItem& b) {
        return a.row != b.row ? a.row < b.row : a.firstColumn < b.firstColumn;
    };
    if (!std::is_sorted(layout.cells_.begin(), layout.cells_.end(), byPosition))
        std::stable_sort(layout.cells_.begin(), layout.cells_.end(), byPosition);
    std::stable_sort(layout.rows_.begin(), layout.rows_.end(),
                     [](const RowItem& a, const RowItem& b) { return a.row < b.row; });
    return layout;
}

std::string_view SheetLayout::bytesOf(const Span& s) const
{
    return (s.own ? std::string_view(owned_) : source_).substr(s.offset, s.length);
}

SheetLayout::Span SheetLayout::own(std::string record)
{
    Span s{std::uint32_t(owned_.size()), std::uint32_t(record.size()), true};
    owned_.append(record);
    return s;
}

std::size_t SheetLayout::firstItemOfRow(int row) const
{
    return std::size_t(std::lower_bound(cells_.begin(), cells_.end(), row,
                                        [](const CellItem& c, int r) { return c.row < r; })
                       - cells_.begin());
}

int SheetLayout::findItem(int row, int column) const
{
    for (std::size_t i = firstItemOfRow(row); i < cells_.size() && cells_[i].row == row; ++i)
        if (column >= cells_[i].firstColumn && column <= cells_[i].lastColumn)
            return int(i);
    return -1;
}

std::optional<std::uint16_t> SheetLayout::styleAt(int row, int column) const
{
    const int i = findItem(row, column);
    if (i < 0)
        return std::nullopt;
    const CellItem& c = cells_[i];
    const std::string_view body = bodyOf(bytesOf(c.bytes));
    const std::size_t k = column - c.firstColumn;
    if (c.type == rec::MulRk)
        return readU16(body.data() + 4 + 6 * k);
    if (c.type == rec::MulBlank)
        return readU16(body.data() + 4 + 2 * k);
    return readU16(body.data() + 4);
}

std::optional<std::uint16_t> SheetLayout::styleAbove(int row, int column) const
{
    for (std::size_t i = firstItemOfRow(row); i-- > 0;)
        if (column >= cells_[i].firstColumn && column <= cells_[i].lastColumn)
            return styleAt(cells_[i].row, column);
    return std::nullopt;
}

bool SheetLayout::isSharedStringCell(int row, int column) const
{
    const int i = findItem(row, column);
    return i >= 0 && cells_[i].type == rec::LabelSst;
}

bool SheetLayout::anchorsSharedFormula(int row, int column) const
{
    const int i = findItem(row, column);
    return i >= 0 && cells_[i].hasSharedFollower;
}

void SheetLayout::splitItem(std::size_t index, int column)
{
    const CellItem item = cells_[index];
    const std::string body(bodyOf(bytesOf(item.bytes)));
    const bool rk = item.type == rec::MulRk;
    const std::size_t width = rk ? 6 : 2;
    std::vector<CellItem> pieces;
    auto piece = [&](int first, int last) {
        if (first > last)
            return;
        std::string b;
        appendU16(b, item.row);
        appendU16(b, std::uint16_t(first));
        b.append(body, 4 + width * (first - item.firstColumn), width * (last - first + 1));
        std::uint16_t type;
        if (first == last) {
            type = rk ? rec::Rk : rec::Blank;
        } else {
            type = item.type;
            appendU16(b, std::uint16_t(last));
        }
        CellItem c{item.row, std::uint16_t(first), std::uint16_t(last), type, own(makeRecord(type, b)), false};
        pieces.push_back(c);
    };
    piece(item.firstColumn, column - 1);
    piece(column + 1, item.lastColumn);
    cells_.erase(cells_.begin() + index);
    cells_.insert(cells_.begin() + index, pieces.begin(), pieces.end());
}

void SheetLayout::setCell(int row, int column, std::string record)
{
    const int found = findItem(row, column);
    if (found >= 0) {
        if (isMulti(cells_[found].type) && cells_[found].firstColumn != cells_[found].lastColumn)
            splitItem(std::size_t(found), column);
        else
            cells_.erase(cells_.begin() + found);
    }
    if (record.empty())
        return;
    const std::uint16_t type = typeOf(record);
    CellItem item{std::uint16_t(row), std::uint16_t(column), std::uint16_t(column), type, own(std::move(record)), false};
    std::size_t at = firstItemOfRow(row);
    while (at < cells_.size() && cells_[at].row == row && cells_[at].firstColumn < column)
        ++at;
    cells_.insert(cells_.begin() + at, item);
}

bool SheetLayout::formulasReachRow(std::string_view substream, int row, bool threeDOnly)
{
    RecordCursor cursor(substream, 0);
    while (!cursor.atEnd()) {
        const Record r = cursor.next();
        if (r.type == rec::Eof)
            break;
        if (r.type != rec::Formula)
            continue;
        if (r.body.size() < kFormulaTokensAt)
            return true;
        const std::size_t length = readU16(r.body.data() + 20);
        if (formulaReachesRow(r.body.substr(kFormulaTokensAt, length), row, threeDOnly))
            return true;
    }
    return false;
}

QString SheetLayout::whyRowCannotGo(int row) const
{
    for (const CellItem& c : cells_) {
        if (c.hasSharedFollower)
            return QStringLiteral("工作表含有共享公式或数组公式，删除行会破坏它们。");
        if (c.type != rec::Formula)
            continue;
        const std::string_view body = bodyOf(bytesOf(c.bytes));
        if (body.size() < kFormulaTokensAt
            || formulaReachesRow(body.substr(kFormulaTokensAt, readU16(body.data() + 20)), row, false))
            return QStringLiteral("有公式引用了该行或其下方的单元格。");
    }
    for (const std::vector<Span>* part : {&prefix_, &suffix_}) {
        for (const Span& s : *part) {
            const std::string_view record = bytesOf(s);
            if (record.size() < 4)
                continue;
            switch (typeOf(record)) {
            case rec::Note: case rec::HLink: case rec::CondFmt: case rec::DVal: case rec::MsoDrawing:
                return QStringLiteral("工作表含有批注、超链接、条件格式、数据有效性或图形对象，删除行会使它们错位。");
            case rec::MergedCells: {
                const std::string_view body = bodyOf(record);
                const std::size_t count = body.size() >= 2 ? std::min<std::size_t>(readU16(body.data()), (body.size() - 2) / 8) : 0;
                for (std::size_t k = 0; k < count; ++k) {
                    const int first = readU16(body.data() + 2 + 8 * k);
                    const int last = readU16(body.data() + 4 + 8 * k);
                    if (first <= row && row <= last && first != last)
                        return QStringLiteral("该行处于跨行的合并单元格中。");
                }
                break;
            }
            default:
                break;
            }
        }
    }
    return {};
}

void SheetLayout::removeRow(int row)
{
    cells_.erase(std::remove_if(cells_.begin(), cells_.end(), [&](const CellItem& c) { return c.row == row; }),
                 cells_.end());
    for (CellItem& c : cells_)
        if (c.row > row)
            --c.row;
    rows_.erase(std::remove_if(rows_.begin(), rows_.end(), [&](const RowItem& r) { return r.row == row; }),
                rows_.end());
    for (RowItem& r : rows_)
        if (r.row > row)
            --r.row;
    for (Span& s : suffix_) {
        const std::string_view record = bytesOf(s);
        if (record.size() < 6 || typeOf(record) != rec::MergedCells)
            continue;
        const std::string_view body = bodyOf(record);
        const std::size_t count = std::min<std::size_t>(readU16(body.data()), (body.size() - 2) / 8);
        std::string kept;
        std::uint16_t keptCount = 0;
        for (std::size_t k = 0; k < count; ++k) {
            std::string ref(body.substr(2 + 8 * k, 8));
            const std::uint16_t first = readU16(ref.data());
            const std::uint16_t last = readU16(ref.data() + 2);
            if (first == row && last == row)
                continue;
            if (first > row) {
                writeU16(ref.data(), first - 1);
                writeU16(ref.data() + 2, last - 1);
            }
            kept.append(ref);
            ++keptCount;
        }
        std::string newBody;
        appendU16(newBody, keptCount);
        newBody.append(kept);
        s = own(makeRecord(rec::MergedCells, newBody));
    }
}

void SheetLayout::appendTo(std::string& out) const
{
    // Rows in order: every row with a ROW record or a cell.
    std::vector<std::uint16_t> rowNumbers;
    rowNumbers.reserve(rows_.size());
    {
        std::size_t r = 0;
        std::size_t c = 0;
        while (r < rows_.size() || c < cells_.size()) {
            std::uint16_t next = 0xFFFF;
            if (r < rows_.size())
                next = rows_[r].row;
            if (c < cells_.size())
                next = std::min(next, cells_[c].row);
            rowNumbers.push_back(next);
            while (r < rows_.size() && rows_[r].row == next)
                ++r;
            while (c < cells_.size() && cells_[c].row == next)
                ++c;
        }
    }
    const std::size_t blocks = (rowNumbers.size() + kRowsPerBlock - 1) / kRowsPerBlock;

    out.reserve(out.size() + source_.size() + owned_.size() + blocks * 80 + 64);
    std::size_t indexAt = std::string::npos;
    std::size_t defColWidthAt = std::string::npos;
    for (const Span& s : prefix_) {
        const std::string_view record = bytesOf(s);
        const std::uint16_t type = typeOf(record);
        if (type == rec::Index) {
            indexAt = out.size();
            appendRecord(out, rec::Index, std::string(16 + 4 * blocks, '\0'));
        } else if (type == rec::Dimensions && record.size() == 18) {
            std::string body(14, '\0');
            if (!cells_.empty()) {
                std::uint16_t firstColumn = 0xFFFF;
                std::uint16_t lastColumn = 0;
                for (const CellItem& c : cells_) {
                    firstColumn = std::min(firstColumn, c.firstColumn);
                    lastColumn = std::max(lastColumn, c.lastColumn);
                }
                writeU32(body.data(), cells_.front().row);
                writeU32(body.data() + 4, cells_.back().row + 1u);
                writeU16(body.data() + 8, firstColumn);
                writeU16(body.data() + 10, lastColumn + 1);
            }
            appendRecord(out, rec::Dimensions, body);
        } else {
            if (type == kDefColWidth)
                defColWidthAt = out.size();
            out.append(record);
        }
    }

    std::vector<std::uint32_t> dbCells;
    std::size_t rowIndex = 0;
    std::size_t cellIndex = 0;
    std::size_t rowRecordIndex = 0;
    for (std::size_t b = 0; b < blocks; ++b) {
        const std::size_t blockStart = out.size();
        const std::size_t end = std::min(rowNumbers.size(), rowIndex + kRowsPerBlock);
        // ROW records of the block, their column span taken from the cells.
        std::size_t scan = cellIndex;
        for (std::size_t k = rowIndex; k < end; ++k) {
            const std::uint16_t row = rowNumbers[k];
            std::uint16_t first = 0;
            std::uint16_t last = 0;
            if (scan < cells_.size() && cells_[scan].row == row) {
                first = cells_[scan].firstColumn;
                while (scan < cells_.size() && cells_[scan].row == row)
                    last = std::max<std::uint16_t>(last, cells_[scan++].lastColumn + 1);
            }
            std::string body;
            while (rowRecordIndex < rows_.size() && rows_[rowRecordIndex].row < row)
                ++rowRecordIndex;
            if (rowRecordIndex < rows_.size() && rows_[rowRecordIndex].row == row) {
                body = std::string(bodyOf(bytesOf(rows_[rowRecordIndex].bytes)));
            } else {
                body.assign(16, '\0');
                writeU16(body.data() + 6, 0x00FF);
                writeU16(body.data() + 12, 0x0100);
                writeU16(body.data() + 14, 0x000F);
            }
            writeU16(body.data(), row);
            writeU16(body.data() + 2, first);
            writeU16(body.data() + 4, last);
            appendRecord(out, rec::Row, body);
        }
        // The cells, row by row, each record carrying its current row number.
        std::string dbBody;
        std::size_t previousFirstCell = blockStart + 20;
        for (std::size_t k = rowIndex; k < end; ++k) {
            const std::uint16_t row = rowNumbers[k];
            const std::size_t firstCell = out.size();
            while (cellIndex < cells_.size() && cells_[cellIndex].row == row) {
                const std::size_t at = out.size();
                out.append(bytesOf(cells_[cellIndex].bytes));
                writeU16(out.data() + at + 4, row);
                ++cellIndex;
            }
            appendU16(dbBody, std::uint16_t(firstCell - previousFirstCell));
            previousFirstCell = firstCell;
        }
        std::string db;
        appendU32(db, std::uint32_t(out.size() - blockStart));
        db.append(dbBody);
        dbCells.push_back(std::uint32_t(out.size()));
        appendRecord(out, rec::DbCell, db);
        rowIndex = end;
    }

    for (const Span& s : suffix_)
        out.append(bytesOf(s));

    if (indexAt != std::string::npos) {
        char* body = out.data() + indexAt + 4;
        writeU32(body + 4, rowNumbers.empty() ? 0 : rowNumbers.front());
        writeU32(body + 8, rowNumbers.empty() ? 0 : rowNumbers.back() + 1u);
        writeU32(body + 12, defColWidthAt == std::string::npos ? 0 : std::uint32_t(defColWidthAt));
        for (std::size_t b = 0; b < dbCells.size(); ++b)
            writeU32(body + 16 + 4 * b, dbCells[b]);
    }
}

} // namespace workbook::xls
