#include "host/xlsx/sheet_geometry.h"

#include <algorithm>
#include <cmath>

namespace tavo::xlsx {

double WidthFromFile(double w) { return std::max(0.0, std::round((w * 7 - 5) / 7 * 100) / 100); }

double ColumnPoints(const model::Sheet& sheet, int col) {
  double chars = sheet.columnWidth(col);
  if (chars <= 0) return 0;
  return std::floor(chars * 7 + 5) * 0.75;
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
