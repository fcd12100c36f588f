#include "host/model/workbook.h"

#include <algorithm>
#include <cctype>

#include "host/model/application.h"

namespace tavo::model {

using host::Cell;
using host::HostError;
using host::Rect;
using host::Value;

Workbook::Workbook(Application& app, std::string name, std::string path)
    : app_(app), name_(std::move(name)), path_(std::move(path)),
      window_(*this) {
  sheets_.push_back(std::make_unique<Sheet>(*this, "Sheet1"));
}

Workbook::~Workbook() = default;

Sheet& Workbook::modelSheet(int index) {
  if (index < 1 || index > sheetCount()) throw HostError::subscriptOutOfRange();
  return *sheets_[static_cast<std::size_t>(index - 1)];
}

host::Worksheet& Workbook::sheet(int index) { return modelSheet(index); }

// Sheet names differ only by more than letter case, as the host compares them.
Sheet* Workbook::findModelSheet(std::string_view name) const {
  for (const auto& s : sheets_)
    if (host::sameSheetName(s->name(), name)) return s.get();
  return nullptr;
}

host::Worksheet* Workbook::findSheet(const std::string& name) { return findModelSheet(name); }

host::Worksheet& Workbook::sheet(const std::string& name) {
  if (auto* s = findModelSheet(name)) return *s;
  throw HostError::subscriptOutOfRange();
}

int Workbook::indexOf(const Sheet& s) const {
  for (std::size_t i = 0; i < sheets_.size(); ++i)
    if (sheets_[i].get() == &s) return static_cast<int>(i) + 1;
  return 0;
}

std::string Workbook::uniqueSheetName() const {
  for (int n = sheetCount() + 1;; ++n) {
    std::string name = "Sheet" + std::to_string(n);
    if (!findModelSheet(name)) return name;
  }
}

host::Worksheet& Workbook::addSheet(host::Worksheet* before) {
  std::size_t at = sheets_.size();
  if (before) {
    auto* b = dynamic_cast<Sheet*>(before);
    int i = b ? indexOf(*b) : 0;
    if (!i) throw HostError::refused("工作表不在此工作簿中");
    at = static_cast<std::size_t>(i - 1);
  }
  auto sheet = std::make_unique<Sheet>(*this, uniqueSheetName());
  Sheet& s = *sheet;
  sheets_.insert(sheets_.begin() + static_cast<std::ptrdiff_t>(at), std::move(sheet));
  active_ = static_cast<int>(at);
  touch();
  return s;
}

Sheet& Workbook::appendSheet(const std::string& name) {
  auto sheet = std::make_unique<Sheet>(*this, uniqueSheetName());
  Sheet& s = *sheet;
  sheets_.push_back(std::move(sheet));
  try {
    s.setName(name);
  } catch (...) {
    sheets_.pop_back();  // a name the host refuses adds no sheet
    throw;
  }
  return s;
}

void Workbook::moveSheet(Sheet& s, int newIndex) {
  int i = indexOf(s);
  if (!i || newIndex < 1 || newIndex > sheetCount()) throw HostError::subscriptOutOfRange();
  Sheet* active = sheets_[static_cast<std::size_t>(active_)].get();
  auto owned = std::move(sheets_[static_cast<std::size_t>(i - 1)]);
  sheets_.erase(sheets_.begin() + (i - 1));
  sheets_.insert(sheets_.begin() + (newIndex - 1), std::move(owned));
  active_ = indexOf(*active) - 1;
}

void Workbook::deleteSheet(host::Worksheet& ws) {
  auto* s = dynamic_cast<Sheet*>(&ws);
  int i = s ? indexOf(*s) : 0;
  if (!i) throw HostError::refused("工作表不在此工作簿中");
  int visible = 0;
  for (const auto& x : sheets_) visible += x->visible() ? 1 : 0;
  if (sheetCount() == 1 || (s->visible() && visible == 1))
    throw HostError::refused("工作簿中至少要有一张可见的工作表");
  updateReferences(SheetDeletedUpdate(s));
  Sheet* active = sheets_[static_cast<std::size_t>(active_)].get();
  sheets_.erase(sheets_.begin() + (i - 1));
  if (active == s) {
    int next = std::min(i - 1, sheetCount() - 1);
    while (next > 0 && !sheets_[static_cast<std::size_t>(next)]->visible()) --next;
    active_ = next;
  } else {
    active_ = indexOf(*active) - 1;
  }
  rankCache_.clear();
  touch();
}

host::Worksheet& Workbook::activeSheet() { return activeModelSheet(); }

void Workbook::setActiveSheet(Sheet& s) {
  int i = indexOf(s);
  if (!i) throw HostError::refused("工作表不在此工作簿中");
  active_ = i - 1;
}

void Workbook::activate() { app_.setActiveWorkbook(*this); }

void Workbook::close() { app_.closeWorkbook(*this); }

StyleId Workbook::adoptStyle(const Workbook& from, StyleId id) {
  host::Format f = from.styles().get(id);
  auto adopt = [&](int& index) {
    if (index > 56 && from.colors_.has(index)) index = colors_.indexOf(from.colors_.at(index));
  };
  adopt(f.font.colorIndex);
  adopt(f.fill.colorIndex);
  adopt(f.fill.patternColorIndex);
  for (auto& edge : f.edges) adopt(edge.colorIndex);
  return styles_.intern(f);
}

host::Rgb Workbook::color(int index) const {
  if (!colors_.has(index)) throw HostError::subscriptOutOfRange();
  return colors_.at(index);
}

void Workbook::setColor(int index, host::Rgb c) {
  if (index < 1 || index > 56) throw HostError::subscriptOutOfRange();
  colors_.palette[static_cast<std::size_t>(index - 1)] = c & 0xFFFFFF;
}

void Workbook::updateReferences(const ReferenceUpdate& u) {
  for (auto& s : sheets_) s->updateReferences(u);
  touch();
}

// ---- evaluation ----

namespace {
constexpr int kMaxEvalDepth = 4000;
}

Value Workbook::formulaValue(const Slot& slot, const Sheet& sheet, Cell at) const {
  auto& f = const_cast<FormulaPayload&>(slot.formula());
  if (!f.root || f.generation == generation_) return f.cached;
  if (f.evaluating) return 0.0;  // a circular reference reads as 0, as the host shows it
  auto* self = const_cast<Workbook*>(this);
  if (self->evalDepth_ >= kMaxEvalDepth) return host::ErrorKind::Num;
  f.evaluating = true;
  ++self->evalDepth_;
  Value v;
  try {
    v = evaluate(*f.root, &sheet, at, *self);
  } catch (...) {
    f.evaluating = false;
    --self->evalDepth_;
    throw;
  }
  --self->evalDepth_;
  f.evaluating = false;
  f.cached = v;
  f.generation = generation_;
  return v;
}

Value Workbook::cell(const Sheet* s, Cell c) { return s->value(c); }

void Workbook::forEachValue(const Sheet* s, const Rect& r,
                            const std::function<void(const Value&)>& f) {
  int right = std::min(r.right, s->columnCount());
  for (int c = r.left; c <= right; ++c) {
    const Column* col = s->column(c);
    int bottom = std::min(r.bottom, col->size());
    for (int row = r.top; row <= bottom; ++row) {
      const Slot* slot = col->get(row);
      if (!slot->hasContent()) continue;
      if (slot->kind() == Slot::Kind::Number) f(Value(slot->number()));
      else f(s->value({row, c}));
    }
  }
}

const std::vector<double>& Workbook::sortedNumbers(const Sheet* s, const Rect& r) {
  auto& entry = rankCache_[{s, r.top, r.left, r.bottom, r.right}];
  if (entry.generation != generation_) {
    entry.sorted.clear();
    forEachValue(s, r, [&](const Value& v) {
      if (v.isNumber()) entry.sorted.push_back(v.number());
    });
    std::sort(entry.sorted.begin(), entry.sorted.end());
    entry.generation = generation_;
  }
  return entry.sorted;
}

// ---- window ----

void Workbook::ModelWindow::setSplitRow(int r) {
  if (r < 0 || r >= host::kMaxRow) throw HostError::refused("拆分位置无效");
  view().splitRow = r;
}
void Workbook::ModelWindow::setSplitColumn(int c) {
  if (c < 0 || c >= host::kMaxCol) throw HostError::refused("拆分位置无效");
  view().splitColumn = c;
}
void Workbook::ModelWindow::setFreezePanes(bool b) { view().freezePanes = b; }
void Workbook::ModelWindow::setScrollRow(int r) {
  if (r < 1 || r > host::kMaxRow) throw HostError::refused("滚动位置无效");
  view().scrollRow = r;
}
void Workbook::ModelWindow::setScrollColumn(int c) {
  if (c < 1 || c > host::kMaxCol) throw HostError::refused("滚动位置无效");
  view().scrollColumn = c;
}
void Workbook::ModelWindow::setTabRatio(double t) {
  if (!(t >= 0 && t <= 1)) throw HostError::refused("TabRatio 须在 0 到 1 之间");
  wb_.tabRatio_ = t;
}

host::Chart& Workbook::addChartSheet() {
  chartSheets_.push_back(std::make_unique<ModelChart>("Chart" + std::to_string(chartSheets_.size() + 1)));
  return *chartSheets_.back();
}

host::Chart& Workbook::locateChart(host::Chart& chart, host::Worksheet& on) {
  auto it = std::find_if(chartSheets_.begin(), chartSheets_.end(), [&](const auto& c) { return c.get() == &chart; });
  auto* sheet = dynamic_cast<Sheet*>(&on);
  if (it == chartSheets_.end() || !sheet || &sheet->model() != this) throw HostError::refused("图表无法移到该工作表");
  std::unique_ptr<ModelChart> moving = std::move(*it);
  chartSheets_.erase(it);
  return sheet->embed(std::move(moving));
}

}  // namespace tavo::model
