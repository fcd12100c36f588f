#include "host/model/formula/reference_update.h"

#include <algorithm>

namespace tavo::model {

namespace {

using host::kMaxCol;
using host::kMaxRow;

const Sheet* target(const Reference& r, const Sheet* holder) { return r.sheet ? r.sheet : holder; }

// Coordinates seen along one axis: "major" is the axis rows move along.
struct Axis {
  bool columns;
  int& major(CellRef& c) const { return columns ? c.col : c.row; }
  int minor(const CellRef& c) const { return columns ? c.row : c.col; }
  int limit() const { return columns ? kMaxCol : kMaxRow; }
};

}  // namespace

void InsertDeleteUpdate::update(Reference& r, const Sheet* holder) const {
  if (r.invalid || target(r, holder) != sheet_) return;
  Axis ax{columns_};
  int lo = ax.minor(r.first), hi = ax.minor(r.last);
  if (lo < first_ || hi > last_) return;  // partly outside the band: left alone
  int& a = ax.major(r.first);
  int& b = ax.major(r.last);
  if (count_ > 0) {
    int na = a >= at_ ? a + count_ : a;
    int nb = b >= at_ ? b + count_ : b;
    if (nb > ax.limit()) nb = ax.limit();
    if (na > ax.limit()) {
      r.invalid = true;
      return;
    }
    a = na;
    b = nb;
    return;
  }
  int n = -count_;
  int delFirst = at_, delLast = at_ + n - 1;
  int na = a < delFirst ? a : (a > delLast ? a - n : delFirst);
  int nb = b < delFirst ? b : (b > delLast ? b - n : delFirst - 1);
  if (nb < na) {
    r.invalid = true;
    return;
  }
  a = na;
  b = nb;
}

void BlockMoveUpdate::update(Reference& r, const Sheet* holder) const {
  if (r.invalid || target(r, holder) != from_) return;
  if (!source_.contains(r.rect())) return;
  r.first.row += dr_;
  r.last.row += dr_;
  r.first.col += dc_;
  r.last.col += dc_;
  if (to_ != from_) r.sheet = to_ == holder ? nullptr : to_;
}

int RowRotateUpdate::newRow(int row) const {
  int s0 = source_.top, s1 = source_.bottom, h = s1 - s0 + 1;
  if (at_ < s0) {
    if (row >= s0 && row <= s1) return row - (s0 - at_);
    if (row >= at_ && row < s0) return row + h;
  } else if (at_ > s1 + 1) {
    if (row >= s0 && row <= s1) return row + (at_ - 1 - s1);
    if (row > s1 && row < at_) return row - h;
  }
  return row;
}

void RowRotateUpdate::update(Reference& r, const Sheet* holder) const {
  if (r.invalid || target(r, holder) != sheet_) return;
  if (r.first.col < source_.left || r.last.col > source_.right) return;
  int spanLo = std::min(at_, source_.top);
  int spanHi = std::max(source_.bottom, at_ - 1);
  if (r.first.row <= spanLo && r.last.row >= spanHi) return;  // holds old and new places
  int a = newRow(r.first.row), b = newRow(r.last.row);
  if (a > b) return;
  if (r.isRange && b - a != r.last.row - r.first.row) return;  // torn apart: left alone
  r.first.row = a;
  r.last.row = b;
}

void SheetDeletedUpdate::update(Reference& r, const Sheet* holder) const {
  if (target(r, holder) == sheet_) r.invalid = true;
}

void shiftRelative(Node& root, int dr, int dc) {
  forEachReference(root, [&](Reference& r) {
    if (r.invalid) return;
    for (CellRef* c : {&r.first, &r.last}) {
      if (!c->rowAbs) c->row += dr;
      if (!c->colAbs) c->col += dc;
      if (c->row < 1 || c->row > kMaxRow || c->col < 1 || c->col > kMaxCol) r.invalid = true;
    }
  });
}

void rehome(Node& root, const Sheet* from, const Sheet* to) {
  forEachReference(root, [&](Reference& r) {
    const Sheet* t = r.sheet ? r.sheet : from;
    r.sheet = t == to ? nullptr : t;
  });
}

}  // namespace tavo::model
