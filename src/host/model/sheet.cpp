// Cells, values and formulas of a model worksheet.
#include "host/model/sheet.h"

#include <algorithm>

#include "host/model/application.h"
#include "host/model/formula/parser.h"
#include "host/model/formula/printer.h"
#include "host/model/workbook.h"

namespace tavo::model {

using host::Cell;
using host::HostError;
using host::Rect;
using host::Value;

Sheet::Sheet(Workbook& wb, std::string name)
    : wb_(wb), name_(std::move(name)), sheetStyle_(StyleTable::kDefault) {}

Sheet::~Sheet() = default;

host::Workbook& Sheet::workbook() { return wb_; }

void Sheet::touch() const { wb_.touch(); }

void Sheet::setName(const std::string& n) {
  if (n == name_) return;
  if (n.empty() || host::characterCount(n) > 31 ||
      n.find_first_of("[]:*?/\\") != std::string::npos || n.front() == '\'' || n.back() == '\'')
    throw HostError::refused("工作表名称无效: " + n);
  auto* other = wb_.findModelSheet(n);
  if (other && other != this) throw HostError::refused("工作表名称已被占用: " + n);
  name_ = n;
  wb_.noteRename();
  touch();
}

void Sheet::setVisible(bool v) {
  if (!v && visible_) {
    int shown = 0;
    for (int i = 1; i <= wb_.sheetCount(); ++i) shown += wb_.modelSheet(i).visible() ? 1 : 0;
    if (shown <= 1) throw HostError::refused("工作簿中至少要有一张可见的工作表");
  }
  visible_ = v;
}

void Sheet::activate() {
  if (!visible_) throw HostError::refused("不能激活隐藏的工作表");
  wb_.application().setActiveWorkbook(wb_);
  wb_.setActiveSheet(*this);
}

void Sheet::setTabColorIndex(int c) {
  if (c != host::code::kNone && !wb_.colors().has(c)) throw HostError::refused("颜色索引无效");
  tabColor_ = c;
}

const Column* Sheet::storedColumn(int col) const {
  return col >= 1 && col <= columnCount() ? &cols_[static_cast<std::size_t>(col - 1)] : nullptr;
}

const Column* Sheet::column(int col) const {
  settle(Rect::columns(col, col));
  return storedColumn(col);
}

Column& Sheet::columnAt(int col) {
  dropFindIndex();
  if (col > columnCount()) cols_.resize(static_cast<std::size_t>(col));
  return cols_[static_cast<std::size_t>(col - 1)];
}

const Slot* Sheet::slot(Cell c) const {
  settle(Rect::of(c));
  const Column* col = storedColumn(c.col);
  return col ? col->get(c.row) : nullptr;
}

Slot* Sheet::findSlot(Cell c) {
  settle(Rect::of(c));
  dropFindIndex();
  if (c.col < 1 || c.col > columnCount()) return nullptr;
  return cols_[static_cast<std::size_t>(c.col - 1)].find(c.row);
}

Slot& Sheet::slotAt(Cell c) {
  settle(Rect::of(c));
  return columnAt(c.col).at(c.row);
}

Rect Sheet::clipToStored(const Rect& r) const {
  settle(r);
  int maxRow = 0;
  int right = std::min(r.right, columnCount());
  for (int c = r.left; c <= right; ++c) maxRow = std::max(maxRow, cols_[c - 1].size());
  return {r.top, r.left, std::min(r.bottom, maxRow), right};
}

Value Sheet::slotValue(const Slot* s, Cell c) const {
  if (!s) return {};
  if (s->isFormula()) return wb_.formulaValue(*s, *this, c);
  return s->constant();
}

Value Sheet::value(Cell c) const { return slotValue(slot(c), c); }

host::Grid Sheet::values(const Rect& r) const {
  // A grid is every cell: one of billions (a merged area over the sheet) is
  // refused rather than attempted.
  if (static_cast<double>(r.rowCount()) * r.colCount() > 16e6)
    throw refusedAt(r, "区域过大（" + host::numberToText(static_cast<double>(r.rowCount()) * r.colCount()) +
                           " 个单元格）");
  settle(r);
  host::Grid g(r.rowCount(), r.colCount());
  for (int c = r.left; c <= r.right; ++c) {
    const Column* col = storedColumn(c);
    if (!col) continue;
    int bottom = std::min(r.bottom, col->size());
    for (int row = r.top; row <= bottom; ++row)
      g.at(row - r.top, c - r.left) = slotValue(col->get(row), {row, c});
  }
  return g;
}

void Sheet::enter(Cell c, const Value& v) {
  if (v.isEmpty()) {
    if (Slot* s = findSlot(c)) s->clearContent();
    return;
  }
  Slot& s = slotAt(c);
  if (v.isText() && wb_.styles().get(cellStyle(c)).numberFormat != host::kTextFormat) {
    if (v.text().empty()) {
      s.clearContent();
      return;
    }
    if (auto d = host::parseDecimal(v.text())) {
      s.setConstant(*d);
      return;
    }
  }
  s.setConstant(v);
}

void Sheet::setValue(const Rect& r, const Value& v) {
  if (v.isEmpty()) {
    clearContents(r);
    return;
  }
  if (const long long cells = static_cast<long long>(r.rowCount()) * r.colCount(); cells > kMostCellsAdded)
    throw refusedAt(r, "区域太大（" + host::numberToText(static_cast<double>(cells)) + " 个单元格，上限 " +
                           host::numberToText(static_cast<double>(kMostCellsAdded)) + " 个）");
  for (int c = r.left; c <= r.right; ++c)
    for (int row = r.top; row <= r.bottom; ++row) enter({row, c}, v);
  touch();
}

void Sheet::setValues(Cell at, const host::Grid& g) { enterGrid(at, g, false); }

void Sheet::setLiteralValues(Cell at, const host::Grid& g) { enterGrid(at, g, true); }

void Sheet::setLiteralRows(const Rect& area, const RowSource& rows) {
  if (area.bottom > host::kMaxRow || area.right > host::kMaxCol || area.top < 1 || area.left < 1)
    throw refusedAt(area, "区域超出工作表");
  if (area.rowCount() <= 0) return;
  // Rows over cells or rows already there are entered at once, as they
  // would be one piece at a time.
  bool clear =
      std::none_of(pending_.begin(), pending_.end(), [&](const PendingRows& p) { return p.area.intersects(area); });
  for (int c = area.left; clear && c <= std::min(area.right, columnCount()); ++c) {
    const auto& slots = cols_[static_cast<std::size_t>(c - 1)].slots();
    for (int row = area.top; row <= std::min(area.bottom, static_cast<int>(slots.size())); ++row)
      if (slots[static_cast<std::size_t>(row - 1)].inUse()) {
        clear = false;
        break;
      }
  }
  if (!clear) {
    host::Worksheet::setLiteralRows(area, rows);
    return;
  }
  columnAt(area.right);  // the sheet's columns reach the block's
  static std::uint64_t sources = 0;  // one thread edits cells
  pending_.push_back({area, rows, std::vector<StyleId>(static_cast<std::size_t>(area.colCount()), 0), ++sources});
  touch();
}

void Sheet::settle(const Rect& r) const {
  while (!pending_.empty()) {
    auto it =
        std::find_if(pending_.begin(), pending_.end(), [&](const PendingRows& p) { return p.area.intersects(r); });
    if (it == pending_.end()) return;
    // Out of the list before it is entered: entering reads cells, which
    // must not settle this block again.
    auto* self = const_cast<Sheet*>(this);
    PendingRows p = std::move(*it);
    self->pending_.erase(self->pending_.begin() + (it - pending_.begin()));
    self->enterPending(p);
  }
}

void Sheet::enterPending(const PendingRows& p) {
  constexpr int kRowsPerPiece = 1 << 14;
  const int rows = p.area.rowCount();
  for (int first = 0; first < rows; first += kRowsPerPiece)
    enterGrid({p.area.top + first, p.area.left}, p.rows(first, std::min(kRowsPerPiece, rows - first)), true, false);
  for (int c = p.area.left; c <= p.area.right; ++c)
    if (const StyleId style = p.styles[static_cast<std::size_t>(c - p.area.left)]) {
      Column& column = columnAt(c);
      for (int row = p.area.top; row <= p.area.bottom; ++row) column.at(row).setStyle(style);
    }
}

void Sheet::enterGrid(Cell at, const host::Grid& g, bool literal, bool touching) {
  if (at.row + g.rows - 1 > host::kMaxRow || at.col + g.cols - 1 > host::kMaxCol)
    throw refusedAt(Rect::of(at), "区域超出工作表");
  for (int c = 0; c < g.cols; ++c) {
    int last = g.rows - 1;
    while (last >= 0 && g.at(last, c).isEmpty()) --last;
    if (last >= 0) columnAt(at.col + c).reserveTo(at.row + last);
    // The room reserved above keeps the slot above where it is.
    const Slot* above = nullptr;
    for (int r = 0; r < g.rows; ++r) {
      const Cell cell{at.row + r, at.col + c};
      const Value& v = g.at(r, c);
      if (!literal || v.isEmpty()) {
        enter(cell, v);
        above = nullptr;
        continue;
      }
      Slot& entered = slotAt(cell);
      entered.enterLiteral(v, above);
      above = &entered;
    }
  }
  for (int c = 0; c < g.cols; ++c)
    if (at.col + c <= columnCount()) cols_[static_cast<std::size_t>(at.col + c - 1)].trim();
  if (touching) touch();
}

bool Sheet::hasFormula(Cell c) const {
  const Slot* s = slot(c);
  return s && s->isFormula();
}

namespace {
std::string nameOfSheet(const Sheet* s) { return s->name(); }
}  // namespace

std::string Sheet::formulaR1C1(Cell c) const {
  const Slot* s = slot(c);
  if (!s) return "";
  if (!s->isFormula()) return host::displayText(s->constant());
  const auto& f = s->formula();
  if (!f.root) return f.opaqueA1;
  return printFormula(*f.root, Notation::R1C1, c, this, nameOfSheet);
}

std::string Sheet::formulaA1(Cell c) const {
  const Slot* s = slot(c);
  if (!s || !s->isFormula()) return "";
  const auto& f = s->formula();
  if (!f.root) return f.opaqueA1;
  if (!f.loadedA1.empty() && f.loadedAtRenames == wb_.renames()) return f.loadedA1;
  return printFormula(*f.root, Notation::A1, c, this, nameOfSheet);
}

bool Sheet::formulaIsOpaque(Cell c) const {
  const Slot* s = slot(c);
  return s && s->isFormula() && !s->formula().root;
}

void Sheet::setFormulaR1C1(const Rect& r, const std::string& text) {
  if (text.empty() || text[0] != '=') {
    setValue(r, Value(text));
    return;
  }
  auto resolve = [this](std::string_view n) -> const Sheet* { return wb_.findModelSheet(n); };
  auto parsed = parseFormula(text, Notation::R1C1, r.topLeft(), resolve);
  if (!parsed.root) throw refusedAt(r, "公式有误 (" + parsed.error + "): " + text);
  for (int c = r.left; c <= r.right; ++c) {
    for (int row = r.top; row <= r.bottom; ++row) {
      auto f = std::make_unique<FormulaPayload>();
      f->root = clone(*parsed.root);
      shiftRelative(*f->root, row - r.top, c - r.left);
      slotAt({row, c}).setFormula(std::move(f));
    }
    noteFormulas(c);
  }
  touch();
}

void Sheet::setFormulaA1(Cell c, const std::string& text, const Value& cached) {
  auto resolve = [this](std::string_view n) -> const Sheet* { return wb_.findModelSheet(n); };
  auto parsed = parseFormula(text, Notation::A1, c, resolve);
  auto f = std::make_unique<FormulaPayload>();
  f->cached = cached;
  if (parsed.root) {
    f->root = std::move(parsed.root);
    f->loadedA1 = text;
    f->loadedAtRenames = wb_.renames();
  } else {
    f->opaqueA1 = text;
  }
  slotAt(c).setFormula(std::move(f));
  noteFormulas(c.col);
  touch();
}

void Sheet::setArrayFormulaA1(Cell c, const std::string& text, const Value& cached, const std::string& area) {
  auto f = std::make_unique<FormulaPayload>();
  f->cached = cached;
  f->opaqueA1 = text;
  f->arrayArea = area;
  slotAt(c).setFormula(std::move(f));
  noteFormulas(c.col);
  touch();
}

std::string Sheet::arrayFormulaArea(Cell c) const {
  const Slot* s = slot(c);
  return s && s->isFormula() ? s->formula().arrayArea : "";
}

void Sheet::setTextWithRuns(Cell c, const std::string& text, std::vector<host::TextRun> runs) {
  Slot& s = slotAt(c);
  s.setConstant(Value(text));
  if (!runs.empty()) s.ownText().ownRuns() = std::move(runs);
  touch();
}

void Sheet::shareConstant(Cell c, const Slot& constant) {
  slotAt(c).setContentOf(constant);
  touch();
}

void Sheet::reserveRows(int col, int rows) { columnAt(col).reserveTo(rows); }

void Sheet::noteFormulas(int col) {
  mayHoldFormulas_ = true;
  columnAt(col).setMayHoldFormulas(true);
}

void Sheet::updateReferences(const ReferenceUpdate& u) {
  if (!mayHoldFormulas_) return;
  bool any = false;
  for (auto& col : cols_) {
    if (!col.mayHoldFormulas()) continue;
    bool here = false;
    for (auto& s : col.slots())
      if (s.isFormula()) {
        here = true;
        if (s.formula().root) forEachReference(*s.formula().root, [&](Reference& ref) { u.update(ref, this); });
        s.formula().loadedA1.clear();
      }
    col.setMayHoldFormulas(here);
    any = any || here;
  }
  mayHoldFormulas_ = any;
}

host::Chart& Sheet::addChart(host::ChartType type, double left, double top, double width, double height) {
  auto c = std::make_unique<ModelChart>("", this);
  c->setChartType(type);
  c->setPlacement(left, top, width, height);
  return embed(std::move(c));
}

ModelChart& Sheet::embed(std::unique_ptr<ModelChart> chart) {
  chart->embedIn(*this, "图表 " + std::to_string(charts_.size() + 1));
  charts_.push_back(std::move(chart));
  return *charts_.back();
}

host::Chart& Sheet::chartOfShape(const std::string& shapeName) {
  for (auto& c : charts_)
    if (c->data.name == shapeName) return *c;
  throw HostError::subscriptOutOfRange();
}

host::Chart& Sheet::chart(int index) {
  if (index < 1 || index > chartCount()) throw HostError::subscriptOutOfRange();
  return *charts_[static_cast<std::size_t>(index - 1)];
}

}  // namespace tavo::model
