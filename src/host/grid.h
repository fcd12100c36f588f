// A rectangle of values for bulk reads and writes, row-major.
#pragma once

#include <vector>

#include "host/value.h"

namespace tavo::host {

struct Grid {
  int rows = 0;
  int cols = 0;
  std::vector<Value> cells;

  Grid() = default;
  Grid(int r, int c) : rows(r), cols(c), cells(static_cast<std::size_t>(r) * c) {}
  Value& at(int r, int c) { return cells[static_cast<std::size_t>(r) * cols + c]; }
  const Value& at(int r, int c) const { return cells[static_cast<std::size_t>(r) * cols + c]; }
};

}  // namespace tavo::host
