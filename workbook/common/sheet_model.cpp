#include "workbook/common/sheet_model.h"

#include "data/error.h"

#include <QSet>
#include <algorithm>

namespace workbook {

TableBuilder::TableBuilder(std::optional<CellRange> limit) : limit_(limit) {}

void TableBuilder::cell(int row, int column, data::Value&& value)
{
    if (value.isNull() || row < 0 || column < 0 || row >= kMaxRows || column >= kMaxColumns)
        return;
    if (value.kind() == data::ValueKind::Text && value.textValue().isEmpty())
        return;
    if (limit_ && !limit_->contains(row, column))
        return;
    if (static_cast<size_t>(row) >= rows_.size())
        rows_.resize(row + 1);
    auto& cells = rows_[row];
    if (static_cast<size_t>(column) >= cells.size())
        cells.resize(column + 1);
    cells[column] = std::move(value);
    firstRow_ = firstRow_ < 0 ? row : std::min(firstRow_, row);
    lastRow_ = std::max(lastRow_, row);
    firstColumn_ = firstColumn_ < 0 ? column : std::min(firstColumn_, column);
    lastColumn_ = std::max(lastColumn_, column);
}

TableContent TableBuilder::finish()
{
    TableContent table;
    if (limit_) {
        // A named range keeps its own first row and column; its far edges shrink to the cells.
        table.box = *limit_;
        table.box.lastRow = std::min(limit_->lastRow, std::max(lastRow_, limit_->firstRow));
        table.box.lastColumn = std::min(limit_->lastColumn, std::max(lastColumn_, limit_->firstColumn));
    } else if (firstRow_ >= 0) {
        table.box = CellRange{firstRow_, firstColumn_, lastRow_, lastColumn_};
    } else {
        return table;
    }
    const CellRange& box = table.box;
    const qint64 cells = qint64(box.rowCount()) * box.columnCount();
    if (cells > kMaxTableCells)
        throw data::Error(QStringLiteral("表格太大，无法打开：%1 行 × %2 列。").arg(box.rowCount()).arg(box.columnCount()));

    const int width = box.columnCount();
    auto takeRow = [&](int sheetRow) {
        std::vector<data::Value> out;
        if (static_cast<size_t>(sheetRow) < rows_.size()) {
            out = std::move(rows_[sheetRow]);
            std::vector<data::Value>().swap(rows_[sheetRow]);
        }
        if (box.firstColumn > 0) {
            const size_t drop = std::min(out.size(), static_cast<size_t>(box.firstColumn));
            out.erase(out.begin(), out.begin() + drop);
        }
        out.resize(width);
        return out;
    };
    table.fieldNames = fieldNamesFromHeader(takeRow(box.firstRow));
    table.records.reserve(box.rowCount() - 1);
    for (int r = box.firstRow + 1; r <= box.lastRow; ++r)
        table.records.push_back(takeRow(r));
    rows_.clear();
    rows_.shrink_to_fit();
    return table;
}

std::vector<QString> fieldNamesFromHeader(const std::vector<data::Value>& header)
{
    std::vector<QString> names;
    names.reserve(header.size());
    QSet<QString> taken;
    for (size_t i = 0; i < header.size(); ++i) {
        QString name = header[i].toText().trimmed();
        if (name.isEmpty())
            name = QStringLiteral("F%1").arg(i + 1);
        QString unique = name;
        for (int n = 1; taken.contains(unique.toCaseFolded()); ++n)
            unique = name + QString::number(n);
        taken.insert(unique.toCaseFolded());
        names.push_back(unique);
    }
    return names;
}

QString columnLetters(int column)
{
    QString letters;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar('A' + (c - 1) % 26));
    return letters;
}

QString cellReference(int row, int column)
{
    return columnLetters(column) + QString::number(row + 1);
}

bool parseCellReference(QStringView text, int* row, int* column)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (i < n && text[i] == u'$')
        ++i;
    qint64 col = 0;
    int letters = 0;
    for (; i < n && letters < 4; ++i, ++letters) {
        const char16_t ch = text[i].toUpper().unicode();
        if (ch < u'A' || ch > u'Z')
            break;
        col = col * 26 + (ch - u'A' + 1);
    }
    if (letters == 0 || letters > 3)
        return false;
    if (i < n && text[i] == u'$')
        ++i;
    qint64 r = 0;
    int digits = 0;
    for (; i < n; ++i, ++digits) {
        if (!text[i].isDigit() || digits > 7)
            return false;
        r = r * 10 + (text[i].unicode() - u'0');
    }
    if (digits == 0 || r < 1 || r > kMaxRows || col > kMaxColumns)
        return false;
    *row = int(r - 1);
    *column = int(col - 1);
    return true;
}

bool parseRangeReference(QStringView text, CellRange* range)
{
    const qsizetype colon = text.indexOf(u':');
    int r1, c1, r2, c2;
    if (colon < 0) {
        if (!parseCellReference(text, &r1, &c1))
            return false;
        *range = CellRange{r1, c1, r1, c1};
        return true;
    }
    if (!parseCellReference(text.left(colon), &r1, &c1) || !parseCellReference(text.mid(colon + 1), &r2, &c2))
        return false;
    *range = CellRange{std::min(r1, r2), std::min(c1, c2), std::max(r1, r2), std::max(c1, c2)};
    return true;
}

} // namespace workbook
