// A writer killed at any moment leaves a workbook that opens, with our reader and with xlrd,
// holding either what it held before the save or what the save wrote.
#include "xls_test_support.h"

#include "data/error.h"
#include "workbook/common/engine.h"

#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

using namespace workbook;

namespace {

constexpr int kRow = 1;
constexpr int kTextColumn = 0;
constexpr int kNumberColumn = 2;

class CellMap : public CellSink {
public:
    void cell(int row, int column, data::Value&& value) override { cells[{row, column}] = value.toText(); }
    std::map<std::pair<int, int>, QString> cells;
};

std::map<std::pair<int, int>, QString> readFirstSheet(const QString& path)
{
    CellMap cells;
    openXls(path)->readCells(0, cells);
    return cells.cells;
}

// Saves edit after edit until killed: save k puts "v<k>" and k into the two cells of one row.
[[noreturn]] void saveInALoop(const QString& path)
{
    try {
        auto book = openXls(path);
        for (int k = 0;; ++k) {
            const CellWrite write[] = {{kTextColumn, data::Value::text(QStringLiteral("v%1").arg(k))},
                                       {kNumberColumn, data::Value::number(k)}};
            book->writeCells(0, kRow, write);
            book->save();
        }
    } catch (...) {
        _exit(3);
    }
}

QString xlrdText(const QJsonObject& reading, int row, int column)
{
    const QJsonArray sheets = reading[QStringLiteral("sheets")].toArray();
    if (sheets.isEmpty())
        return {};
    for (const QJsonValue& c : sheets[0][QStringLiteral("cells")].toArray()) {
        const QJsonArray a = c.toArray();
        if (a[0].toInt() == row && a[1].toInt() == column)
            return a[2].toString() == u"n" ? data::formatNumber(a[3].toDouble()) : a[3].toString();
    }
    return {};
}

TEST(XlsCrashSafety, AKilledWriterLeavesTheOldOrTheNewWorkbook)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mixed.xls"));
    ASSERT_TRUE(QFile::copy(xlstest::fixtureDir() + QStringLiteral("/mixed.xls"), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    const auto original = readFirstSheet(path);

    std::mt19937 random(20261211);
    std::uniform_int_distribution<int> delayUs(0, 60000);
    int lastSeen = -1;
    for (int attempt = 0; attempt < 50; ++attempt) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            saveInALoop(path);
        ::usleep(useconds_t(delayUs(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "attempt " << attempt << ": the writer stopped by itself";

        std::map<std::pair<int, int>, QString> now;
        try {
            now = readFirstSheet(path);
        } catch (const data::Error& e) {
            FAIL() << "attempt " << attempt << ": " << e.message().toStdString();
        }
        // Everything but the two edited cells is as it was; those two come from the same save.
        auto expected = original;
        const QString text = now[{kRow, kTextColumn}];
        if (text != original.at({kRow, kTextColumn})) {
            ASSERT_TRUE(text.startsWith(u'v')) << "attempt " << attempt << ": " << text.toStdString();
            expected[{kRow, kTextColumn}] = text;
            expected[{kRow, kNumberColumn}] = text.mid(1);
            lastSeen = text.mid(1).toInt();
        }
        EXPECT_EQ(now, expected) << "attempt " << attempt;

        const QJsonObject reading = xlstest::xlrdReading(path);
        ASSERT_TRUE(reading.contains(QStringLiteral("sheets")))
            << "attempt " << attempt << ": " << reading[QStringLiteral("error")].toString().toStdString();
        for (const int column : {kTextColumn, kNumberColumn})
            EXPECT_EQ(xlrdText(reading, kRow, column), now[std::pair(kRow, column)]) << "attempt " << attempt;
    }
    // The kills did not all land before the first save.
    EXPECT_GE(lastSeen, 0);
}

} // namespace
