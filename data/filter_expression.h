#pragma once

#include "data/provider.h"

#include <memory>
#include <optional>

namespace data {

// A record filter: comparisons (= <> < > <= >=, LIKE with '%' and '*', IS [NOT] NULL) of a field
// with a 'quoted' text ('' inside for a quote), a number or NULL, joined by AND, OR, NOT and
// parentheses. A field is a name or [a bracketed name]. Texts compare without regard to case.
class FilterExpression {
public:
    struct Node;

    // Raises a clear error for a text that is not a filter or names an unknown field.
    static std::unique_ptr<FilterExpression> parse(const QString& text, const std::vector<FieldInfo>& fields);
    ~FilterExpression();

    bool matches(const std::vector<Value>& row) const;

    // The one field and text when the whole filter is "Field='text'": the case an index serves.
    struct Equality {
        int field;
        QString text;
    };
    std::optional<Equality> simpleEquality() const;

    // The key under which a value is found by an equality with a quoted text.
    static QString equalityKey(const Value& v);

private:
    explicit FilterExpression(std::unique_ptr<Node> root);
    std::unique_ptr<Node> root_;
};

} // namespace data
