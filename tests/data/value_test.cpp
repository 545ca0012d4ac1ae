#include "data/value.h"

#include <gtest/gtest.h>

using data::Value;

TEST(ValueText, ReadsEachKindAsTheImportDoes)
{
    struct Case {
        Value value;
        const char* text;
    } cases[] = {
        {Value(), ""},
        {Value::text(QStringLiteral("A'B")), "A'B"},
        {Value::number(42), "42"},
        {Value::number(-0.5), "-0.5"},
        {Value::number(0.1 + 0.2), "0.3"},
        {Value::number(123456789012345.0), "123456789012345"},
        {Value::number(1e15), "1E+15"},
        {Value::number(1e-5), "1E-05"},
        {Value::number(3.14159265358979), "3.14159265358979"},
        {Value::integer(9007199254740993LL), "9007199254740993"},
        {Value::boolean(true), "True"},
        {Value::boolean(false), "False"},
        {Value::dateTime(46000), "2025-12-09"},
        {Value::dateTime(46000.5), "2025-12-09 12:00:00"},
        {Value::dateTime(46000 + 1.0 / 86400 * 0.4), "2025-12-09"},
        {Value::dateTime(1), "1899-12-31"},
        {Value::error(QStringLiteral("#N/A")), "#N/A"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.value.toText(), QString::fromUtf8(c.text)) << c.text;
}

TEST(ValueText, ParsesNumbersAndDatesStrictly)
{
    double d = 0;
    EXPECT_TRUE(data::parseNumber(QStringLiteral(" 12.5 "), &d));
    EXPECT_EQ(d, 12.5);
    for (const char* bad : {"", "12,5", "1.2.3", "abc", "12a", "0x10", "inf", "nan"})
        EXPECT_FALSE(data::parseNumber(QString::fromLatin1(bad), &d)) << bad;
    EXPECT_TRUE(data::parseDateTime(QStringLiteral("2025-12-09 12:00:00"), &d));
    EXPECT_DOUBLE_EQ(d, 46000.5);
    EXPECT_TRUE(data::parseDateTime(QStringLiteral("2025/12/9"), &d));
    EXPECT_DOUBLE_EQ(d, 46000);
    for (const char* bad : {"2025-02-30", "2025-12-09 24:00", "09/12/2025", "2025-12"})
        EXPECT_FALSE(data::parseDateTime(QString::fromLatin1(bad), &d)) << bad;
}
