#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

namespace workbook::xlsx {

// The new content of one cell, already in its XML form.
struct CellText {
    enum Kind { Empty, SharedString, InlineString, Number, Date, Boolean, ErrorCode };
    int column = 0;
    Kind kind = Empty;
    QString value; // the <v> text (string index, number...), or the inline text
};

// Picks the style of a written cell from the style it would have (-1 for none); for a date
// it returns a style that shows a date, or -1 when the workbook has none.
using StylePicker = std::function<int(int style, bool date)>;

// Edits the XML of one worksheet as text: the parts it does not touch keep their bytes.
class SheetEditor {
public:
    explicit SheetEditor(QByteArray& xml) : xml_(xml) {}

    // Sets cells of a row (0-based), creating the row when needed. Returns the references of
    // cells whose formula was replaced. Raises data::Error, changing nothing, for a cell that
    // anchors a shared or array formula over other cells.
    std::vector<QString> setCells(int row, const std::vector<CellText>& cells, const StylePicker& pickStyle);

    // Removes a row and moves the rows below up one, with their cell references, the merged
    // cells and the dimension. Raises data::Error, changing nothing, when the sheet holds
    // anything that would then point at the wrong cells.
    void deleteRow(int row);

private:
    QByteArray& xml_;
};

// Whether any text of a worksheet mentions another sheet by name followed by '!'.
bool sheetReferredToBy(const QByteArray& xml, const QString& sheetName);

// Shortest text that reads back as the same double.
QString formatXmlNumber(double d);

// Appends strings[from...] to the shared string part and updates its counts.
void appendSharedStrings(QByteArray& sst, const std::vector<QString>& strings, size_t from);

} // namespace workbook::xlsx
