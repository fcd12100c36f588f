#include "host/xlsx/sheet_geometry.h"

#include <algorithm>
#include <cmath>

namespace tavo::xlsx {

// A column narrower than one character is 12 pixels a character wide (the
// digit and the padding shrink together); a wider one 7 pixels a character
// and 5 of padding. The file holds pixels / 7.
double WidthFromFile(double w) {
  const double pixels = w * 7;
  return std::max(0.0, std::round((pixels < 12 ? pixels / 12 : (pixels - 5) / 7) * 100) / 100);
}

double WidthToFile(double chars) {
  if (chars <= 0) return 0;
  const double pixels = chars < 1 ? std::round(chars * 12) : chars * 7 + 5;
  return std::trunc(pixels / 7 * 256) / 256;
}

double ColumnPoints(const model::Sheet& sheet, int col) {
  double chars = sheet.columnWidth(col);
  if (chars <= 0) return 0;
  return std::floor(chars < 1 ? chars * 12 : chars * 7 + 5) * 0.75;
}

double LeftOf(const model::Sheet& sheet, int col, long offsetEmu) {
  double points = 0;
  for (int c = 1; c < col; ++c) points += ColumnPoints(sheet, c);
  return points + static_cast<double>(offsetEmu) / kEmuPerPoint;
}

double TopOf(const model::Sheet& sheet, int row, long offsetEmu) {
  double points = 0;
  for (int r = 1; r < row; ++r) points += sheet.rowHeight(r);
  return points + static_cast<double>(offsetEmu) / kEmuPerPoint;
}

}  // namespace tavo::xlsx
