#include "cli/text_table.h"

#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "host/model/number_format.h"

namespace tavo::cli {

void PrintSheet(const model::Sheet& sheet, std::ostream& out) {
  // Only the cells there are: a sheet holding A1 and XFD1048576 is two cells.
  std::map<int, std::vector<int>> cellsByRow;
  std::set<int> colSet;
  for (int c = 1; c <= sheet.columnCount(); ++c) {
    const model::Column* column = sheet.column(c);
    if (!column || sheet.columnWidth(c) <= 0) continue;
    for (int r = 1; r <= column->size(); ++r)
      if (column->get(r)->hasContent() && sheet.rowHeight(r) > 0) {
        cellsByRow[r].push_back(c);
        colSet.insert(c);
      }
  }
  const std::vector<int> cols(colSet.begin(), colSet.end());
  auto text = [&](int r, int c) {
    // As the cell shows: "552.6" under "0.0", not every digit.
    std::string t = model::formatForDisplay(sheet.value({r, c}), sheet.format({r, c}).numberFormat);
    std::replace(t.begin(), t.end(), '\n', ' ');
    std::replace(t.begin(), t.end(), '\r', ' ');
    return t;
  };
  std::map<int, int> widths;
  // A title merged across columns overflows to the right instead of widening its column.
  for (const auto& [r, rowCols] : cellsByRow)
    for (int c : rowCols)
      if (sheet.mergeArea({r, c}).colCount() == 1) widths[c] = std::max(widths[c], model::displayWidth(text(r, c)));
  int previous = 0;
  for (const auto& [r, rowCols] : cellsByRow) {
    if (previous && r > previous + 1) out << '\n';  // empty rows, however many, as one empty line
    previous = r;
    std::string line;
    std::size_t next = 0;
    for (std::size_t k = 0; k < cols.size(); ++k) {
      std::string t;
      if (next < rowCols.size() && rowCols[next] == cols[k]) t = text(r, rowCols[next++]);
      int pad = std::max(0, widths[cols[k]] - model::displayWidth(t)) + (k + 1 < cols.size() ? 2 : 0);
      line += t + std::string(static_cast<std::size_t>(pad), ' ');
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out << line << '\n';
  }
}

}  // namespace tavo::cli
