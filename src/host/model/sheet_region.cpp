// Current region, used range and whole-cell search.
#include <algorithm>
#include <cctype>
#include <cmath>

#include "host/model/sheet.h"
#include "host/model/workbook.h"

namespace tavo::model {

using host::Cell;
using host::kMaxCol;
using host::kMaxRow;
using host::Rect;
using host::Value;

bool Sheet::cellHasContent(int row, int col) const {
  for (const auto& m : merges_)
    if (m.contains(Cell{row, col})) {
      row = m.top;
      col = m.left;
      break;
    }
  const Slot* s = slot({row, col});
  return s && s->hasContent();
}

// The cells first: a region grows through rows that have some, and only
// at its edge are a report's thousands of merged areas walked.
bool Sheet::rowHasContent(int row, int left, int right) const {
  settle({row, left, row, right});
  int last = std::min(right, columnCount());
  for (int c = left; c <= last; ++c) {
    const Slot* s = cols_[static_cast<std::size_t>(c - 1)].get(row);
    if (s && s->hasContent()) return true;
  }
  for (const auto& m : merges_)
    if (row >= m.top && row <= m.bottom && m.left <= right && m.right >= left &&
        cellHasContent(m.top, m.left))
      return true;
  return false;
}

bool Sheet::colHasContent(int col, int top, int bottom) const {
  if (const Column* c = column(col)) {
    const auto& slots = c->slots();
    int last = std::min(bottom, c->size());
    for (int r = top; r <= last; ++r)
      if (slots[static_cast<std::size_t>(r - 1)].hasContent()) return true;
  }
  for (const auto& m : merges_)
    if (col >= m.left && col <= m.right && m.top <= bottom && m.bottom >= top &&
        cellHasContent(m.top, m.left))
      return true;
  return false;
}

Rect Sheet::currentRegion(Cell start) const {
  Rect r = Rect::of(start);
  bool grew = true;
  while (grew) {
    grew = false;
    auto wideLeft = [&] { return std::max(1, r.left - 1); };
    auto wideRight = [&] { return std::min(kMaxCol, r.right + 1); };
    auto wideTop = [&] { return std::max(1, r.top - 1); };
    auto wideBottom = [&] { return std::min(kMaxRow, r.bottom + 1); };
    while (r.top > 1 && rowHasContent(r.top - 1, wideLeft(), wideRight())) --r.top, grew = true;
    while (r.bottom < kMaxRow && rowHasContent(r.bottom + 1, wideLeft(), wideRight()))
      ++r.bottom, grew = true;
    while (r.left > 1 && colHasContent(r.left - 1, wideTop(), wideBottom())) --r.left, grew = true;
    while (r.right < kMaxCol && colHasContent(r.right + 1, wideTop(), wideBottom()))
      ++r.right, grew = true;
  }
  // A region of filled cells holds the merged areas it touches.
  for (bool again = true; again;) {
    again = false;
    for (const auto& m : merges_)
      if (m.intersects(r) && !r.contains(m)) {
        r = {std::min(r.top, m.top), std::min(r.left, m.left), std::max(r.bottom, m.bottom),
             std::max(r.right, m.right)};
        again = true;
      }
  }
  return r;
}

Rect Sheet::usedRange() const {
  int top = kMaxRow + 1, bottom = 0, left = kMaxCol + 1, right = 0;
  for (int c = 1; c <= columnCount(); ++c) {
    const auto& slots = cols_[static_cast<std::size_t>(c - 1)].slots();
    // From either end to the first slot in use: a province's column is
    // not walked through.
    int first = 1, last = static_cast<int>(slots.size());
    while (first <= last && !slots[static_cast<std::size_t>(first - 1)].inUse()) ++first;
    if (first > last) continue;
    while (!slots[static_cast<std::size_t>(last - 1)].inUse()) --last;
    top = std::min(top, first);
    bottom = std::max(bottom, last);
    left = std::min(left, c);
    right = std::max(right, c);
  }
  // Rows still to come count whole, unread.
  for (const PendingRows& p : pending_) {
    top = std::min(top, p.area.top);
    bottom = std::max(bottom, p.area.bottom);
    left = std::min(left, p.area.left);
    right = std::max(right, p.area.right);
  }
  for (const auto& m : merges_) {
    top = std::min(top, m.top);
    bottom = std::max(bottom, m.bottom);
    left = std::min(left, m.left);
    right = std::max(right, m.right);
  }
  if (!rowHeights_.empty()) {
    top = std::min(top, rowHeights_.begin()->first);
    bottom = std::max(bottom, rowHeights_.rbegin()->first);
    if (right == 0) left = right = 1;
  }
  if (bottom == 0) return Rect::of(Cell{1, 1});
  return {top, left, bottom, right};
}

namespace {

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

using host::equalsIgnoringCase;

bool containsIgnoreCase(std::string_view hay, std::string_view needle) {
  if (needle.empty()) return true;
  if (needle.size() > hay.size()) return false;
  for (std::size_t i = 0; i + needle.size() <= hay.size(); ++i)
    if (equalsIgnoringCase(hay.substr(i, needle.size()), needle)) return true;
  return false;
}

// What a search looks for, prepared once: the numbers whose general form is
// the searched text are recognised without formatting every cell.
struct Needle {
  std::string text;
  bool whole;
  std::optional<double> number;

  Needle(const std::string& t, bool w) : text(t), whole(w) {
    if (w)
      if (auto d = host::parseDecimal(t); d && equalsIgnoringCase(host::numberToText(*d), t)) number = d;
  }

  // Numbers are compared by value where that decides it.
  std::optional<bool> quick(const Slot& s) const {
    if (s.kind() == Slot::Kind::Text)  // in place: no copy of the text
      return whole ? equalsIgnoringCase(s.text().text, text) : containsIgnoreCase(s.text().text, text);
    if (s.kind() != Slot::Kind::Number || !whole) return std::nullopt;
    if (!number) return false;
    if (s.number() == *number) return true;
    if (std::fabs(s.number() - *number) > 1e-9 * std::max(1.0, std::fabs(*number))) return false;
    return std::nullopt;
  }

  bool matches(const Value& v) const {
    if (v.isEmpty()) return !whole ? text.empty() : false;
    if (v.isNumber() && whole) {
      if (!number) return false;
      if (v.number() == *number) return true;
      if (std::fabs(v.number() - *number) > 1e-9 * std::max(1.0, std::fabs(*number))) return false;
    }
    if (v.isText())
      return whole ? equalsIgnoringCase(v.text(), text) : containsIgnoreCase(v.text(), text);
    std::string shown = host::displayText(v);
    return whole ? equalsIgnoringCase(shown, text) : containsIgnoreCase(shown, text);
  }
};

}  // namespace

// Row by row through `within`, from the cell after (or before) `from`,
// wrapping once around; the starting cell itself is examined last.
std::optional<Cell> Sheet::search(const Rect& within, const std::string& what, Cell from,
                                  bool wholeCell, bool backwards) const {
  Needle needle(what, wholeCell);
  Rect r = {within.top, within.left, within.bottom, std::min(within.right, std::max(1, columnCount()))};
  if (r.right < r.left) return std::nullopt;
  // Only stored rows can hold a match.
  int stored = 0;
  for (int c = r.left; c <= r.right; ++c)
    if (const Column* col = column(c)) stored = std::max(stored, col->size());
  int bottom = std::min(r.bottom, std::max(stored, r.top));
  int width = r.colCount();
  long long count = static_cast<long long>(bottom - r.top + 1) * width;
  long long start = static_cast<long long>(std::clamp(from.row, r.top, bottom) - r.top) * width +
                    (std::clamp(from.col, r.left, r.right) - r.left);
  auto test = [&](const Slot* s, Cell c) {
    if (!s || !s->hasContent()) return false;
    if (auto q = needle.quick(*s)) return *q;
    return needle.matches(slotValue(s, c));
  };
  if (width == 1 && wholeCell && !needle.number) {
    // The same column searched again for whole text (each class of a
    // sorted table, say): rows by text, taken once per state of the workbook.
    if (const std::vector<int>* rows = findIndex(r.left, what)) {
      const int at = std::clamp(from.row, r.top, bottom);
      auto inRange = [&](auto it) { return it != rows->end() && *it >= r.top && *it <= bottom; };
      if (!backwards) {
        auto next = std::upper_bound(rows->begin(), rows->end(), at);
        if (inRange(next)) return Cell{*next, r.left};
        auto first = std::lower_bound(rows->begin(), rows->end(), r.top);
        if (inRange(first) && *first <= at) return Cell{*first, r.left};
        return std::nullopt;
      }
      auto before = std::lower_bound(rows->begin(), rows->end(), at);
      if (before != rows->begin() && *std::prev(before) >= r.top) return Cell{*std::prev(before), r.left};
      auto last = std::upper_bound(rows->begin(), rows->end(), bottom);
      if (last != rows->begin() && *std::prev(last) >= at) return Cell{*std::prev(last), r.left};
      return std::nullopt;
    }
  }
  if (width == 1) {  // one column: walk its slots directly
    const Column* col = column(r.left);
    if (!col) return std::nullopt;
    const auto& slots = col->slots();
    int size = col->size();
    for (long long k = 1; k <= count; ++k) {
      long long i = backwards ? ((start - k) % count + count) % count : (start + k) % count;
      int row = r.top + static_cast<int>(i);
      if (row > size) continue;
      if (test(&slots[static_cast<std::size_t>(row - 1)], {row, r.left})) return Cell{row, r.left};
    }
    return std::nullopt;
  }
  for (long long k = 1; k <= count; ++k) {
    long long i = backwards ? ((start - k) % count + count) % count : (start + k) % count;
    Cell c{r.top + static_cast<int>(i / width), r.left + static_cast<int>(i % width)};
    if (test(slot(c), c)) return c;
  }
  return std::nullopt;
}

namespace {

std::string Folded(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) c = lower(c);
  return folded;
}

}  // namespace

// Built on the second whole-text search of a column in one generation of
// the workbook: a single search costs one walk either way.
const std::vector<int>* Sheet::findIndex(int col, const std::string& what) const {
  FindIndex& index = findIndex_[col];
  if (index.generation != wb_.generation()) {
    index = {wb_.generation(), 1, {}};
    return nullptr;
  }
  if (index.searches < 2 && ++index.searches == 2) {
    const Column* column = this->column(col);
    for (int row = 1; column && row <= column->size(); ++row) {
      const Slot* s = column->get(row);
      if (!s->hasContent() || s->kind() == Slot::Kind::Number) continue;  // a number never shows as non-numeric text
      if (s->kind() == Slot::Kind::Text) {
        index.rows[Folded(s->text().text)].push_back(row);
        continue;
      }
      const Value v = slotValue(s, {row, col});
      if (v.isText()) index.rows[Folded(v.text())].push_back(row);
      else if (!v.isNumber() && !v.isEmpty()) index.rows[Folded(host::displayText(v))].push_back(row);
    }
    // The index is of the state after the formulas above were evaluated.
    index.generation = wb_.generation();
  }
  if (index.searches < 2) return nullptr;
  static const std::vector<int> kNone;
  auto it = index.rows.find(Folded(what));
  return it == index.rows.end() ? &kNone : &it->second;
}

std::optional<Cell> Sheet::find(const Rect& within, const std::string& what, Cell after,
                                bool wholeCell) const {
  return search(within, what, after, wholeCell, false);
}

std::optional<Cell> Sheet::findPrevious(const Rect& within, const std::string& what, Cell before,
                                        bool wholeCell) const {
  return search(within, what, before, wholeCell, true);
}

Rect Sheet::mergeArea(Cell c) const { return merges_.areaOf(c); }

}  // namespace tavo::model
