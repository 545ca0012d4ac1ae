#include "settings/ini_file.h"

#include "qt_printers.h"
#include "temp_ini.h"

#include <gtest/gtest.h>

namespace {

struct IniCase {
    const char* what;
    QByteArray content;
    QByteArray section;
    QByteArray key;
    QByteArray expected; // "<default>" when the default must come back
};

const QByteArray byDefault = "<default>";

const IniCase iniCases[] = {
    {"plain value", "[Database]\nSource=AB\n", "Database", "Source", "AB"},
    {"section name in another case", "[DATABASE]\nSource=AB\n", "Database", "Source", "AB"},
    {"section asked in another case", "[Database]\nSource=AB\n", "dataBASE", "Source", "AB"},
    {"key in another case", "[Database]\nsOuRcE=AB\n", "Database", "Source", "AB"},
    {"blanks around '=' and the value", "[Database]\n  Source \t=   A B  \t\n", "Database", "Source", "A B"},
    {"blanks inside the brackets", "[ Database ]\nSource=AB\n", "Database", "Source", "AB"},
    {"CR LF line ends", "[Database]\r\nSource=AB\r\nUserID=CD\r\n", "Database", "UserID", "CD"},
    {"CR line ends", "[Database]\rSource=AB\rUserID=CD\r", "Database", "Source", "AB"},
    {"no line end after the last value", "[Database]\nSource=AB", "Database", "Source", "AB"},
    {"UTF-8 byte order mark before the first section", "\xEF\xBB\xBF[Database]\nSource=AB\n", "Database",
     "Source", "AB"},
    {"double quotes around the value dropped", "[Database]\nSource=\"A B\"\n", "Database", "Source", "A B"},
    {"single quotes around the value dropped", "[Database]\nSource=' AB '\n", "Database", "Source", " AB "},
    {"unmatched quotes kept", "[Database]\nSource=\"AB'\n", "Database", "Source", "\"AB'"},
    {"a lone quote kept", "[Database]\nSource=\"\n", "Database", "Source", "\""},
    {"quotes inside kept", "[Database]\nSource=A\"B\"\n", "Database", "Source", "A\"B\""},
    {"comment line skipped", "[Database]\n;Source=XX\nSource=AB\n", "Database", "Source", "AB"},
    {"indented comment line skipped", "[Database]\n   ; Source=XX\n", "Database", "Source", byDefault},
    {"';' later in the line is part of the value", "[Database]\nSource=AB ; note\n", "Database", "Source",
     "AB ; note"},
    {"second '=' belongs to the value", "[Database]\nSource=A=B\n", "Database", "Source", "A=B"},
    {"first of duplicate keys wins", "[Database]\nSource=AB\nSource=CD\n", "Database", "Source", "AB"},
    {"first of duplicate sections wins", "[Database]\nSource=AB\n[database]\nSource=CD\nUserID=EF\n",
     "Database", "UserID", byDefault},
    {"empty value is a value, not the default", "[Database]\nSource=\n", "Database", "Source", ""},
    {"missing key", "[Database]\nSource=AB\n", "Database", "UserID", byDefault},
    {"missing section", "[Other]\nSource=AB\n", "Database", "Source", byDefault},
    {"key of another section", "[Other]\nSource=XX\n[Database]\nUserID=AB\n", "Database", "Source", byDefault},
    {"key before any section", "Source=XX\n[Database]\n", "Database", "Source", byDefault},
    {"keys after the section belong to the next one", "[Database]\n[Other]\nSource=XX\n", "Database", "Source",
     byDefault},
    {"header without ']' still starts a section", "[Database]\n[Other\nSource=XX\n", "Database", "Source",
     byDefault},
    {"line without '=' is no key", "[Database]\nSource\nSource=AB\n", "Database", "Source", "AB"},
    {"key that only starts like the wanted one", "[Database]\nSourceX=XX\n", "Database", "Source", byDefault},
    {"empty file", "", "Database", "Source", byDefault},
    {"value cut to 2047 characters", "[Database]\nSource=" + QByteArray(2047, 'a') + "bcd\n", "Database",
     "Source", QByteArray(2047, 'a')},
    {"value of 2047 characters kept whole", "[Database]\nSource=" + QByteArray(2046, 'a') + "b\n", "Database",
     "Source", QByteArray(2046, 'a') + "b"},
};

TEST(IniFile, ReadsByTheProfileRules)
{
    for (const IniCase& c : iniCases) {
        TempIni file(c.content);
        const settings::IniFile ini(file.path());
        EXPECT_EQ(ini.readString(c.section, c.key, byDefault), c.expected) << c.what;
    }
}

TEST(IniFile, MissingOrUnreadableFileGivesTheDefault)
{
    QTemporaryDir dir;
    const settings::IniFile missing(dir.filePath(QStringLiteral("nothing.ini")));
    EXPECT_EQ(missing.readString("Database", "Source", byDefault), byDefault);
    const settings::IniFile folder(dir.path()); // a directory, not a file
    EXPECT_EQ(folder.readString("Database", "Source", byDefault), byDefault);
}

} // namespace
