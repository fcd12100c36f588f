#include "host/model/cell_band.h"

namespace tavo::model {

CellBand::CellBand(const Sheet& sheet, int first, int last) : sheet_(sheet), first_(first), last_(last) {
  for (const Sheet::PendingRows& p : sheet.pendingRows()) {
    const int top = std::max(first, p.area.top), bottom = std::min(last, p.area.bottom);
    if (top > bottom) continue;
    Made& m = made_.emplace_back();
    m.area = {top, p.area.left, bottom, p.area.right};
    const int width = p.area.colCount();
    m.slots.resize(static_cast<std::size_t>(bottom - top + 1) * static_cast<std::size_t>(width));
    // Asked for in pieces: a piece's values take three times its slots.
    constexpr int kRowsPerPiece = 1 << 12;
    for (int from = top; from <= bottom; from += kRowsPerPiece) {
      const int count = std::min(kRowsPerPiece, bottom - from + 1);
      const host::Grid g = p.rows(from - p.area.top, count);
      for (int gr = 0; gr < std::min(g.rows, count); ++gr)
        for (int c = 0; c < std::min(g.cols, width); ++c) {
          const int r = from - top + gr;
          const std::size_t i =
              static_cast<std::size_t>(r) * static_cast<std::size_t>(width) + static_cast<std::size_t>(c);
          const host::Value& v = g.at(gr, c);
          if (!v.isEmpty()) m.slots[i].enterLiteral(v, r > 0 ? &m.slots[i - static_cast<std::size_t>(width)] : nullptr);
        }
    }
    for (int c = 0; c < width; ++c)
      if (const StyleId style = p.styles[static_cast<std::size_t>(c)])
        for (int r = 0; r <= bottom - top; ++r)
          m.slots[static_cast<std::size_t>(r) * static_cast<std::size_t>(width) + static_cast<std::size_t>(c)].setStyle(
              style);
  }
}

const Slot* CellBand::get(int row, int col) const {
  for (const Made& m : made_)
    if (m.area.contains(host::Cell{row, col})) return &m.at(row, col);
  const Column* stored = sheet_.storedColumn(col);
  return stored ? stored->get(row) : nullptr;
}

StyleId CellBand::style(host::Cell c) const {
  const Slot* s = get(c.row, c.col);
  return s && s->style() ? s->style() : sheet_.inheritedStyle(c);
}

}  // namespace tavo::model
