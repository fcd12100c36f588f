#include "host/model/merged_areas.h"

namespace tavo::model {

host::Rect MergedAreas::areaOf(host::Cell c) const {
  if (areas_.size() < 16) {
    for (const host::Rect& m : areas_)
      if (m.contains(c)) return m;
    return host::Rect::of(c);
  }
  if (!index_) {
    Index index{areas_, 0};
    std::sort(index.byTop.begin(), index.byTop.end(), [](const host::Rect& a, const host::Rect& b) { return a.top < b.top; });
    for (const host::Rect& m : areas_) index.tallest = std::max(index.tallest, m.rowCount());
    index_ = std::move(index);
  }
  // Areas do not overlap; only those starting at most `tallest` rows above
  // can reach the cell's row.
  const auto& byTop = index_->byTop;
  auto it = std::upper_bound(byTop.begin(), byTop.end(), c.row, [](int row, const host::Rect& m) { return row < m.top; });
  while (it != byTop.begin()) {
    --it;
    if (it->top <= c.row - index_->tallest) break;
    if (it->contains(c)) return *it;
  }
  return host::Rect::of(c);
}

}  // namespace tavo::model
