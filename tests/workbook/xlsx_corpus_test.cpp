// Every .xlsx / .xlsm workbook of the real-world corpus opens (or is refused with a clear
// error), and every worksheet reads, cell by cell, as openpyxl reads it.
#include "data/error.h"
#include "data/value.h"
#include "workbook/common/engine.h"
#include "workbook/common/table_naming.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

#include <map>

using namespace workbook;

namespace {

// Our read-as-text form of what openpyxl read; an empty optional where it gives none to compare.
std::optional<QString> expectedText(const QJsonArray& cell)
{
    const QString kind = cell[2].toString();
    const QJsonValue v = cell[3];
    if (kind == u"s" || kind == u"e")
        return v.toString();
    if (kind == u"n")
        return data::formatNumber(v.toDouble());
    if (kind == u"b")
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    if (kind == u"d") {
        QString s = v.toString();
        if (s.endsWith(QLatin1String(" 00:00:00")))
            s.chop(9);
        return s;
    }
    return std::nullopt;
}

std::map<QString, QJsonObject> openpyxlReadings(const QStringList& files)
{
    QProcess python;
    python.start(QStringLiteral(VARNELO_PYTHON), QStringList{QStringLiteral(FIXTURES_DIR "/openpyxl_cells.py")} + files);
    python.waitForFinished(300000);
    std::map<QString, QJsonObject> readings;
    for (const QByteArray& line : python.readAllStandardOutput().split('\n')) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        if (!o.isEmpty())
            readings[o[QStringLiteral("file")].toString()] = o;
    }
    return readings;
}

// Compares one worksheet; returns the disagreements as "file / table / row / column: ours vs theirs".
QStringList compareSheet(const QString& file, const QString& table, const TableContent& ours, const QJsonArray& cells)
{
    QStringList faults;
    auto fault = [&](int row, int column, const QString& what) {
        if (faults.size() < 5)
            faults << QStringLiteral("%1 / %2 / row %3 / column %4: %5").arg(file, table).arg(row + 1).arg(column + 1).arg(what);
    };
    // Their box: every cell with a value, compared including the ones we cannot compare.
    CellRange box{INT_MAX, INT_MAX, -1, -1};
    for (const QJsonValue& c : cells) {
        const QJsonArray a = c.toArray();
        box.firstRow = std::min(box.firstRow, a[0].toInt());
        box.firstColumn = std::min(box.firstColumn, a[1].toInt());
        box.lastRow = std::max(box.lastRow, a[0].toInt());
        box.lastColumn = std::max(box.lastColumn, a[1].toInt());
    }
    if (box.lastRow < 0) {
        if (!ours.box.isEmpty())
            fault(ours.box.firstRow, ours.box.firstColumn, QStringLiteral("we read cells, openpyxl none"));
        return faults;
    }
    if (ours.box.firstRow != box.firstRow || ours.box.firstColumn != box.firstColumn ||
        ours.box.lastRow != box.lastRow || ours.box.lastColumn != box.lastColumn) {
        fault(box.firstRow, box.firstColumn,
              QStringLiteral("table box %1,%2-%3,%4 but openpyxl %5,%6-%7,%8")
                  .arg(ours.box.firstRow).arg(ours.box.firstColumn).arg(ours.box.lastRow).arg(ours.box.lastColumn)
                  .arg(box.firstRow).arg(box.firstColumn).arg(box.lastRow).arg(box.lastColumn));
        return faults;
    }
    std::map<std::pair<int, int>, QJsonArray> theirs;
    for (const QJsonValue& c : cells)
        theirs[{c.toArray()[0].toInt(), c.toArray()[1].toInt()}] = c.toArray();
    for (int r = box.firstRow; r <= box.lastRow; ++r) {
        for (int col = box.firstColumn; col <= box.lastColumn; ++col) {
            const auto it = theirs.find({r, col});
            std::optional<QString> expected = it == theirs.end() ? std::optional<QString>(QString()) : expectedText(it->second);
            if (!expected)
                continue;
            const int field = col - box.firstColumn;
            if (r == box.firstRow) {
                // Field names: a non-blank header reads as itself unless it had to be made unique.
                const QString name = ours.fieldNames[size_t(field)];
                if (!expected->trimmed().isEmpty() && name != expected->trimmed() && !name.startsWith(expected->trimmed()))
                    fault(r, col, QStringLiteral("field name '%1' but openpyxl '%2'").arg(name, *expected));
                continue;
            }
            const QString got = ours.records[size_t(r - box.firstRow - 1)][size_t(field)].toText();
            if (got != *expected)
                fault(r, col, QStringLiteral("'%1' but openpyxl '%2'").arg(got, *expected));
        }
    }
    return faults;
}

TEST(XlsxCorpus, EveryWorkbookOpensAndReadsAsOpenpyxlDoes)
{
    const QDir corpus(QStringLiteral(VARNELO_CORPUS "/sheetjs"));
    QStringList files;
    for (const QString& name : corpus.entryList({QStringLiteral("*.xlsx"), QStringLiteral("*.xlsm")}, QDir::Files, QDir::Name))
        files << corpus.filePath(name);
    ASSERT_FALSE(files.isEmpty()) << "corpus not found at " << VARNELO_CORPUS;
    const std::map<QString, QJsonObject> readings = openpyxlReadings(files);

    int opened = 0, refused = 0, compared = 0;
    QStringList faults;
    for (const QString& path : files) {
        const QString file = QFileInfo(path).fileName();
        const auto reading = readings.find(file);
        const bool theyRead = reading != readings.end() && reading->second.contains(QStringLiteral("sheets"));
        std::unique_ptr<Workbook> book;
        try {
            book = openXlsx(path);
            listTables(*book);
        } catch (const data::Error& e) {
            ++refused;
            EXPECT_FALSE(e.message().isEmpty()) << file.toStdString();
            if (theyRead)
                faults << QStringLiteral("%1: refused (%2) though openpyxl reads it").arg(file, e.message());
            continue;
        }
        ++opened;
        if (!theyRead)
            continue;
        const QJsonArray sheets = reading->second[QStringLiteral("sheets")].toArray();
        const std::vector<Worksheet> ours = book->worksheets();
        // openpyxl also lists macro and dialog sheets, which are no tables, and reads no sheet
        // of a strict package: the sheets are matched by name.
        std::map<QString, QJsonArray> theirCells;
        for (const QJsonValue& s : sheets)
            theirCells[s[QStringLiteral("name")].toString()] = s[QStringLiteral("cells")].toArray();
        if (sheets.isEmpty())
            continue;
        for (int i = 0; i < int(ours.size()); ++i) {
            const QString table = worksheetTableName(ours[size_t(i)].name);
            const auto cells = theirCells.find(ours[size_t(i)].name);
            if (cells == theirCells.end()) {
                faults << QStringLiteral("%1: openpyxl has no sheet '%2'").arg(file, ours[size_t(i)].name);
                continue;
            }
            try {
                TableBuilder builder;
                book->readCells(i, builder);
                faults << compareSheet(file, table, builder.finish(), cells->second);
                ++compared;
            } catch (const data::Error& e) {
                faults << QStringLiteral("%1 / %2: %3").arg(file, table, e.message());
            }
        }
    }
    std::printf("corpus: %d opened, %d refused, %d worksheets compared with openpyxl\n", opened, refused, compared);
    EXPECT_TRUE(faults.isEmpty()) << faults.join(u'\n').toStdString();
}

} // namespace
