// A writer killed at any moment leaves an .xlsx that opens, with our reader and with openpyxl,
// holding either what it held before the save or what the save wrote.
#include "data/error.h"
#include "workbook/common/engine.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
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
constexpr int kNumberColumn = 1;

using Cells = std::map<std::pair<int, int>, QString>;

class CellMap : public CellSink {
public:
    void cell(int row, int column, data::Value&& value) override { cells[{row, column}] = value.toText(); }
    Cells cells;
};

Cells readFirstSheet(const QString& path)
{
    CellMap cells;
    openXlsx(path)->readCells(0, cells);
    return cells.cells;
}

// Saves edit after edit until killed: save k puts "v<k>" (a new shared string) and k into two
// cells of one row, so each save changes the sheet and the shared strings together.
[[noreturn]] void saveInALoop(const QString& path)
{
    try {
        auto book = openXlsx(path);
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

// The two edited cells as openpyxl reads them, or the reason it could not.
std::pair<QString, QString> openpyxlCells(const QString& path, QString* error)
{
    QProcess p;
    p.start(QStringLiteral(VARNELO_PYTHON), {QStringLiteral(FIXTURES_DIR "/openpyxl_cells.py"), path});
    p.waitForFinished(60000);
    const QJsonObject o = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    *error = o.contains(QStringLiteral("sheets")) ? QString() : o[QStringLiteral("error")].toString() + u' ' +
                                                                   QString::fromUtf8(p.readAllStandardError());
    std::pair<QString, QString> out;
    for (const QJsonValue& c : o[QStringLiteral("sheets")].toArray().at(0)[QStringLiteral("cells")].toArray()) {
        const QJsonArray a = c.toArray();
        if (a[0].toInt() != kRow)
            continue;
        const QString text = a[2].toString() == u"n" ? data::formatNumber(a[3].toDouble()) : a[3].toString();
        if (a[1].toInt() == kTextColumn)
            out.first = text;
        else if (a[1].toInt() == kNumberColumn)
            out.second = text;
    }
    return out;
}

TEST(XlsxCrashSafety, AKilledWriterLeavesTheOldOrTheNewWorkbook)
{
    QTemporaryDir dir;
    QProcess python;
    python.start(QStringLiteral(VARNELO_PYTHON), {QStringLiteral(FIXTURES_DIR "/make_xlsx_hostile.py"), dir.path()});
    ASSERT_TRUE(python.waitForFinished(120000));
    const QString path = dir.filePath(QStringLiteral("good.xlsx"));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    const Cells original = readFirstSheet(path);

    const int attempts = qEnvironmentVariableIntValue("VARNELO_CRASH_ATTEMPTS") > 0
                             ? qEnvironmentVariableIntValue("VARNELO_CRASH_ATTEMPTS")
                             : 50;
    std::mt19937 random(20261211);
    std::uniform_int_distribution<int> delayUs(0, 40000);
    int lastSeen = -1;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            saveInALoop(path);
        ::usleep(useconds_t(delayUs(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "attempt " << attempt << ": the writer stopped by itself";

        Cells now;
        try {
            now = readFirstSheet(path);
        } catch (const data::Error& e) {
            FAIL() << "attempt " << attempt << ": " << e.message().toStdString();
        }
        // Everything but the two edited cells is as it was; those two come from the same save.
        Cells expected = original;
        const QString text = now[{kRow, kTextColumn}];
        if (text != original.at({kRow, kTextColumn})) {
            ASSERT_TRUE(text.startsWith(u'v')) << "attempt " << attempt << ": " << text.toStdString();
            expected[{kRow, kTextColumn}] = text;
            expected[{kRow, kNumberColumn}] = text.mid(1);
            lastSeen = text.mid(1).toInt();
        }
        EXPECT_EQ(now, expected) << "attempt " << attempt;

        QString error;
        const auto [theirText, theirNumber] = openpyxlCells(path, &error);
        ASSERT_TRUE(error.isEmpty()) << "attempt " << attempt << ": " << error.toStdString();
        EXPECT_EQ(theirText, now[std::pair(kRow, kTextColumn)]) << "attempt " << attempt;
        EXPECT_EQ(theirNumber, now[std::pair(kRow, kNumberColumn)]) << "attempt " << attempt;
    }
    // The kills did not all land before the first save.
    EXPECT_GE(lastSeen, 0);
}

} // namespace
