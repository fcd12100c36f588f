// Cell positions and rectangles, 1-based and inclusive, as (row, column).
#pragma once

#include <algorithm>

namespace tavo::host {

inline constexpr int kMaxRow = 1048576;
inline constexpr int kMaxCol = 16384;

struct Cell {
  int row = 1;
  int col = 1;
  friend bool operator==(const Cell&, const Cell&) = default;
  friend auto operator<=>(const Cell&, const Cell&) = default;
};

struct Rect {
  int top = 1;
  int left = 1;
  int bottom = 1;
  int right = 1;

  static constexpr Rect of(Cell c) { return {c.row, c.col, c.row, c.col}; }
  static constexpr Rect of(Cell a, Cell b) {
    return {std::min(a.row, b.row), std::min(a.col, b.col), std::max(a.row, b.row),
            std::max(a.col, b.col)};
  }
  static constexpr Rect rows(int first, int last) { return {first, 1, last, kMaxCol}; }
  static constexpr Rect columns(int first, int last) { return {1, first, kMaxRow, last}; }
  static constexpr Rect sheet() { return {1, 1, kMaxRow, kMaxCol}; }

  constexpr int rowCount() const { return bottom - top + 1; }
  constexpr int colCount() const { return right - left + 1; }
  constexpr Cell topLeft() const { return {top, left}; }
  constexpr bool wholeRows() const { return left == 1 && right == kMaxCol; }
  constexpr bool wholeColumns() const { return top == 1 && bottom == kMaxRow; }
  constexpr bool contains(Cell c) const {
    return c.row >= top && c.row <= bottom && c.col >= left && c.col <= right;
  }
  constexpr bool contains(const Rect& r) const {
    return r.top >= top && r.bottom <= bottom && r.left >= left && r.right <= right;
  }
  constexpr bool intersects(const Rect& r) const {
    return r.top <= bottom && r.bottom >= top && r.left <= right && r.right >= left;
  }
  constexpr Rect offset(int dr, int dc) const {
    return {top + dr, left + dc, bottom + dr, right + dc};
  }
  friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace tavo::host
