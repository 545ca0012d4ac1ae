#include "settings/data_set_settings.h"

#include "qt_printers.h"
#include "temp_ini.h"

#include <gtest/gtest.h>
#include <optional>

namespace {

using settings::TDataSetStr;

// Stored values worked out by hand for the empty key (see the descrambling table).
// "001F3CC4" is "SQL", "101D13" "AB", "101D" "A", "206C" "\xFF", "101" "=", "0000000000" "LLLL".
const QByteArray allSix = "[Database]\n"
                          "DataType=001F3CC4\n"
                          "Source=101D13\n"
                          "UserID=101D\n"
                          "Password=206C\n"
                          "Catalog=101\n"
                          "DataPath=0000000000\n";

TDataSetStr record(const char* type, const char* source, const char* user, const char* catalog,
                   const char* password, const char* path)
{
    return TDataSetStr{type, source, user, catalog, password, path};
}

const TDataSetStr allSixRead = record("SQL", "AB", "A", "=", "\xFF", "LLLL");
const TDataSetStr leftOver = record("old1", "old2", "old3", "old4", "old5", "old6");
const TDataSetStr allEmpty;

// 1023 "00" pairs, then "0ZZ": cut at 2047 characters the text ends on the lone "0", which is
// never read, so the value is 1022 times 'L'; read whole, the pair "0Z" would empty it.
const QByteArray over2047 = QByteArray("00").repeated(1023) + "0ZZ";

struct ReadCase {
    const char* what;
    std::optional<QByteArray> content; // none: no file at all
    QByteArray section;
    TDataSetStr expected; // starting from leftOver
};

const ReadCase readCases[] = {
    {"no file: all six empty", std::nullopt, "Database", allEmpty},
    {"all six keys", allSix, "Database", allSixRead},
    {"section and keys in another case in the file",
     "[DATABASE]\ndatatype=001F3CC4\nSOURCE=101D13\nuserid=101D\nPassWord=206C\ncatalog=101\ndatapath=0000000000\n",
     "Database", allSixRead},
    {"section argument in another case reads nothing", allSix, "database", leftOver},
    {"section argument with a blank reads nothing", allSix, "Database ", leftOver},
    {"other section argument reads nothing", allSix, "Other", leftOver},
    {"blanks around '=' and the values, CR LF",
     "  [Database]  \r\nDataType =  001F3CC4  \r\n\tSource\t=\t101D13\t\r\n", "Database",
     record("SQL", "AB", "", "", "", "")},
    {"missing keys give empty fields", "[Database]\nUserID=101D\nDataPath=0000000000\n", "Database",
     record("", "", "A", "", "", "LLLL")},
    {"the section missing, another present", "[Settings]\nDataType=001F3CC4\n", "Database", allEmpty},
    {"values too short or not hexadecimal give empty fields",
     "[Database]\nDataType=4D\nSource=10\nUserID=X\nPassword=101D1G\nCatalog=G01D\nDataPath=\n", "Database",
     allEmpty},
    {"a value is read as at most 2047 characters", "[Database]\nDataPath=" + over2047 + "\n", "Database",
     record("", "", "", "", "", QByteArray(1022, 'L').constData())},
};

TEST(ReadDataSetStr, FillsTheRecordFromTheFile)
{
    for (const ReadCase& c : readCases) {
        TDataSetStr got = leftOver;
        if (c.content) {
            TempIni file(*c.content);
            settings::ReadDataSetStr(file.path(), c.section, got);
        } else {
            QTemporaryDir dir;
            settings::ReadDataSetStr(dir.filePath(QStringLiteral("DataSet.ini")), c.section, got);
        }
        EXPECT_EQ(got.DataType, c.expected.DataType) << c.what;
        EXPECT_EQ(got.Source, c.expected.Source) << c.what;
        EXPECT_EQ(got.UserID, c.expected.UserID) << c.what;
        EXPECT_EQ(got.Catalog, c.expected.Catalog) << c.what;
        EXPECT_EQ(got.Password, c.expected.Password) << c.what;
        EXPECT_EQ(got.DataPath, c.expected.DataPath) << c.what;
    }
}

} // namespace
