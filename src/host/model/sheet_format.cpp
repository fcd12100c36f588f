// Formats, character runs, validation, sizes and print breaks.
#include <algorithm>
#include <bit>
#include <cmath>
#include <unordered_map>

#include "host/model/number_format.h"
#include "host/model/sheet.h"
#include "host/model/workbook.h"

namespace tavo::model {

using host::Cell;
using host::HostError;
using host::kMaxCol;
using host::kMaxRow;
using host::Rect;

StyleId Sheet::ownStyle(Cell c) const {
  const Slot* s = slot(c);
  return s ? s->style() : 0;
}

StyleId Sheet::cellStyle(Cell c) const {
  StyleId own = ownStyle(c);
  return own ? own : inheritedStyle(c);
}

void Sheet::setOwnStyle(Cell c, StyleId id) { slotAt(c).setStyle(id); }

host::HostError Sheet::refusedAt(const Rect& r, const std::string& why) const {
  return HostError::refused(why + "（" + wb_.name() + " 的工作表 " + name() + "，" + host::a1(r) + "）");
}

void Sheet::setRowStyle(int first, int last, StyleId id) {
  settleAll();
  for (int row = first; row <= last; ++row) rowStyles_[row] = id;
  touch();
}

void Sheet::setColumnStyle(int first, int last, StyleId id) {
  settleAll();
  for (int col = first; col <= last; ++col) colStyles_[col] = id;
  touch();
}

host::Format Sheet::format(Cell c) const { return wb_.styles().get(cellStyle(c)); }

bool Sheet::formatPending(const Rect& r, const host::FormatPatch& patch) {
  auto it = std::find_if(pending_.begin(), pending_.end(), [&](const PendingRows& p) { return p.area.intersects(r); });
  if (it == pending_.end()) return false;
  const Rect a = it->area;
  const Rect both{std::max(r.top, a.top), std::max(r.left, a.left), std::min(r.bottom, a.bottom),
                  std::min(r.right, a.right)};
  // A format over some of the block's rows, or rows with formats of their
  // own, differ from row to row: the block is entered as cells.
  const auto rowStyle = rowStyles_.lower_bound(a.top);
  if (both.top != a.top || both.bottom != a.bottom || (rowStyle != rowStyles_.end() && rowStyle->first <= a.bottom)) {
    settle(a);
    return false;
  }
  for (int c = both.left; c <= both.right; ++c) {
    StyleId& style = it->styles[static_cast<std::size_t>(c - a.left)];
    style = wb_.styles().patched(style ? style : inheritedStyle({a.top, c}), patch);
  }
  // The rest of the range, above, below and beside the block.
  for (const Rect& part :
       {Rect{r.top, r.left, a.top - 1, r.right}, Rect{a.bottom + 1, r.left, r.bottom, r.right},
        Rect{both.top, r.left, both.bottom, a.left - 1}, Rect{both.top, a.right + 1, both.bottom, r.right}})
    if (part.top <= part.bottom && part.left <= part.right) applyFormat(part, patch);
  touch();
  return true;
}

void Sheet::applyFormat(const Rect& r, const host::FormatPatch& patch) {
  if (!r.wholeRows() && !r.wholeColumns() && formatPending(r, patch)) return;
  auto& styles = wb_.styles();
  std::unordered_map<StyleId, StyleId> memo;
  auto patched = [&](StyleId id) {
    auto [it, fresh] = memo.try_emplace(id, 0);
    if (fresh) it->second = styles.patched(id, patch);
    return it->second;
  };
  if (r.wholeColumns()) {
    // Pending rows take a format over whole columns as their cells would:
    // those with a format of their own take the change, the others show the
    // column's. Rows with formats of their own are entered first.
    for (std::size_t i = 0; i < pending_.size();) {
      const PendingRows& p = pending_[i];
      const auto rowStyle = rowStyles_.lower_bound(p.area.top);
      if (p.area.intersects(r) && !r.wholeRows() && rowStyle != rowStyles_.end() && rowStyle->first <= p.area.bottom) {
        settle(p.area);
        i = 0;
        continue;
      }
      ++i;
    }
    for (PendingRows& p : pending_)
      for (int c = std::max(r.left, p.area.left); c <= std::min(r.right, p.area.right); ++c)
        if (StyleId& style = p.styles[static_cast<std::size_t>(c - p.area.left)]) style = patched(style);
  } else if (r.wholeRows()) {
    settle(r);
  }
  auto restyleStored = [&] {
    // Pending rows took the change above or were entered.
    forHeldCells(r, [&](Slot& s, Cell) {
      if (s.style()) s.setStyle(patched(s.style()));
    });
  };
  if (r.wholeRows() && r.wholeColumns()) {
    sheetStyle_ = patched(sheetStyle_);
    for (auto& [_, id] : rowStyles_) id = patched(id);
    for (auto& [_, id] : colStyles_) id = patched(id);
    restyleStored();
  } else if (r.wholeColumns()) {
    // Where a row format showed through, the cell keeps it plus the change.
    for (auto& [row, id] : rowStyles_)
      for (int c = r.left; c <= r.right; ++c)
        if (!ownStyle({row, c})) slotAt({row, c}).setStyle(patched(id));
    restyleStored();
    for (int c = r.left; c <= r.right; ++c) {
      auto it = colStyles_.find(c);
      colStyles_[c] = patched(it != colStyles_.end() ? it->second : sheetStyle_);
    }
  } else if (r.wholeRows()) {
    for (auto& [col, id] : colStyles_)
      for (int row = r.top; row <= r.bottom; ++row)
        if (!ownStyle({row, col}) && !rowStyles_.count(row)) slotAt({row, col}).setStyle(patched(id));
    restyleStored();
    for (int row = r.top; row <= r.bottom; ++row) {
      auto it = rowStyles_.find(row);
      rowStyles_[row] = patched(it != rowStyles_.end() ? it->second : sheetStyle_);
    }
  } else {
    // Cells that hold something already take the format in place; only the
    // cells the range adds below a column's last cost memory, so only they
    // are limited: a full sheet's table is formatted, a range over the empty
    // sheet is refused before anything is made.
    long long added = 0;
    for (int c = r.left; c <= r.right; ++c) {
      const Column* held = storedColumn(c);
      added += std::max(0, r.bottom - std::max(r.top - 1, held ? held->size() : 0));
    }
    if (added > kMostCellsAdded)
      throw refusedAt(r, "区域太大（要新建 " + host::numberToText(static_cast<double>(added)) + " 个单元格，上限 " +
                             host::numberToText(static_cast<double>(kMostCellsAdded)) + " 个）");
    for (int c = r.left; c <= r.right; ++c)
      for (int row = r.top; row <= r.bottom; ++row) {
        StyleId before = cellStyle({row, c});
        slotAt({row, c}).setStyle(patched(before));
      }
  }
  touch();
}

std::vector<host::TextRun> Sheet::textRuns(Cell c) const {
  const Slot* s = slot(c);
  if (!s || s->kind() != Slot::Kind::Text) return {};
  return s->text().runs();
}

void Sheet::setTextRun(Cell c, const host::TextRun& run) {
  Slot* s = findSlot(c);
  if (!s || s->kind() != Slot::Kind::Text) throw HostError::refused("只有文本单元格可以设置字符格式");
  int length = host::characterCount(s->text().text);
  if (run.start < 1 || run.start > length) throw HostError::refused("字符位置超出文本");
  host::TextRun r = run;
  r.length = std::min(r.length, length - r.start + 1);
  if (r.length <= 0) return;
  s->ownText().ownRuns().push_back(r);
  touch();
}

std::optional<host::Validation> Sheet::validation(Cell c) const {
  if (const host::Validation* v = validations_.at(c)) return *v;
  return std::nullopt;
}

void Sheet::addValidation(const Rect& r, const host::Validation& v) {
  if (validations_.intersects(r)) throw refusedAt(r, "单元格已有数据有效性");
  if ((v.type == host::code::kValidateList || v.type == host::code::kValidateDecimal) && v.formula1.empty())
    throw HostError::refused("数据有效性缺少公式");
  validations_.add(r, v);
}

void Sheet::setValidationInputMessage(const Rect& r, const std::string& m) {
  if (!validations_.update(r, [&](host::Validation& v) { v.inputMessage = m; }))
    throw HostError::refused("单元格没有数据有效性");
}

void Sheet::setValidationIgnoreBlank(const Rect& r, bool b) {
  if (!validations_.update(r, [&](host::Validation& v) { v.ignoreBlank = b; }))
    throw HostError::refused("单元格没有数据有效性");
}

void Sheet::deleteValidation(const Rect& r) { validations_.erase(r); }

void Sheet::setOutlineLevel(bool row, int first, int last, int level) {
  auto& levels = row ? rowOutlines_ : colOutlines_;
  for (int i = first; i <= last; ++i)
    if (level > 0) levels[i] = std::min(level, 7);
    else levels.erase(i);
  touch();
}

double Sheet::rowHeight(int row) const {
  auto it = rowHeights_.find(row);
  return it != rowHeights_.end() ? it->second : defaultRowHeight_;
}

void Sheet::setRowHeight(int first, int last, double h) {
  if (!(h >= 0 && h <= 409)) throw HostError::refused("不能设置 Range 类的 RowHeight 属性");
  if (first <= 1 && last >= kMaxRow) {
    defaultRowHeight_ = h;
    rowHeights_.clear();
    return;
  }
  for (int r = first; r <= last; ++r) rowHeights_[r] = h;
}

double Sheet::columnWidth(int col) const {
  auto it = colWidths_.find(col);
  return it != colWidths_.end() ? it->second : defaultColWidth_;
}

void Sheet::setColumnWidth(int first, int last, double w) {
  if (!(w >= 0 && w <= 255)) throw HostError::refused("不能设置 Range 类的 ColumnWidth 属性");
  if (first <= 1 && last >= kMaxCol) {
    defaultColWidth_ = w;
    colWidths_.clear();
    hiddenColWidths_.clear();
    return;
  }
  for (int c = first; c <= last; ++c) {
    // Hiding keeps the width the column shows again with.
    if (w == 0) {
      if (const double before = columnWidth(c); before > 0) hiddenColWidths_[c] = before;
    } else {
      hiddenColWidths_.erase(c);
    }
    colWidths_[c] = w;
  }
}

double Sheet::widthWhenShown(int col) const {
  auto it = hiddenColWidths_.find(col);
  return it != hiddenColWidths_.end() ? it->second : 0;
}

void Sheet::autoFitColumns(int first, int last) {
  settle(Rect::columns(std::max(1, first), std::max(1, last)));
  int right = std::min(last, columnCount());
  // A column of scores shows few distinct numbers: each number in each
  // format is measured once.
  std::unordered_map<StyleId, std::unordered_map<std::uint64_t, double>> numberWidths;
  // Merged cells do not count. Which they are is worked out once per
  // column, not asked cell by cell of a sheet with a merged area per class.
  std::vector<std::vector<Rect>> mergedIn(static_cast<std::size_t>(std::max(right, 0)) + 1);
  for (const Rect& m : merges_)
    if (m.rowCount() > 1 || m.colCount() > 1)
      for (int c = std::max({1, first, m.left}); c <= std::min(right, m.right); ++c)
        mergedIn[static_cast<std::size_t>(c)].push_back(m);
  std::vector<char> merged;
  for (int c = std::max(1, first); c <= right; ++c) {
    const auto& slots = cols_[static_cast<std::size_t>(c - 1)].slots();
    merged.assign(slots.size() + 1, 0);
    for (const Rect& m : mergedIn[static_cast<std::size_t>(c)])
      for (int r = m.top; r <= std::min(m.bottom, static_cast<int>(slots.size())); ++r)
        merged[static_cast<std::size_t>(r)] = 1;
    double widest = 0;
    StyleId lastStyle = 0;
    std::unordered_map<std::uint64_t, double>* widths = nullptr;  // lastStyle's
    auto measureLines = [&](std::string_view shown, double scale) {
      for (std::size_t start = 0;;) {
        const std::size_t nl = shown.find('\n', start);
        widest = std::max(widest, displayWidth(shown.substr(start, nl == std::string_view::npos ? nl : nl - start)) * scale);
        if (nl == std::string_view::npos) break;
        start = nl + 1;
      }
    };
    for (int r = 1; r <= static_cast<int>(slots.size()); ++r) {
      const Slot& s = slots[static_cast<std::size_t>(r - 1)];
      if (!s.hasContent() || merged[static_cast<std::size_t>(r)]) continue;
      const StyleId style = cellStyle({r, c});
      if (!widths || style != lastStyle) {
        widths = &numberWidths[style];
        lastStyle = style;
      }
      const host::Format& f = wb_.styles().get(style);
      const double scale = f.font.size / 11.0;
      if (s.kind() == Slot::Kind::Text) {  // shown as it stands, in any format
        measureLines(s.text().text, scale);
        continue;
      }
      // A score or rank in a format that shows it as it is is as wide as its
      // digits (and point): a city's worth of distinct ones need no look-up.
      if (s.kind() == Slot::Kind::Number && (f.numberFormat.empty() || f.numberFormat[0] != '0'))
        if (const auto tenths = host::exactTenths(s.number())) {
          const auto magnitude = static_cast<unsigned long long>(*tenths < 0 ? -*tenths : *tenths);
          const int chars = (*tenths < 0 ? 1 : 0) + host::digitCount(magnitude / 10) + (magnitude % 10 ? 2 : 0);
          widest = std::max(widest, chars * scale);
          continue;
        }
      const std::uint64_t number = s.kind() == Slot::Kind::Number ? std::bit_cast<std::uint64_t>(s.number()) : 0;
      if (s.kind() == Slot::Kind::Number)
        if (auto known = widths->find(number); known != widths->end()) {
          widest = std::max(widest, known->second);
          continue;
        }
      std::string shown = formatForDisplay(slotValue(&s, {r, c}), f.numberFormat);
      if (s.kind() == Slot::Kind::Number && shown.find('\n') == std::string::npos) {
        const double width = displayWidth(shown) * scale;
        widths->emplace(number, width);
        widest = std::max(widest, width);
        continue;
      }
      measureLines(shown, scale);
    }
    if (widest > 0) colWidths_[c] = std::min(255.0, std::ceil((widest + 0.75) * 100) / 100);
  }
}

void Sheet::addPageBreakAbove(int row) {
  if (row < 2 || row > kMaxRow) throw HostError::refused("分页符位置无效");
  breaks_.insert(row);
}

}  // namespace tavo::model
