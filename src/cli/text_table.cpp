#include "cli/text_table.h"

#include <algorithm>
#include <vector>

#include "host/model/number_format.h"

namespace tavo::cli {

void PrintSheet(const host::Worksheet& sheet, std::ostream& out) {
  host::Rect used = sheet.usedRange();
  std::vector<int> rows, cols;
  for (int r = used.top; r <= used.bottom; ++r)
    if (sheet.rowHeight(r) > 0) rows.push_back(r);
  for (int c = used.left; c <= used.right; ++c)
    if (sheet.columnWidth(c) > 0) cols.push_back(c);
  host::Grid grid = sheet.values(used);
  auto text = [&](int r, int c) {
    // As the cell shows: "552.6" under "0.0", not every digit.
    std::string t = model::formatForDisplay(grid.at(r - used.top, c - used.left), sheet.format({r, c}).numberFormat);
    std::replace(t.begin(), t.end(), '\n', ' ');
    std::replace(t.begin(), t.end(), '\r', ' ');
    return t;
  };
  std::vector<int> widths(cols.size(), 0);
  // A title merged across columns overflows to the right instead of widening its column.
  for (int r : rows)
    for (std::size_t k = 0; k < cols.size(); ++k)
      if (sheet.mergeArea({r, cols[k]}).colCount() == 1) widths[k] = std::max(widths[k], model::displayWidth(text(r, cols[k])));
  for (int r : rows) {
    std::string line;
    for (std::size_t k = 0; k < cols.size(); ++k) {
      std::string t = text(r, cols[k]);
      int pad = std::max(0, widths[k] - model::displayWidth(t)) + (k + 1 < cols.size() ? 2 : 0);
      line += t + std::string(static_cast<std::size_t>(pad), ' ');
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out << line << '\n';
  }
}

}  // namespace tavo::cli
