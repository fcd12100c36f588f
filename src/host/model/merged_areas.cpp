#include "host/model/merged_areas.h"

namespace tavo::model {

namespace {
constexpr std::size_t kWalkBelow = 16;  // so few areas are walked, not indexed
// Wider areas (a title over a sheet's columns, a row merged whole) are few:
// listed once rather than under each column.
constexpr int kIndexedWidth = 64;
bool ByTop(const host::Rect& a, const host::Rect& b) { return a.top < b.top; }
void InsertByTop(std::vector<host::Rect>& list, const host::Rect& area) {
  list.insert(std::upper_bound(list.begin(), list.end(), area, ByTop), area);
}
}  // namespace

void MergedAreas::Index::put(const host::Rect& area) {
  if (area.colCount() > kIndexedWidth) {
    InsertByTop(wide, area);
    tallestWide = std::max(tallestWide, area.rowCount());
    return;
  }
  if (byColumn.size() < static_cast<std::size_t>(area.right)) byColumn.resize(static_cast<std::size_t>(area.right));
  for (int c = area.left; c <= area.right; ++c) InsertByTop(byColumn[static_cast<std::size_t>(c - 1)], area);
}

const host::Rect* MergedAreas::Index::inColumn(int col, int top, int bottom) const {
  if (col < 1 || static_cast<std::size_t>(col) > byColumn.size()) return nullptr;
  const std::vector<host::Rect>& list = byColumn[static_cast<std::size_t>(col - 1)];
  auto after =
      std::upper_bound(list.begin(), list.end(), bottom, [](int row, const host::Rect& m) { return row < m.top; });
  if (after == list.begin()) return nullptr;
  const host::Rect& last = *std::prev(after);  // of those starting by `bottom`, the one reaching lowest
  return last.bottom >= top ? &last : nullptr;
}

void MergedAreas::add(const host::Rect& area) {
  areas_.push_back(area);
  if (index_) index_->put(area);
}

const MergedAreas::Index& MergedAreas::index() const {
  if (!index_) {
    Index index;
    for (const host::Rect& m : areas_) {
      if (m.colCount() > kIndexedWidth) {
        index.wide.push_back(m);
        index.tallestWide = std::max(index.tallestWide, m.rowCount());
        continue;
      }
      if (index.byColumn.size() < static_cast<std::size_t>(m.right))
        index.byColumn.resize(static_cast<std::size_t>(m.right));
      for (int c = m.left; c <= m.right; ++c) index.byColumn[static_cast<std::size_t>(c - 1)].push_back(m);
    }
    for (auto& list : index.byColumn) std::sort(list.begin(), list.end(), ByTop);
    std::sort(index.wide.begin(), index.wide.end(), ByTop);
    index_ = std::move(index);
  }
  return *index_;
}

template <class Visit>
bool MergedAreas::anyWide(int top, int bottom, Visit&& visit) const {
  const Index& ix = index();
  const int reach = top - ix.tallestWide;  // none starting this high reaches `top`
  auto it = std::upper_bound(ix.wide.begin(), ix.wide.end(), bottom,
                             [](int row, const host::Rect& m) { return row < m.top; });
  while (it != ix.wide.begin()) {
    --it;
    if (it->top <= reach) return false;
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
  if (const host::Rect* m = index().inColumn(c.col, c.row, c.row)) return *m;
  host::Rect found = host::Rect::of(c);
  anyWide(c.row, c.row, [&](const host::Rect& m) { return m.contains(c) && (found = m, true); });
  return found;
}

bool MergedAreas::touches(const host::Rect& r) const {
  if (areas_.size() < kWalkBelow)
    return std::any_of(areas_.begin(), areas_.end(), [&](const host::Rect& m) { return m.intersects(r); });
  const Index& ix = index();
  const int right = std::min(r.right, static_cast<int>(ix.byColumn.size()));
  for (int c = r.left; c <= right; ++c)
    if (ix.inColumn(c, r.top, r.bottom)) return true;
  return anyWide(r.top, r.bottom, [&](const host::Rect& m) { return m.intersects(r); });
}

}  // namespace tavo::model
