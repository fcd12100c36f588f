// Data-validation rules of a sheet as disjoint rectangles, so that a rule on
// a whole column costs one entry, not a million cells.
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "host/format.h"
#include "host/geometry.h"

namespace tavo::model {

class ValidationAreas {
 public:
  using Area = std::pair<host::Rect, host::Validation>;

  const host::Validation* at(host::Cell) const;
  bool intersects(const host::Rect&) const;
  // The rule over the rectangle; the caller makes sure none is there yet.
  void add(const host::Rect&, const host::Validation&);
  // Changes the rule of every cell of the rectangle; false (and nothing
  // changed) when a cell has none.
  bool update(const host::Rect&, const std::function<void(host::Validation&)>&);
  void erase(const host::Rect&);
  // The parts inside the rectangle, clipped to it.
  std::vector<Area> within(const host::Rect&) const;

  // Rows from `at` move down by count (or, negative, rows at.. are deleted)
  // in the columns first..last; an area spanning `at` grows or shrinks.
  void shiftRows(int first, int last, int at, int count);
  void shiftColumns(int top, int bottom, int at, int count);
  // Rows lo..hi of the columns first..last change places by newRow.
  void permuteRows(int first, int last, int lo, int hi, const std::function<int(int)>& newRow);

  const std::vector<Area>& areas() const { return areas_; }
  bool empty() const { return areas_.empty(); }

 private:
  // Splits every area crossing the rectangle's edges so that each area lies
  // wholly inside or wholly outside it.
  void splitAlong(const host::Rect&);
  void joinNeighbours();
  // Moves the areas inside `band` along rows or columns.
  void shift(const host::Rect& band, bool rows, int at, int count);
  std::vector<Area> areas_;
};

}  // namespace tavo::model
