// Every .xls workbook of the real-world corpus (Excel 97-2003 and Excel 95) opens and lists
// its tables, or is refused with a clear error, and every worksheet reads, cell by cell, as
// xlrd reads it.
#include "data/error.h"
#include "data/value.h"
#include "workbook/common/engine.h"
#include "workbook/common/table_naming.h"

#include <QDir>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

#include <map>

using namespace workbook;

namespace {

// Our read-as-text form of what xlrd read; empty where it gives nothing to compare.
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

std::map<QString, QJsonObject> xlrdReadings(const QStringList& files)
{
    QProcess python;
    python.start(QStringLiteral(VARNELO_PYTHON), QStringList{QStringLiteral(FIXTURES_DIR "/xlrd_cells.py")} + files);
    python.waitForFinished(300000);
    std::map<QString, QJsonObject> readings;
    for (const QByteArray& line : python.readAllStandardOutput().split('\n')) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        if (!o.isEmpty())
            readings[o[QStringLiteral("file")].toString()] = o;
    }
    return readings;
}

class CellMap : public CellSink {
public:
    void cell(int row, int column, data::Value&& value) override
    {
        const QString text = value.toText();
        if (!text.isEmpty())
            cells[{row, column}] = text;
    }
    std::map<std::pair<int, int>, QString> cells;
};

// The disagreements of one worksheet, each "file / table / cell: ours vs theirs".
QStringList compareSheet(const QString& file, const QString& table, const CellMap& ours, const QJsonArray& theirs)
{
    QStringList faults;
    auto fault = [&](int row, int column, const QString& what) {
        if (faults.size() < 5)
            faults << QStringLiteral("%1 / %2 / row %3 / column %4 (%5): %6")
                          .arg(file, table).arg(row + 1).arg(column + 1).arg(cellReference(row, column), what);
    };
    std::map<std::pair<int, int>, QString> unmatched = ours.cells;
    for (const QJsonValue& c : theirs) {
        const QJsonArray a = c.toArray();
        const std::pair<int, int> at{a[0].toInt(), a[1].toInt()};
        const auto mine = unmatched.find(at);
        const QString got = mine == unmatched.end() ? QString() : mine->second;
        if (mine != unmatched.end())
            unmatched.erase(mine);
        const std::optional<QString> expected = expectedText(a);
        if (expected && got != *expected)
            fault(at.first, at.second, QStringLiteral("'%1' but xlrd '%2'").arg(got, *expected));
    }
    for (const auto& [at, text] : unmatched)
        fault(at.first, at.second, QStringLiteral("'%1' but xlrd reads no value").arg(text));
    return faults;
}

TEST(XlsCorpus, EveryWorkbookOpensAndReadsAsXlrdDoes)
{
    const QDir corpus(QStringLiteral(VARNELO_CORPUS "/sheetjs"));
    QStringList files;
    QDirIterator it(corpus.path(), {QStringLiteral("*.xls")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    ASSERT_FALSE(files.isEmpty()) << "corpus not found at " << VARNELO_CORPUS;
    const std::map<QString, QJsonObject> readings = xlrdReadings(files);

    int opened = 0, refused = 0, compared = 0;
    QStringList faults;
    for (const QString& path : files) {
        const QString file = corpus.relativeFilePath(path);
        const auto reading = readings.find(file);
        const bool theyRead = reading != readings.end() && reading->second.contains(QStringLiteral("sheets"));
        std::unique_ptr<Workbook> book;
        try {
            book = openXls(path);
            listTables(*book);
        } catch (const data::Error& e) {
            ++refused;
            EXPECT_FALSE(e.message().isEmpty()) << file.toStdString();
            if (theyRead)
                faults << QStringLiteral("%1: refused (%2) though xlrd reads it").arg(file, e.message());
            continue;
        }
        ++opened;
        if (!theyRead)
            continue;
        const QJsonArray sheets = reading->second[QStringLiteral("sheets")].toArray();
        const std::vector<Worksheet> ours = book->worksheets();
        QStringList ourNames, theirNames;
        for (const Worksheet& w : ours)
            ourNames << w.name;
        for (const QJsonValue& s : sheets)
            theirNames << s[QStringLiteral("name")].toString();
        if (ourNames != theirNames) {
            faults << QStringLiteral("%1: sheets [%2] but xlrd [%3]").arg(file, ourNames.join(u','), theirNames.join(u','));
            continue;
        }
        for (int i = 0; i < int(ours.size()); ++i) {
            const QString table = worksheetTableName(ours[size_t(i)].name);
            try {
                CellMap cells;
                book->readCells(i, cells);
                faults << compareSheet(file, table, cells, sheets[i][QStringLiteral("cells")].toArray());
                ++compared;
            } catch (const data::Error& e) {
                faults << QStringLiteral("%1 / %2: %3").arg(file, table, e.message());
            }
        }
    }
    std::printf("corpus: %d opened, %d refused, %d worksheets compared with xlrd\n", opened, refused, compared);
    EXPECT_TRUE(faults.isEmpty()) << faults.join(u'\n').toStdString();
}

} // namespace
