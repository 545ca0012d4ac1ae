#include "app/column_fitting.h"

namespace column_fitting {

int initialChars(const data::FieldInfo& field)
{
    switch (field.type) {
    case data::FieldType::Text: return field.width > 0 ? field.width : 255;
    case data::FieldType::Integer: return 11;
    case data::FieldType::Float: return 10;
    case data::FieldType::Boolean: return 5;
    case data::FieldType::DateTime: return 18;
    case data::FieldType::Variant: return 255;
    }
    return 255;
}

int fittedChars(int currentWidth, int widestText, int gridWidth, int zeroWidth)
{
    const int wanted = widestText + 4;
    const int half = gridWidth / 2;
    if (zeroWidth <= 0)
        return -1;
    // A narrower column always fits; a wider one only while it stays within half the grid.
    if (wanted <= currentWidth || (currentWidth <= half && wanted <= half))
        return wanted / zeroWidth;
    return -1;
}

} // namespace column_fitting
