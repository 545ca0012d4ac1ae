#pragma once

#include "data/provider.h"

#include <vector>

namespace data {

struct SortKey {
    int field;
    bool descending;
};

// Reads a sort text: "Field", "Field ASC", "Field DESC", comma lists. A field name with blanks
// is taken whole ("Unit Price ASC"); brackets around a name are allowed. Raises a clear error
// for an unknown field.
std::vector<SortKey> parseSortText(const QString& text, const std::vector<FieldInfo>& fields);

// Orders two values for sorting: nulls first, numbers as numbers, texts without regard to case.
int compareForSort(const Value& a, const Value& b);

} // namespace data
