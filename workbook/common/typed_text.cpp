#include "workbook/common/typed_text.h"

namespace workbook {

ColumnKind columnKindOf(std::span<const data::Value* const> columnValues)
{
    int numbers = 0, dates = 0, others = 0;
    for (const data::Value* v : columnValues) {
        switch (v->kind()) {
        case data::ValueKind::Null: break;
        case data::ValueKind::Integer:
        case data::ValueKind::Float: ++numbers; break;
        case data::ValueKind::DateTime: ++dates; break;
        default: ++others; break;
        }
    }
    if (numbers + dates + others == 0)
        return ColumnKind::Empty;
    // A column mostly of numbers (or dates) keeps taking them, even with a few texts in it.
    if (others >= numbers + dates)
        return ColumnKind::Text;
    return dates > numbers ? ColumnKind::Date : ColumnKind::Number;
}

data::Value valueFromTypedText(ColumnKind column, const QString& text)
{
    if (text.isEmpty())
        return {};
    double d = 0;
    switch (column) {
    case ColumnKind::Number:
        if (data::parseNumber(text, &d))
            return data::Value::number(d);
        break;
    case ColumnKind::Date:
        if (data::parseDateTime(text, &d))
            return data::Value::dateTime(d);
        break;
    default:
        break;
    }
    return data::Value::text(text);
}

} // namespace workbook
