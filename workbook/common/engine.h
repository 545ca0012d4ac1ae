#pragma once

#include "workbook/common/sheet_model.h"

#include <QString>
#include <memory>
#include <span>
#include <vector>

namespace workbook {

struct Worksheet {
    QString name;        // as the workbook names it, without '$'
    bool visible = true;
};

// A defined name that refers to one rectangle of one worksheet.
struct NamedRange {
    QString name;
    int localSheet = -1; // the worksheet the name is scoped to, -1 for a workbook-wide name
    int sheet = 0;       // the worksheet the range lies on (index into worksheets())
    CellRange range;
};

// The value one cell of a row is to take; a null value empties the cell.
struct CellWrite {
    int column = 0;
    data::Value value;
};

// An opened workbook file, the same for every format. Coordinates are 0-based. The write
// operations change the workbook held in memory; save() puts them into the file, and
// revert() drops every change since the last save (used when a save fails).
class Workbook {
public:
    virtual ~Workbook() = default;

    virtual const QString& path() const = 0;

    // Worksheets in workbook order; chart and macro sheets are not listed.
    virtual std::vector<Worksheet> worksheets() const = 0;
    virtual std::vector<NamedRange> namedRanges() const = 0;

    // Sends every non-empty cell of the worksheet to the sink. Raises data::Error on bad content.
    virtual void readCells(int sheet, CellSink& sink) = 0;

    // Sets cells of one row. A cell keeps its style; a cell written is no formula any more;
    // the cells not named keep everything. A cell that did not exist takes the style of the
    // nearest cell above it in the same column. Raises data::Error when the format cannot
    // hold the row or value (the message says why).
    virtual void writeCells(int sheet, int row, std::span<const CellWrite> cells) = 0;

    // Removes the row; the rows below move up one and what refers to them on that sheet
    // follows. Raises data::Error, changing nothing, where that cannot be done safely.
    virtual void deleteRow(int sheet, int row) = 0;

    // Writes the workbook to its file through safeSave(), after checking with the
    // FileStamp taken at open that nobody else changed the file meanwhile.
    virtual void save() = 0;
    virtual void revert() = 0;
};

// The .xlsx / .xlsm engine. Raises data::Error with a clear text for anything it cannot read.
std::unique_ptr<Workbook> openXlsx(const QString& path);
// The .xls engine (BIFF8 in a compound file).
std::unique_ptr<Workbook> openXls(const QString& path);

// What a file holds, told by its first bytes.
enum class FileFormat { Zip, CompoundFile, Other };
FileFormat detectFormat(const QString& path); // raises when the file cannot be read

} // namespace workbook
