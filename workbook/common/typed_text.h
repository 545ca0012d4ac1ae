#pragma once

#include "data/value.h"

#include <QString>
#include <span>
#include <vector>

namespace workbook {

// What a column mostly holds, decided from the values of its records.
enum class ColumnKind { Empty, Text, Number, Date };

ColumnKind columnKindOf(std::span<const data::Value* const> columnValues);

// The value a text typed into a column becomes: empty text empties the cell; in a column of
// numbers a text that reads as a number becomes that number, in a column of dates a text
// that reads as a date becomes that date; everything else stays text.
data::Value valueFromTypedText(ColumnKind column, const QString& text);

} // namespace workbook
