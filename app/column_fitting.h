#pragma once

#include "data/provider.h"

// The width rule of the grid's columns after a sheet opens, in characters of the grid's font
// (the width of "0").
namespace column_fitting {

// The width a column starts with, from its field: a text field by its size, other kinds by the
// usual widths of their values; workbook cells, whose size is not known, as the widest text.
int initialChars(const data::FieldInfo& field);

// The fitted width in characters, or -1 when the column keeps its width. `widestText` is the
// widest display text among the rows the grid shows; all widths are pixels.
int fittedChars(int currentWidth, int widestText, int gridWidth, int zeroWidth);

} // namespace column_fitting
