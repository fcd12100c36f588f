#include "cli/text_table.h"

#include <algorithm>
#include <vector>

namespace tavo::cli {

int DisplayWidth(const std::string& text) {
  int width = 0;
  for (std::size_t i = 0; i < text.size();) {
    auto c = static_cast<unsigned char>(text[i]);
    int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : 4;
    width += len >= 3 ? 2 : 1;  // the CJK blocks and full-width forms are 3 bytes and up
    i += static_cast<std::size_t>(len);
  }
  return width;
}

void PrintSheet(const host::Worksheet& sheet, std::ostream& out) {
  host::Rect used = sheet.usedRange();
  std::vector<int> rows, cols;
  for (int r = used.top; r <= used.bottom; ++r)
    if (sheet.rowHeight(r) > 0) rows.push_back(r);
  for (int c = used.left; c <= used.right; ++c)
    if (sheet.columnWidth(c) > 0) cols.push_back(c);
  host::Grid grid = sheet.values(used);
  auto text = [&](int r, int c) {
    std::string t = host::displayText(grid.at(r - used.top, c - used.left));
    std::replace(t.begin(), t.end(), '\n', ' ');
    std::replace(t.begin(), t.end(), '\r', ' ');
    return t;
  };
  std::vector<int> widths(cols.size(), 0);
  // A title merged across columns overflows to the right instead of widening its column.
  for (int r : rows)
    for (std::size_t k = 0; k < cols.size(); ++k)
      if (sheet.mergeArea({r, cols[k]}).colCount() == 1) widths[k] = std::max(widths[k], DisplayWidth(text(r, cols[k])));
  for (int r : rows) {
    std::string line;
    for (std::size_t k = 0; k < cols.size(); ++k) {
      std::string t = text(r, cols[k]);
      int pad = std::max(0, widths[k] - DisplayWidth(t)) + (k + 1 < cols.size() ? 2 : 0);
      line += t + std::string(static_cast<std::size_t>(pad), ' ');
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out << line << '\n';
  }
}

}  // namespace tavo::cli
