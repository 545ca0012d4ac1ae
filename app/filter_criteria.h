#pragma once

#include <QString>
#include <vector>

// The criteria of the filter dialog and the record filter they make.
namespace filter_criteria {

enum class FilterBy { Value, Range };
enum class Match { Exact, Start, Anywhere };

struct Criterion {
    QString fieldName;
    FilterBy by = FilterBy::Value;
    QString value;          // a smart value: "null", "a or b", ">10", or a text to match
    Match match = Match::Start;
    bool caseSensitive = false;
    bool nonMatching = false;
    QString rangeStart;
    QString rangeEnd;

    bool isEmpty() const;
};

// The record filter that keeps the rows matching every criterion; empty criteria are left out.
QString filterText(const std::vector<Criterion>& criteria);

} // namespace filter_criteria
