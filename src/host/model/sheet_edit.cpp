// Replace, clear, copy, cut, insert, delete and merge.
#include <algorithm>
#include <cctype>

#include "host/model/sheet.h"
#include "host/model/workbook.h"

namespace tavo::model {

using host::Cell;
using host::HostError;
using host::kMaxCol;
using host::kMaxRow;
using host::Rect;
using host::Value;

namespace {

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Replaces every occurrence of `what`, ignoring letter case; false when none.
bool replaceAll(std::string& s, const std::string& what, const std::string& with) {
  bool any = false;
  std::string out;
  std::size_t i = 0;
  while (i < s.size()) {
    bool hit = i + what.size() <= s.size();
    for (std::size_t k = 0; hit && k < what.size(); ++k) hit = lower(s[i + k]) == lower(what[k]);
    if (hit) {
      out += with;
      i += what.size();
      any = true;
    } else {
      out += s[i++];
    }
  }
  if (any) s = std::move(out);
  return any;
}

// Keys of a per-row (or per-column) map after inserting (count > 0) or
// deleting (count < 0) at `at`.
template <class T>
void shiftKeys(std::map<int, T>& m, int at, int count) {
  std::map<int, T> out;
  for (auto& [k, v] : m) {
    if (k < at) out.emplace(k, std::move(v));
    else if (count > 0) out.emplace(k + count, std::move(v));
    else if (k >= at - count) out.emplace(k + count, std::move(v));
  }
  m = std::move(out);
}

// One side of a rectangle along the shifted axis; false when it vanishes.
bool shiftSpan(int& lo, int& hi, int at, int count, int limit) {
  if (count > 0) {
    if (lo >= at) lo += count;
    if (hi >= at) hi += count;
    hi = std::min(hi, limit);
    return lo <= limit;
  }
  int n = -count, last = at + n - 1;
  int nlo = lo < at ? lo : (lo > last ? lo - n : at);
  int nhi = hi < at ? hi : (hi > last ? hi - n : at - 1);
  lo = nlo;
  hi = nhi;
  return lo <= hi;
}

}  // namespace

namespace {
constexpr double kMaxCellsFilled = static_cast<double>(kMostCellsAdded);
}  // namespace

void Sheet::replace(const Rect& range, const std::string& what, const std::string& with,
                    bool wholeCell) {
  if (what.empty()) {
    Rect used = usedRange();
    Rect r = {std::max(range.top, used.top), std::max(range.left, used.left),
              std::min(range.bottom, used.bottom), std::min(range.right, used.right)};
    // Filling is the one replace that creates cells: a range of billions
    // (a merged area over the sheet) is refused before any is made.
    const double cells = std::max(0.0, static_cast<double>(r.rowCount())) * std::max(0, r.colCount());
    if (cells > kMaxCellsFilled)
      throw refusedAt(r, "区域过大（" + host::numberToText(cells) + " 个单元格），未填充空单元格");
    for (int c = r.left; c <= r.right; ++c)
      for (int row = r.top; row <= r.bottom; ++row) {
        const Slot* s = slot({row, c});
        if (!s || !s->hasContent()) enter({row, c}, Value(with));
      }
    touch();
    return;
  }
  // A number shows only digits, sign, point and exponent: text with any
  // other character never matches one, and numbers need not be printed.
  const bool mayMatchNumbers = what.find_first_not_of("0123456789.-+Ee") == std::string::npos;
  // Without letters, ignoring case changes nothing: a text is searched in
  // place, and copied only when it holds `what` (a city's names, twice over).
  const bool caseless = std::none_of(what.begin(), what.end(), [](unsigned char ch) { return std::isalpha(ch); });
  std::vector<std::pair<Cell, std::string>> changes;
  forStoredCells(range, [&](Slot& s, Cell c) {
    if (!s.hasContent() || s.isFormula()) return;
    if (s.kind() == Slot::Kind::Number && !mayMatchNumbers) return;
    if (caseless && !wholeCell && s.kind() == Slot::Kind::Text && s.text().text.find(what) == std::string::npos) return;
    std::string text = host::displayText(s.constant());
    if (wholeCell) {
      if (host::equalsIgnoringCase(text, what)) changes.emplace_back(c, with);
    } else if (replaceAll(text, what, with)) {
      changes.emplace_back(c, std::move(text));
    }
  });
  for (auto& [c, t] : changes) enter(c, Value(t));
  if (!changes.empty()) touch();
}

StyleId Sheet::inheritedStyle(Cell c) const {
  if (auto it = rowStyles_.find(c.row); it != rowStyles_.end()) return it->second;
  if (auto it = colStyles_.find(c.col); it != colStyles_.end()) return it->second;
  return sheetStyle_;
}

void Sheet::removeMergesTouching(const Rect& r) {
  if (!merges_.touches(r)) return;
  merges_.eraseIf([&](const Rect& m) { return m.intersects(r); });
}

void Sheet::clearContents(const Rect& r) {
  forStoredCells(r, [](Slot& s, Cell) { s.clearContent(); });
  int right = std::min(r.right, columnCount());
  for (int c = r.left; c <= right; ++c) cols_[static_cast<std::size_t>(c - 1)].trim();
  touch();
}

void Sheet::clearFormats(const Rect& r) {
  if (r.wholeRows() && r.wholeColumns()) {
    sheetStyle_ = StyleTable::kDefault;
    rowStyles_.clear();
    colStyles_.clear();
  } else if (r.wholeRows()) {
    for (auto it = rowStyles_.lower_bound(r.top); it != rowStyles_.end() && it->first <= r.bottom;)
      it = rowStyles_.erase(it);
  } else if (r.wholeColumns()) {
    for (auto it = colStyles_.lower_bound(r.left); it != colStyles_.end() && it->first <= r.right;)
      it = colStyles_.erase(it);
  }
  bool plain = sheetStyle_ == StyleTable::kDefault && rowStyles_.empty() && colStyles_.empty();
  if (!plain && !r.wholeRows() && !r.wholeColumns() &&
      static_cast<long long>(r.rowCount()) * r.colCount() <= 4'000'000LL) {
    // Cleared cells show the default format even where a row, column or
    // sheet format would otherwise show through.
    for (int c = r.left; c <= r.right; ++c)
      for (int row = r.top; row <= r.bottom; ++row)
        if (inheritedStyle({row, c}) != StyleTable::kDefault) slotAt({row, c}).setStyle(StyleTable::kDefault);
  }
  forStoredCells(r, [&](Slot& s, Cell c) {
    s.setStyle(inheritedStyle(c) == StyleTable::kDefault ? 0 : StyleTable::kDefault);
  });
  removeMergesTouching(r);
  int right = std::min(r.right, columnCount());
  for (int c = r.left; c <= right; ++c) cols_[static_cast<std::size_t>(c - 1)].trim();
  touch();
}

void Sheet::clear(const Rect& r) {
  forStoredCells(r, [](Slot& s, Cell) { s.clearContent(); });
  deleteValidation(r);
  clearFormats(r);
}

void Sheet::placeSlot(Cell c, Slot&& s) {
  if (!s.inUse()) {
    if (Slot* old = findSlot(c)) *old = Slot();
    return;
  }
  if (s.isFormula()) noteFormulas(c.col);
  slotAt(c) = std::move(s);
}

void Sheet::copyFormatToAreas(Cell source, host::Worksheet& target, const std::vector<Rect>& areas) {
  for (const Rect& area : areas) copy(Rect::of(source), target, area, host::Paste::Formats);
}

void Sheet::copy(const Rect& source, host::Worksheet& targetSheet, const Rect& destination,
                 host::Paste what) {
  auto* target = dynamic_cast<Sheet*>(&targetSheet);
  if (!target) throw HostError::refused("目标不在同一主机中");
  settleAll();
  target->settleAll();
  Rect src = source;
  if (src.wholeRows() || src.wholeColumns()) {
    Rect stored = clipToStored(src);
    src.bottom = std::max(src.top, stored.bottom);
    src.right = std::max(src.left, stored.right);
  }
  int tilesDown = std::max(1, destination.rowCount() / src.rowCount());
  int tilesRight = std::max(1, destination.colCount() / src.colCount());
  if (destination.rowCount() == 1 && destination.colCount() == 1) tilesDown = tilesRight = 1;
  if (destination.top + tilesDown * src.rowCount() - 1 > kMaxRow ||
      destination.left + tilesRight * src.colCount() - 1 > kMaxCol)
    throw refusedAt(destination, "粘贴区域超出工作表");

  bool sameBook = &target->wb_ == &wb_;
  // The effective source format, kept as the cell's own only where the
  // destination would not show it anyway.
  auto restyle = [&](StyleId id, Cell at) -> StyleId {
    if (!sameBook) id = target->wb_.adoptStyle(wb_, id);
    return id == target->inheritedStyle(at) ? 0 : id;
  };

  // Snapshot first: source and destination may overlap. A value pasted
  // alone is held as a constant slot.
  struct Item {
    int dr, dc;
    Slot slot;
    StyleId style;
  };
  std::vector<Item> items;
  items.reserve(static_cast<std::size_t>(src.rowCount()) * static_cast<std::size_t>(src.colCount()));
  for (int c = src.left; c <= src.right; ++c)
    for (int r = src.top; r <= src.bottom; ++r) {
      const Slot* s = slot({r, c});
      Item it{r - src.top, c - src.left, {}, 0};
      if (what == host::Paste::All) {
        if (s) it.slot = s->clone();
        it.style = cellStyle({r, c});
      } else if (what == host::Paste::Values) {
        if (s && !s->isFormula()) it.slot = s->pastedValue();
        else it.slot.setConstant(slotValue(s, {r, c}));
      } else {
        it.style = cellStyle({r, c});
      }
      items.push_back(std::move(it));
    }
  std::vector<Rect> merges;
  for (const auto& m : merges_)
    if (src.contains(m)) merges.push_back(m.offset(-src.top, -src.left));
  std::vector<ValidationAreas::Area> rules = validations_.within(src);
  for (auto& rule : rules) rule.first = rule.first.offset(-src.top, -src.left);

  // Columns that receive cells grow once to their new end, not doubled on
  // the way there.
  std::vector<bool> receives(static_cast<std::size_t>(src.colCount()), false);
  for (const Item& it : items)
    if (it.slot.inUse() || it.style != 0) receives[static_cast<std::size_t>(it.dc)] = true;
  for (int tj = 0; tj < tilesRight; ++tj)
    for (int dc = 0; dc < src.colCount(); ++dc)
      if (receives[static_cast<std::size_t>(dc)])
        target->columnAt(destination.left + tj * src.colCount() + dc).reserveTo(destination.top + tilesDown * src.rowCount() - 1);
  for (int ti = 0; ti < tilesDown; ++ti)
    for (int tj = 0; tj < tilesRight; ++tj) {
      int top = destination.top + ti * src.rowCount();
      int left = destination.left + tj * src.colCount();
      Rect dest{top, left, top + src.rowCount() - 1, left + src.colCount() - 1};
      int dr = top - src.top, dc = left - src.left;
      if (what != host::Paste::Values) {
        target->removeMergesTouching(dest);
        for (const auto& m : merges) target->merges_.add(m.offset(top, left));
      }
      const bool lastTile = ti == tilesDown - 1 && tj == tilesRight - 1;
      for (auto& it : items) {
        Cell at{top + it.dr, left + it.dc};
        if (what == host::Paste::All) {
          Slot s = lastTile ? std::move(it.slot) : it.slot.clone();
          s.setStyle(restyle(it.style, at));
          if (s.isFormula() && s.formula().root) {
            shiftRelative(*s.formula().root, dr, dc);
            if (!sameBook)
              forEachReference(*s.formula().root, [&](Reference& ref) {
                if (ref.sheet) ref.invalid = true;
              });
          }
          target->placeSlot(at, std::move(s));
        } else if (what == host::Paste::Values) {
          if (!it.slot.hasContent()) {
            if (Slot* old = target->findSlot(at)) old->clearContent();
          } else {
            target->slotAt(at).setContentOf(it.slot);
          }
        } else {
          target->slotAt(at).setStyle(restyle(it.style, at));
        }
      }
      if (what == host::Paste::All) {
        target->deleteValidation(dest);
        for (const auto& [area, v] : rules) target->validations_.add(area.offset(top, left), v);
      }
    }
  target->touch();
}

void Sheet::cut(const Rect& source, host::Worksheet& targetSheet, Cell at) {
  auto* target = dynamic_cast<Sheet*>(&targetSheet);
  if (!target || &target->wb_ != &wb_) throw HostError::refused("剪切的目标须在同一工作簿中");
  settleAll();
  target->settleAll();
  Rect src = source;
  if (src.wholeRows() || src.wholeColumns()) {
    Rect stored = clipToStored(src);
    src.bottom = std::max(src.top, stored.bottom);
    src.right = std::max(src.left, stored.right);
  }
  int dr = at.row - src.top, dc = at.col - src.left;
  Rect dest = src.offset(dr, dc);
  if (dest.bottom > kMaxRow || dest.right > kMaxCol) throw refusedAt(src, "粘贴区域超出工作表");
  if (dr == 0 && dc == 0 && target == this) return;

  wb_.updateReferences(BlockMoveUpdate(this, src, target, dr, dc));

  struct Item {
    Cell at;
    Slot slot;
  };
  std::vector<Item> items;
  forStoredCells(src, [&](Slot& s, Cell c) {
    if (s.inUse()) items.push_back({c, std::move(s)});
    s = Slot();
  });
  std::vector<Rect> merges;
  merges_.eraseIf([&](const Rect& m) {
    if (!src.contains(m)) return false;
    merges.push_back(m.offset(dr, dc));
    return true;
  });
  std::vector<ValidationAreas::Area> rules = validations_.within(src);
  validations_.erase(src);
  target->forStoredCells(dest, [](Slot& s, Cell) { s = Slot(); });
  target->removeMergesTouching(dest);
  target->deleteValidation(dest);
  for (auto& it : items) {
    if (it.slot.isFormula() && it.slot.formula().root && target != this) {
      rehome(*it.slot.formula().root, this, target);
      it.slot.formula().loadedA1.clear();
    }
    target->placeSlot({it.at.row + dr, it.at.col + dc}, std::move(it.slot));
  }
  for (const auto& m : merges) target->merges_.add(m);
  for (const auto& [area, v] : rules) target->validations_.add(area.offset(dr, dc), v);
  for (auto& col : cols_) col.trim();
  touch();
}

void Sheet::insertCut(const Rect& source, Cell at, host::Shift shift) {
  if (shift != host::Shift::Down || source.wholeColumns())
    throw refusedAt(source, "只支持剪切整行单元格后下移插入");
  settleAll();
  ++shifts_;
  if (at.col != source.left && !source.wholeRows())
    throw refusedAt(source, "插入位置须与剪切区域同列");
  int s0 = source.top, s1 = source.bottom;
  if (at.row >= s0 && at.row <= s1 + 1) return;
  RowRotateUpdate rotate(this, source, at.row);
  wb_.updateReferences(rotate);
  int lo = std::min(at.row, s0), hi = std::max(s1, at.row - 1);
  int right = std::min(source.right, columnCount());
  for (int c = source.left; c <= right; ++c) {
    Column& col = cols_[static_cast<std::size_t>(c - 1)];
    if (col.size() < lo) continue;
    col.at(hi);
    auto& slots = col.slots();
    std::vector<Slot> moved(static_cast<std::size_t>(hi - lo + 1));
    for (int r = lo; r <= hi; ++r)
      moved[static_cast<std::size_t>(rotate.newRow(r) - lo)] = std::move(slots[static_cast<std::size_t>(r - 1)]);
    for (int r = lo; r <= hi; ++r) slots[static_cast<std::size_t>(r - 1)] = std::move(moved[static_cast<std::size_t>(r - lo)]);
    col.trim();
  }
  merges_.changeEach([&](Rect& m) {
    if (m.left >= source.left && m.right <= source.right) {
      int a = rotate.newRow(m.top), b = rotate.newRow(m.bottom);
      if (b - a == m.bottom - m.top) m.top = a, m.bottom = b;
    }
  });
  validations_.permuteRows(source.left, source.right, lo, hi, [&](int r) { return rotate.newRow(r); });
  if (source.wholeRows()) {
    std::map<int, double> heights;
    for (auto& [r, h] : rowHeights_) heights[rotate.newRow(r)] = h;
    rowHeights_ = std::move(heights);
    std::map<int, int> outlines;
    for (auto& [r, level] : rowOutlines_) outlines[rotate.newRow(r)] = level;
    rowOutlines_ = std::move(outlines);
    std::map<int, StyleId> styles;
    for (auto& [r, s] : rowStyles_) styles[rotate.newRow(r)] = s;
    rowStyles_ = std::move(styles);
  }
  touch();
}

void Sheet::shiftRows(const Rect& band, int at, int count) {
  settleAll();
  dropFindIndex();
  ++shifts_;
  bool whole = band.wholeRows();
  int right = std::min(band.right, columnCount());
  if (count > 0) {
    for (int c = band.left; c <= right; ++c) {
      const auto& slots = cols_[static_cast<std::size_t>(c - 1)].slots();
      for (int r = std::max(at, kMaxRow - count + 1); r <= static_cast<int>(slots.size()); ++r)
        if (slots[static_cast<std::size_t>(r - 1)].inUse())
          throw HostError::refused("插入会把数据挤出工作表");
    }
  }
  wb_.updateReferences(InsertDeleteUpdate(this, false, at, count, band.left, band.right));
  for (int c = band.left; c <= right; ++c) {
    Column& col = cols_[static_cast<std::size_t>(c - 1)];
    auto& slots = col.slots();
    if (static_cast<int>(slots.size()) < at) continue;
    if (count > 0) col.reserveTo(static_cast<int>(slots.size()) + count);  // not twice the column, as an insert would
    auto pos = slots.begin() + (at - 1);
    if (count > 0) {
      std::vector<Slot> blanks(static_cast<std::size_t>(count));
      slots.insert(pos, std::make_move_iterator(blanks.begin()), std::make_move_iterator(blanks.end()));
      if (static_cast<int>(slots.size()) > kMaxRow) slots.resize(kMaxRow);
    } else {
      auto end = slots.begin() + std::min<int>(static_cast<int>(slots.size()), at - 1 - count);
      slots.erase(pos, end);
    }
    col.trim();
  }
  std::vector<Rect> merges;
  for (auto m : merges_) {
    if (m.left >= band.left && m.right <= band.right) {
      if (!shiftSpan(m.top, m.bottom, at, count, kMaxRow)) continue;
    }
    merges.push_back(m);
  }
  merges_.assign(std::move(merges));
  validations_.shiftRows(band.left, band.right, at, count);
  if (whole) {
    shiftKeys(rowHeights_, at, count);
    shiftKeys(rowOutlines_, at, count);
    shiftKeys(rowStyles_, at, count);
    std::map<int, bool> breaks;
    for (int b : breaks_) breaks[b] = true;
    shiftKeys(breaks, at, count);
    breaks_.clear();
    for (auto& [b, _] : breaks) breaks_.insert(b);
  }
  touch();
}

void Sheet::shiftColumns(const Rect& band, int at, int count) {
  settleAll();
  dropFindIndex();
  ++shifts_;
  bool whole = band.wholeColumns();
  if (count > 0) {
    for (int c = std::max(at, kMaxCol - count + 1); c <= columnCount(); ++c)
      for (int r = band.top; r <= std::min(band.bottom, cols_[static_cast<std::size_t>(c - 1)].size()); ++r)
        if (cols_[static_cast<std::size_t>(c - 1)].get(r)->inUse())
          throw HostError::refused("插入会把数据挤出工作表");
  }
  wb_.updateReferences(InsertDeleteUpdate(this, true, at, count, band.top, band.bottom));
  if (whole) {
    if (columnCount() >= at) {
      if (count > 0) {
        std::vector<Column> blanks(static_cast<std::size_t>(count));
        cols_.insert(cols_.begin() + (at - 1), std::make_move_iterator(blanks.begin()),
                     std::make_move_iterator(blanks.end()));
        if (columnCount() > kMaxCol) cols_.resize(kMaxCol);
      } else {
        cols_.erase(cols_.begin() + (at - 1), cols_.begin() + std::min(columnCount(), at - 1 - count));
      }
    }
  } else {
    // Only the rows of the band move sideways.
    int last = columnCount();
    int bottom = band.bottom;
    if (count > 0) {
      for (int c = last; c >= at; --c)
        for (int r = band.top; r <= std::min(bottom, cols_[static_cast<std::size_t>(c - 1)].size()); ++r) {
          Slot s = std::move(*findSlot({r, c}));
          *findSlot({r, c}) = Slot();
          placeSlot({r, c + count}, std::move(s));
        }
    } else {
      int n = -count;
      for (int c = at; c <= last; ++c)
        for (int r = band.top; r <= bottom; ++r) {
          Slot* from = c + n <= last ? findSlot({r, c + n}) : nullptr;
          Slot s = from ? std::move(*from) : Slot();
          if (from) *from = Slot();
          placeSlot({r, c}, std::move(s));
        }
    }
    for (auto& col : cols_) col.trim();
  }
  std::vector<Rect> merges;
  for (auto m : merges_) {
    if (m.top >= band.top && m.bottom <= band.bottom) {
      if (!shiftSpan(m.left, m.right, at, count, kMaxCol)) continue;
    }
    merges.push_back(m);
  }
  merges_.assign(std::move(merges));
  validations_.shiftColumns(band.top, band.bottom, at, count);
  if (whole) {
    shiftKeys(colWidths_, at, count);
    shiftKeys(hiddenColWidths_, at, count);
    shiftKeys(colOutlines_, at, count);
    shiftKeys(colStyles_, at, count);
  }
  touch();
}

void Sheet::insert(const Rect& r, host::Shift shift) {
  bool rows = r.wholeRows() || (!r.wholeColumns() && shift == host::Shift::Down);
  if (rows) shiftRows(r, r.top, r.rowCount());
  else shiftColumns(r, r.left, r.colCount());
}

void Sheet::remove(const Rect& r, host::Shift shift) {
  bool rows = r.wholeRows() || (!r.wholeColumns() && shift == host::Shift::Up);
  if (rows) shiftRows(r, r.top, -r.rowCount());
  else shiftColumns(r, r.left, -r.colCount());
}

void Sheet::merge(const Rect& r) {
  if (r.rowCount() == 1 && r.colCount() == 1) return;
  Rect area = r;
  if (merges_.touches(area))
    for (const auto& m : merges_)
      if (m.intersects(area))
        area = {std::min(area.top, m.top), std::min(area.left, m.left), std::max(area.bottom, m.bottom),
                std::max(area.right, m.right)};
  removeMergesTouching(area);
  forStoredCells(area, [&](Slot& s, Cell c) {
    if (c != area.topLeft()) s.clearContent();
  });
  merges_.add(area);
  touch();
}

}  // namespace tavo::model
