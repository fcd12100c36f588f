// The merged areas of a sheet. Finding the area of a cell is a lookup, not
// a walk over every area: report sheets hold one area per class and field,
// and writing or fitting them asks for every cell.
#pragma once

#include <algorithm>
#include <optional>
#include <vector>

#include "host/address.h"

namespace tavo::model {

class MergedAreas {
 public:
  const std::vector<host::Rect>& all() const { return areas_; }
  auto begin() const { return areas_.begin(); }
  auto end() const { return areas_.end(); }
  bool empty() const { return areas_.empty(); }
  std::size_t size() const { return areas_.size(); }

  // A report adds thousands of areas one by one: the index takes each in.
  void add(const host::Rect& area);
  void assign(std::vector<host::Rect> areas) {
    areas_ = std::move(areas);
    index_.reset();
  }
  template <class Pred>
  void eraseIf(Pred&& pred) {
    std::erase_if(areas_, pred);
    index_.reset();
  }
  // `change` may move any area.
  template <class Change>
  void changeEach(Change&& change) {
    for (host::Rect& area : areas_) change(area);
    index_.reset();
  }

  // The area holding the cell, or the cell alone.
  host::Rect areaOf(host::Cell) const;
  // Whether any area shares a cell with `r`.
  bool touches(const host::Rect& r) const;

 private:
  // Areas do not overlap, so those over one column, sorted by their first
  // row, are sorted by their last row too: the one that may meet some rows
  // is found by a search. A report's column of a subject block merged over
  // every class would otherwise make each look-up walk every area above.
  struct Index {
    std::vector<std::vector<host::Rect>> byColumn;  // [column - 1]: the narrow areas over it, by top
    std::vector<host::Rect> wide;                   // the wider areas, by top
    int tallestWide = 0;
    void put(const host::Rect&);
    // The narrow area over `col` that meets rows `top`..`bottom`, or null.
    const host::Rect* inColumn(int col, int top, int bottom) const;
  };
  const Index& index() const;
  // Each wide area starting at most the tallest one's height above `top`
  // and at or above `bottom`, from the lowest start up, until `visit`
  // returns true.
  template <class Visit>
  bool anyWide(int top, int bottom, Visit&& visit) const;

  std::vector<host::Rect> areas_;
  mutable std::optional<Index> index_;
};

}  // namespace tavo::model
