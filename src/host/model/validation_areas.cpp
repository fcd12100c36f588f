#include "host/model/validation_areas.h"

#include <algorithm>
#include <tuple>

namespace tavo::model {

using host::Cell;
using host::Rect;

namespace {

// The parts of `a` outside `cut`: at most four rectangles.
std::vector<Rect> Subtract(const Rect& a, const Rect& cut) {
  if (!a.intersects(cut)) return {a};
  std::vector<Rect> out;
  if (a.top < cut.top) out.push_back({a.top, a.left, cut.top - 1, a.right});
  if (a.bottom > cut.bottom) out.push_back({cut.bottom + 1, a.left, a.bottom, a.right});
  const int top = std::max(a.top, cut.top), bottom = std::min(a.bottom, cut.bottom);
  if (a.left < cut.left) out.push_back({top, a.left, bottom, cut.left - 1});
  if (a.right > cut.right) out.push_back({top, cut.right + 1, bottom, a.right});
  return out;
}

Rect Intersection(const Rect& a, const Rect& b) {
  return {std::max(a.top, b.top), std::max(a.left, b.left), std::min(a.bottom, b.bottom), std::min(a.right, b.right)};
}

double CellCount(const Rect& r) { return static_cast<double>(r.rowCount()) * r.colCount(); }

// Moves the span lo..hi as inserting (count > 0) or deleting rows at `at`
// moves it; false when all of it is deleted. A span to the sheet's edge
// (a whole column's rule) still reaches it afterwards.
bool ShiftSpan(int& lo, int& hi, int at, int count, int limit) {
  const bool toEdge = hi == limit;
  if (count > 0) {
    if (lo >= at) lo += count;
    if (hi >= at) hi += count;
    hi = std::min(hi, limit);
    return lo <= limit;
  }
  const int n = -count, last = at + n - 1;
  const int nlo = lo < at ? lo : (lo > last ? lo - n : at);
  const int nhi = hi < at ? hi : (hi > last ? hi - n : at - 1);
  lo = nlo;
  hi = toEdge && nlo <= nhi ? limit : nhi;
  return lo <= hi;
}

}  // namespace

const host::Validation* ValidationAreas::at(Cell c) const {
  for (const auto& [r, v] : areas_)
    if (r.contains(c)) return &v;
  return nullptr;
}

bool ValidationAreas::intersects(const Rect& r) const {
  return std::any_of(areas_.begin(), areas_.end(), [&](const Area& a) { return a.first.intersects(r); });
}

void ValidationAreas::add(const Rect& r, const host::Validation& v) { areas_.emplace_back(r, v); }

bool ValidationAreas::update(const Rect& r, const std::function<void(host::Validation&)>& change) {
  double covered = 0;
  for (const auto& [a, v] : areas_)
    if (a.intersects(r)) covered += CellCount(Intersection(a, r));
  if (covered < CellCount(r)) return false;
  splitAlong(r);
  for (auto& [a, v] : areas_)
    if (r.contains(a)) change(v);
  joinNeighbours();
  return true;
}

void ValidationAreas::erase(const Rect& r) {
  std::vector<Area> kept;
  for (const auto& [a, v] : areas_)
    for (const Rect& part : Subtract(a, r)) kept.emplace_back(part, v);
  areas_ = std::move(kept);
}

std::vector<ValidationAreas::Area> ValidationAreas::within(const Rect& r) const {
  std::vector<Area> out;
  for (const auto& [a, v] : areas_)
    if (a.intersects(r)) out.emplace_back(Intersection(a, r), v);
  return out;
}

void ValidationAreas::splitAlong(const Rect& r) {
  std::vector<Area> split;
  for (const auto& [a, v] : areas_) {
    if (!a.intersects(r)) {
      split.emplace_back(a, v);
      continue;
    }
    for (const Rect& part : Subtract(a, r)) split.emplace_back(part, v);
    split.emplace_back(Intersection(a, r), v);
  }
  areas_ = std::move(split);
}

// Areas of one rule that meet along a whole edge become one again, so that
// edits and moves do not leave a rule in ever smaller pieces: a sorted pass
// joins columns of stacked areas, another joins rows of side-by-side ones.
void ValidationAreas::joinNeighbours() {
  auto pass = [&](auto key, auto meets, auto join) {
    std::stable_sort(areas_.begin(), areas_.end(), [&](const Area& a, const Area& b) { return key(a.first) < key(b.first); });
    std::vector<Area> out;
    for (auto& area : areas_) {
      if (!out.empty() && out.back().second == area.second && meets(out.back().first, area.first)) {
        join(out.back().first, area.first);
        continue;
      }
      out.push_back(std::move(area));
    }
    areas_ = std::move(out);
  };
  for (int round = 0; round < 2; ++round) {
    pass([](const Rect& r) { return std::make_tuple(r.left, r.right, r.top); },
         [](const Rect& a, const Rect& b) { return a.left == b.left && a.right == b.right && a.bottom + 1 == b.top; },
         [](Rect& a, const Rect& b) { a.bottom = b.bottom; });
    pass([](const Rect& r) { return std::make_tuple(r.top, r.bottom, r.left); },
         [](const Rect& a, const Rect& b) { return a.top == b.top && a.bottom == b.bottom && a.right + 1 == b.left; },
         [](Rect& a, const Rect& b) { a.right = b.right; });
  }
}

void ValidationAreas::shiftRows(int first, int last, int at, int count) {
  shift({1, first, host::kMaxRow, last}, true, at, count);
}

void ValidationAreas::shiftColumns(int top, int bottom, int at, int count) {
  shift({top, 1, bottom, host::kMaxCol}, false, at, count);
}

void ValidationAreas::shift(const Rect& band, bool rows, int at, int count) {
  splitAlong(band);
  std::vector<Area> moved;
  for (auto [a, v] : areas_) {
    const bool gone = band.contains(a) && !(rows ? ShiftSpan(a.top, a.bottom, at, count, host::kMaxRow)
                                                 : ShiftSpan(a.left, a.right, at, count, host::kMaxCol));
    if (!gone) moved.emplace_back(a, v);
  }
  areas_ = std::move(moved);
  joinNeighbours();
}

void ValidationAreas::permuteRows(int first, int last, int lo, int hi, const std::function<int(int)>& newRow) {
  const Rect band{lo, first, hi, last};
  splitAlong(band);
  std::vector<Area> moved;
  for (const auto& [a, v] : areas_) {
    if (!band.contains(a)) {
      moved.emplace_back(a, v);
      continue;
    }
    for (int r = a.top; r <= a.bottom; ++r) moved.emplace_back(Rect{newRow(r), a.left, newRow(r), a.right}, v);
  }
  areas_ = std::move(moved);
  joinNeighbours();
}

}  // namespace tavo::model
