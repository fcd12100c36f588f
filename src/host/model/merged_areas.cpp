#include "host/model/merged_areas.h"

namespace tavo::model {

namespace {
constexpr std::size_t kWalkBelow = 16;  // so few areas are walked, not indexed
bool ByTop(const host::Rect& a, const host::Rect& b) { return a.top < b.top; }
}  // namespace

void MergedAreas::add(const host::Rect& area) {
  areas_.push_back(area);
  if (!index_) return;
  auto& byTop = index_->byTop;
  byTop.insert(std::upper_bound(byTop.begin(), byTop.end(), area, ByTop), area);
  index_->tallest = std::max(index_->tallest, area.rowCount());
}

const MergedAreas::Index& MergedAreas::index() const {
  if (!index_) {
    Index index{areas_, 0};
    std::sort(index.byTop.begin(), index.byTop.end(), ByTop);
    for (const host::Rect& m : areas_) index.tallest = std::max(index.tallest, m.rowCount());
    index_ = std::move(index);
  }
  return *index_;
}

// Areas do not overlap; only those starting at most `tallest` rows above a
// row can reach it.
template <class Visit>
bool MergedAreas::anyFrom(int bottom, Visit&& visit) const {
  const Index& ix = index();
  auto it = std::upper_bound(ix.byTop.begin(), ix.byTop.end(), bottom, [](int row, const host::Rect& m) { return row < m.top; });
  while (it != ix.byTop.begin()) {
    --it;
    if (visit(*it)) return true;
  }
  return false;
}

host::Rect MergedAreas::areaOf(host::Cell c) const {
  if (areas_.size() < kWalkBelow) {
    for (const host::Rect& m : areas_)
      if (m.contains(c)) return m;
    return host::Rect::of(c);
  }
  host::Rect found = host::Rect::of(c);
  const int reach = c.row - index().tallest;
  anyFrom(c.row, [&](const host::Rect& m) {
    if (m.top <= reach) return true;  // none above can reach the row
    if (!m.contains(c)) return false;
    found = m;
    return true;
  });
  return found;
}

bool MergedAreas::touches(const host::Rect& r) const {
  if (areas_.size() < kWalkBelow)
    return std::any_of(areas_.begin(), areas_.end(), [&](const host::Rect& m) { return m.intersects(r); });
  const int reach = r.top - index().tallest;
  bool found = false;
  anyFrom(r.bottom, [&](const host::Rect& m) {
    if (m.top <= reach) return true;
    found = m.intersects(r);
    return found;
  });
  return found;
}

}  // namespace tavo::model
