// Where things sit on a sheet in points, as drawings anchor them to cells.
#pragma once

#include "host/model/sheet.h"

namespace tavo::xlsx {

inline constexpr long kEmuPerPoint = 12700;

// A width a file gives (characters with the cell's padding, as xlsx and
// .xls store it) as the characters the host shows.
double WidthFromFile(double fileWidth);
// And back.
double WidthToFile(double chars);

// A column's width in points: the pixels of its width in 7-pixel digits
// plus padding, as the desktop spreadsheet draws it.
double ColumnPoints(const model::Sheet&, int col);
// The offset in points of a cell's top-left corner plus an offset inside it.
double LeftOf(const model::Sheet&, int col, long offsetEmu);  // col 1-based
double TopOf(const model::Sheet&, int row, long offsetEmu);

}  // namespace tavo::xlsx
