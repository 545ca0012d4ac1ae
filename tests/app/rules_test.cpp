// The widget-free rules of the grid: column fitting and the filter the dialog builds.
#include "app/column_fitting.h"
#include "app/filter_criteria.h"
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

namespace {

TEST(ColumnFitting, NarrowerAlwaysWiderOnlyWithinHalfTheGrid)
{
    struct Case {
        int current, widest, grid, zero, expected;
    };
    const Case cases[] = {
        {2040, 40, 800, 8, 5},   // 44 px: 5 characters of 8
        {100, 96, 800, 8, 12},   // 100 fits exactly
        {100, 200, 800, 8, 25},  // wider, and both within 400
        {100, 396, 800, 8, 50},  // 400 is still half
        {100, 397, 800, 8, -1},  // 401 is more than half: keeps its width
        {401, 500, 800, 8, -1},  // the column itself is already wider than half
        {100, 200, 801, 8, 25},  // half of 801 is 400
        {50, 0, 800, 8, 0},      // nothing shown: the margin alone
    };
    for (const Case& c : cases)
        EXPECT_EQ(column_fitting::fittedChars(c.current, c.widest, c.grid, c.zero), c.expected)
            << c.current << " " << c.widest << " " << c.grid;
}

TEST(FilterCriteria, SmartValuesRangesAndNegation)
{
    using filter_criteria::Criterion;
    using filter_criteria::FilterBy;
    using filter_criteria::Match;
    auto value = [](QString field, QString v, Match m, bool negate = false) {
        Criterion c;
        c.fieldName = field;
        c.value = v;
        c.match = m;
        c.nonMatching = negate;
        return c;
    };
    auto range = [](QString field, QString from, QString to) {
        Criterion c;
        c.fieldName = field;
        c.by = FilterBy::Range;
        c.rangeStart = from;
        c.rangeEnd = to;
        return c;
    };
    struct Case {
        std::vector<Criterion> criteria;
        QString filter;
    };
    const Case cases[] = {
        {{value("Name", "ap", Match::Start)}, "[Name] LIKE 'ap%'"},
        {{value("Name", "p", Match::Anywhere)}, "[Name] LIKE '%p%'"},
        {{value("Name", "O'Neil", Match::Exact)}, "[Name] = 'O''Neil'"},
        {{value("Price", "3", Match::Exact)}, "([Price] >= 2.9999 AND [Price] <= 3.0001)"},
        {{value("Price", ">4", Match::Start)}, "[Price] > 4"},
        {{value("Name", "null", Match::Start)}, "[Name] IS NULL"},
        {{value("Name", "ap or fi", Match::Start)}, "([Name] LIKE 'ap%' OR [Name] LIKE 'fi%')"},
        {{value("Name", "ap", Match::Start, true)}, "NOT ([Name] LIKE 'ap%')"},
        {{range("Price", "3", "")}, "[Price] >= 3"},
        {{range("Unit Price", "3", "9")}, "([Unit Price] >= 3 AND [Unit Price] <= 9)"},
        {{value("Name", "ap", Match::Start), value("Note", "  ", Match::Start), range("Price", "", "5")},
         "[Name] LIKE 'ap%' AND [Price] <= 5"},
        {{value("Name", "", Match::Start)}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(filter_criteria::filterText(c.criteria), c.filter);
}

} // namespace
