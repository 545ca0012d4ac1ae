#include "maintenance/date_time_text.h"
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

namespace {

TEST(GetDateTimeText, PadsEveryPartButTheYearAndDropsSeconds)
{
    struct Case {
        QDateTime moment;
        QString shortForm;
        QString longForm;
    };
    const Case cases[] = {
        {QDateTime(QDate(2025, 3, 5), QTime(9, 7, 59, 999)), "20250305", "202503050907"},
        {QDateTime(QDate(2024, 12, 31), QTime(23, 59, 30)), "20241231", "202412312359"},
        {QDateTime(QDate(2026, 1, 1), QTime(0, 5)), "20260101", "202601010005"},
        {QDateTime(QDate(999, 7, 4), QTime(12, 0)), "9990704", "99907041200"},
        {QDateTime(QDate(9999, 10, 10), QTime(10, 10)), "99991010", "999910101010"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.moment.toString(Qt::ISODateWithMs).toStdString());
        EXPECT_EQ(maintenance::GetDateTimeText(0, c.moment), c.shortForm);
        EXPECT_EQ(maintenance::GetDateTimeText(1, c.moment), c.longForm);
    }
}

} // namespace
