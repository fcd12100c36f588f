// Rows `first`..`last` of a sheet as a file's writer reads them: the slots
// the sheet stores and, where rows still come from a source
// (Sheet::pendingRows), slots made for this band alone. A student table of
// a million rows is so written without ever standing whole in memory.
#pragma once

#include <vector>

#include "host/model/sheet.h"

namespace tavo::model {

class CellBand {
 public:
  CellBand(const Sheet&, int first, int last);
  CellBand(const CellBand&) = delete;
  CellBand& operator=(const CellBand&) = delete;

  int first() const { return first_; }
  int last() const { return last_; }
  // The cell's slot, null where the sheet holds none. Rows from a source
  // hold constants only.
  const Slot* get(int row, int col) const;
  // The cell's format: its own, or the row's, column's or sheet's.
  StyleId style(host::Cell) const;
  // Calls f(row, slot) for the band's slots in use in column `col`, rows in order.
  template <class F>
  void forInUse(int col, F&& f) const {
    if (const Column* stored = sheet_.storedColumn(col)) {
      const int bottom = std::min(last_, stored->size());
      for (int row = first_; row <= bottom; ++row)
        if (const Slot& s = stored->slots()[static_cast<std::size_t>(row - 1)]; s.inUse()) f(row, s);
    }
    for (const Made& m : made_)
      if (col >= m.area.left && col <= m.area.right)
        for (int row = m.area.top; row <= m.area.bottom; ++row)
          if (const Slot& s = m.at(row, col); s.inUse()) f(row, s);
  }

 private:
  struct Made {
    host::Rect area;          // the block's part in the band
    std::vector<Slot> slots;  // row-major
    const Slot& at(int row, int col) const {
      return slots[static_cast<std::size_t>(row - area.top) * static_cast<std::size_t>(area.colCount()) +
                   static_cast<std::size_t>(col - area.left)];
    }
  };
  const Sheet& sheet_;
  int first_, last_;
  std::vector<Made> made_;
};

}  // namespace tavo::model
