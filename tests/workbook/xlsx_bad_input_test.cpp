// Hostile and broken .xlsx files: each ends in a clear error (or, where the file is legal, a
// plain read), quickly, with the file on disk left as it was.
#include "data/error.h"
#include "workbook/common/engine.h"
#include "workbook/common/sheet_model.h"
#include "workbook/common/table_naming.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <ctime>

using namespace workbook;

namespace {

QByteArray hashOf(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// Opens the workbook and reads every table it lists, as the sheet list and an import would.
void openAndReadEverything(const QString& path)
{
    auto book = openXlsx(path);
    for (const QString& name : listTables(*book)) {
        const TableRef ref = resolveTable(*book, u'[' + name + u']');
        TableBuilder builder(ref.range);
        book->readCells(ref.sheet, builder);
        builder.finish();
    }
}

struct BadFile {
    const char* file;
    const char* messagePart; // nullptr: the file is legal and reads
};

TEST(XlsxBadInput, EachClassEndsInAClearErrorQuicklyAndLeavesTheFileAlone)
{
    QTemporaryDir dir;
    QProcess python;
    python.start(QStringLiteral(VARNELO_PYTHON), {QStringLiteral(FIXTURES_DIR "/make_xlsx_hostile.py"), dir.path()});
    ASSERT_TRUE(python.waitForFinished(120000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();

    const BadFile cases[] = {
        {"good.xlsx", nullptr},
        {"not_a_zip.xlsx", "不是有效的 zip"},
        {"truncated.xlsx", "不是有效的 zip"},
        {"missing_workbook.xlsx", "找不到工作簿部件"},
        {"missing_sheet.xlsx", "缺少部件“xl/worksheets/sheet1.xml”"},
        {"bomb_ratio.xlsx", "压缩炸弹"},
        {"too_many_entries.xlsx", "条目过多"},
        {"duplicate_names.xlsx", "出现了不止一次"},
        {"entity_expansion.xlsx", "文档类型声明"},
        {"external_entity.xlsx", "document type"},
        {"shared_string_index.xlsx", "不存在的共享字符串"},
        {"negative_string_index.xlsx", "不存在的共享字符串"},
        {"absurd_row.xlsx", "行号“99999999”无效"},
        {"absurd_column.xlsx", "ZZZZZ2"},
        // A merge over the whole sheet is legal; it must not make the read walk every cell.
        {"whole_sheet_merge.xlsx", nullptr},
    };
    for (const BadFile& c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = dir.filePath(QString::fromUtf8(c.file));
        const QByteArray before = hashOf(path);
        const std::clock_t start = std::clock();
        QString message;
        try {
            openAndReadEverything(path);
        } catch (const data::Error& e) {
            message = e.message();
        }
        const double seconds = double(std::clock() - start) / CLOCKS_PER_SEC;
        if (c.messagePart)
            EXPECT_TRUE(message.contains(QString::fromUtf8(c.messagePart))) << message.toStdString();
        else
            EXPECT_TRUE(message.isEmpty()) << message.toStdString();
        EXPECT_LT(seconds, 1.0) << "processor time spent on the file";
        EXPECT_EQ(hashOf(path), before);
    }
}

} // namespace
