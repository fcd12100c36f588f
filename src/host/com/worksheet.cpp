#include "host/com/worksheet.h"

#include <algorithm>

#include "host/address.h"
#include "host/com/application.h"
#include "host/enum_codes.h"

namespace tavo::com {

namespace {

// The object model's own constants for searches, sorts and pastes.
constexpr int kLookInValues = -4163;
constexpr int kWhole = 1, kPart = 2;
constexpr int kByRows = 1;
constexpr int kNext = 1, kPrevious = 2;
constexpr int kAscending = 1, kDescending = 2;
constexpr int kHeaderYes = 1, kHeaderNo = 2;

int ShiftConstant(host::Shift s) {
  switch (s) {
    case host::Shift::Down: return host::code::kShiftDown;
    case host::Shift::Right: return host::code::kShiftToRight;
    case host::Shift::Up: return host::code::kShiftUp;
    case host::Shift::Left: return host::code::kShiftToLeft;
  }
  return host::code::kShiftDown;
}

int OrderConstant(host::SortOrder o) { return o == host::SortOrder::Ascending ? kAscending : kDescending; }

// Number formats go by their language-independent codes: the local code of
// "General" is "G/通用格式" only where the interface is Chinese.
constexpr const char* kGeneralCode = "General";
std::string FormatCode(const std::string& model) { return model == host::kGeneralFormat ? kGeneralCode : model; }
std::string ModelFormat(const std::string& code) { return code == kGeneralCode ? host::kGeneralFormat : code; }

}  // namespace

host::Workbook& Worksheet::workbook() { return app_.workbookOf(sheet_.object("Parent", "Workbook")); }

// Whole rows ("3:5") and whole columns ("B:D") are addressed alike in every
// sheet; only other rectangles can run past a smaller sheet's edge.
host::Rect Worksheet::withinSheet(const host::Rect& r) const {
  constexpr int kSmallRows = 65536, kSmallColumns = 256;
  if (r.wholeRows() != r.wholeColumns() || (r.bottom <= kSmallRows && r.right <= kSmallColumns)) return r;
  if (size_.row == 0)
    size_ = {ToInt(*sheet_.object("Rows", "Range").get("Count")), ToInt(*sheet_.object("Columns", "Range").get("Count"))};
  return {r.top, r.left, std::min(r.bottom, size_.row), std::min(r.right, size_.col)};
}

Dispatch Worksheet::range(const host::Rect& r) const {
  return sheet_.object("Range", "Range", {Variant(host::a1(withinSheet(r)))});
}

host::Rect Worksheet::rectOf(const Dispatch& r) const { return host::parseRect(ToText(*r.get("Address"))); }

int Worksheet::tabColorIndex() const { return ToInt(*sheet_.object("Tab", "Tab").get("ColorIndex")); }
void Worksheet::setTabColorIndex(int i) { sheet_.object("Tab", "Tab").put("ColorIndex", i); }

host::Value Worksheet::value(host::Cell c) const { return ToValue(*range(host::Rect::of(c)).get("Value")); }

void Worksheet::setValues(host::Cell topLeft, const host::Grid& grid) { putGrid(topLeft, grid, Entry::Typed); }

void Worksheet::setLiteralValues(host::Cell topLeft, const host::Grid& grid) {
  putGrid(topLeft, grid, Entry::Literal);
}

void Worksheet::putGrid(host::Cell topLeft, const host::Grid& grid, Entry entry) {
  if (grid.rows == 0 || grid.cols == 0) return;
  host::Rect target{topLeft.row, topLeft.col, topLeft.row + grid.rows - 1, topLeft.col + grid.cols - 1};
  range(target).put("Value", EntryGrid(grid, entry));
}

host::Rect Worksheet::currentRegion(host::Cell c) const {
  return rectOf(range(host::Rect::of(c)).object("CurrentRegion", "Range"));
}

host::Rect Worksheet::usedRange() const { return rectOf(sheet_.object("UsedRange", "Range")); }

std::optional<host::Cell> Worksheet::search(const host::Rect& within, const std::string& what, host::Cell from,
                                            bool wholeCell, bool backwards) const {
  host::Cell start{std::clamp(from.row, within.top, within.bottom), std::clamp(from.col, within.left, within.right)};
  Variant found = range(within).call(
      "Find", {},
      {{"What", Variant(what)},
       {"After", Variant(range(host::Rect::of(start)).raw())},
       {"LookIn", Variant(kLookInValues)},
       {"LookAt", Variant(wholeCell ? kWhole : kPart)},
       {"SearchOrder", Variant(kByRows)},
       {"SearchDirection", Variant(backwards ? kPrevious : kNext)},
       {"MatchCase", Variant(false)}});
  Dispatch cell(found, "Range");
  if (!cell) return std::nullopt;
  return host::Cell{ToInt(*cell.get("Row")), ToInt(*cell.get("Column"))};
}

std::optional<host::Cell> Worksheet::find(const host::Rect& within, const std::string& what, host::Cell after,
                                          bool wholeCell) const {
  return search(within, what, after, wholeCell, false);
}

std::optional<host::Cell> Worksheet::findPrevious(const host::Rect& within, const std::string& what,
                                                  host::Cell before, bool wholeCell) const {
  return search(within, what, before, wholeCell, true);
}

void Worksheet::sort(const host::Rect& r, host::SortKey key1, std::optional<host::SortKey> key2, bool header) {
  Dispatch first = range(host::Rect::of(host::Cell{r.top, key1.column}));
  Dispatch second = key2 ? range(host::Rect::of(host::Cell{r.top, key2->column})) : Dispatch();
  range(r).call("Sort", {},
                {{"Key1", Variant(first.raw())},
                 {"Order1", Variant(OrderConstant(key1.order))},
                 {"Key2", key2 ? Variant(second.raw()) : Variant::Missing()},
                 {"Order2", key2 ? Variant(OrderConstant(key2->order)) : Variant::Missing()},
                 {"Header", Variant(header ? kHeaderYes : kHeaderNo)}});
}

void Worksheet::replace(const host::Rect& r, const std::string& what, const std::string& replacement,
                        bool wholeCell) {
  range(r).call("Replace", {},
                {{"What", Variant(what)},
                 {"Replacement", Variant(replacement)},
                 {"LookAt", Variant(wholeCell ? kWhole : kPart)},
                 {"SearchOrder", Variant(kByRows)},
                 {"MatchCase", Variant(false)}});
}

// Values and formats travel as properties, not through the clipboard: it
// belongs to the teacher, and another program may be holding it.
void Worksheet::copy(const host::Rect& source, host::Worksheet& target, const host::Rect& destination,
                     host::Paste paste) {
  auto& to = static_cast<Worksheet&>(target);
  if (paste == host::Paste::All) {
    range(source).call("Copy", {}, {{"Destination", Variant(to.range(destination).raw())}});
    return;
  }
  const host::Cell at = destination.topLeft();
  if (paste == host::Paste::Values) {
    to.setLiteralValues(at, values(source));
    return;
  }
  // One cell's format covers the whole destination, as a paste spreads it;
  // a larger source lands cell for cell.
  if (source.rowCount() == 1 && source.colCount() == 1) {
    to.applyFormat(destination, host::FormatPatch::whole(format(source.topLeft())));
    return;
  }
  for (int r = 0; r < source.rowCount(); ++r)
    for (int c = 0; c < source.colCount(); ++c)
      to.applyFormat(host::Rect::of(host::Cell{at.row + r, at.col + c}),
                     host::FormatPatch::whole(format(host::Cell{source.top + r, source.left + c})));
}

void Worksheet::cut(const host::Rect& source, host::Worksheet& target, host::Cell at) {
  Dispatch to = static_cast<Worksheet&>(target).range(host::Rect::of(at));
  range(source).call("Cut", {}, {{"Destination", Variant(to.raw())}});
}

// The spreadsheet inserts cut cells only from the clipboard; no command
// does this, and the model's tests hold its meaning.
void Worksheet::insertCut(const host::Rect& source, host::Cell at, host::Shift shift) {
  range(source).call("Cut");
  range(host::Rect::of(at)).call("Insert", {}, {{"Shift", Variant(ShiftConstant(shift))}});
}

void Worksheet::insert(const host::Rect& r, host::Shift shift) {
  range(r).call("Insert", {}, {{"Shift", Variant(ShiftConstant(shift))}});
}

void Worksheet::remove(const host::Rect& r, host::Shift shift) {
  range(r).call("Delete", {}, {{"Shift", Variant(ShiftConstant(shift))}});
}

host::Rect Worksheet::mergeArea(host::Cell c) const {
  return rectOf(range(host::Rect::of(c)).object("MergeArea", "Range"));
}

host::Format Worksheet::format(host::Cell c) const {
  Dispatch cell = range(host::Rect::of(c));
  Dispatch font = cell.object("Font", "Font");
  host::Format f;
  f.font.name = ToText(*font.get("Name"));
  f.font.size = ToNumber(*font.get("Size"));
  f.font.bold = ToBool(*font.get("Bold"));
  // Lines and alignments this side has no name for (dash-dot, accounting
  // underlines) read as their nearest kind.
  f.font.underline = host::code::UnderlineOf(ToInt(*font.get("Underline"))).value_or(host::Underline::Single);
  f.font.colorIndex = ToInt(*font.get("ColorIndex"));
  f.font.italic = ToBool(*font.get("Italic"));
  f.font.strikethrough = ToBool(*font.get("Strikethrough"));
  f.fill = host::code::FillOfColorIndex(ToInt(*cell.object("Interior", "Interior").get("ColorIndex")));
  f.border = host::code::BorderLineOf(ToInt(*cell.object("Borders", "Borders").get("LineStyle")))
                 .value_or(host::BorderLine::Continuous);
  f.horizontalAlignment = host::code::HorizontalAlignmentOf(ToInt(*cell.get("HorizontalAlignment")))
                              .value_or(host::HorizontalAlignment::General);
  f.verticalAlignment =
      host::code::VerticalAlignmentOf(ToInt(*cell.get("VerticalAlignment"))).value_or(host::VerticalAlignment::Bottom);
  f.numberFormat = ModelFormat(ToText(*cell.get("NumberFormat")));
  f.wrapText = ToBool(*cell.get("WrapText"));
  return f;
}

// The source's format is read once; the areas go in as few ranges as
// addresses of at most 255 characters allow.
void Worksheet::copyFormatToAreas(host::Cell source, host::Worksheet& target, const std::vector<host::Rect>& areas) {
  if (areas.empty()) return;
  auto& to = static_cast<Worksheet&>(target);
  const host::FormatPatch patch = host::FormatPatch::whole(format(source));
  constexpr std::size_t kLongestAddress = 255;
  std::string address;
  auto flush = [&] {
    if (address.empty()) return;
    applyFormatTo(to.sheet_.object("Range", "Range", {Variant(address)}), patch);
    address.clear();
  };
  for (const host::Rect& area : areas) {
    const std::string one = host::a1(to.withinSheet(area));
    if (!address.empty() && address.size() + 1 + one.size() > kLongestAddress) flush();
    address += (address.empty() ? "" : ",") + one;
  }
  flush();
}

void Worksheet::applyFormat(const host::Rect& r, const host::FormatPatch& p) { applyFormatTo(range(r), p); }

void Worksheet::applyFormatTo(Dispatch cells, const host::FormatPatch& p) {
  if (p.fontName || p.fontSize || p.bold || p.underline || p.fontColorIndex) {
    Dispatch font = cells.object("Font", "Font");
    if (p.fontName) font.put("Name", *p.fontName);
    if (p.fontSize) font.put("Size", *p.fontSize);
    if (p.bold) font.put("Bold", *p.bold);
    if (p.underline) font.put("Underline", host::code::Of(*p.underline));
    if (p.fontColorIndex) font.put("ColorIndex", *p.fontColorIndex);
  }
  if (p.fill) cells.object("Interior", "Interior").put("ColorIndex", host::code::ColorIndexOf(*p.fill));
  if (p.border) cells.object("Borders", "Borders").put("LineStyle", host::code::Of(*p.border));
  if (p.horizontalAlignment) cells.put("HorizontalAlignment", host::code::Of(*p.horizontalAlignment));
  if (p.verticalAlignment) cells.put("VerticalAlignment", host::code::Of(*p.verticalAlignment));
  if (p.numberFormat) cells.put("NumberFormat", FormatCode(*p.numberFormat));
}

// Runs are read character by character, as the object model offers them.
std::vector<host::TextRun> Worksheet::textRuns(host::Cell c) const {
  Dispatch cell = range(host::Rect::of(c));
  host::Value v = ToValue(*cell.get("Value"));
  std::vector<host::TextRun> runs;
  if (!v.isText()) return runs;
  Dispatch font = cell.object("Font", "Font");
  const double cellSize = ToNumber(*font.get("Size"));
  const std::string cellName = ToText(*font.get("Name"));
  const int n = host::characterCount(v.text());
  for (int i = 1; i <= n; ++i) {
    Dispatch charFont = cell.object("Characters", "Characters", {Variant(i), Variant(1)}).object("Font", "Font");
    host::TextRun run{.start = i, .length = 1};
    if (double size = ToNumber(*charFont.get("Size")); size != cellSize) run.fontSize = size;
    if (std::string name = ToText(*charFont.get("Name")); name != cellName) run.fontName = name;
    if (!run.fontSize && !run.fontName) continue;
    if (!runs.empty() && runs.back().start + runs.back().length == i && runs.back().fontSize == run.fontSize &&
        runs.back().fontName == run.fontName)
      ++runs.back().length;
    else
      runs.push_back(run);
  }
  return runs;
}

void Worksheet::setTextRun(host::Cell c, const host::TextRun& run) {
  Dispatch font = range(host::Rect::of(c))
                      .object("Characters", "Characters", {Variant(run.start), Variant(run.length)})
                      .object("Font", "Font");
  if (run.fontSize) font.put("Size", *run.fontSize);
  if (run.fontName) font.put("Name", *run.fontName);
}

std::optional<host::Validation> Worksheet::validation(host::Cell c) const {
  Dispatch v = validationOf(host::Rect::of(c));
  host::Validation out;
  try {
    out.type = ToInt(*v.get("Type"));  // refused where the cell has none
  } catch (const host::HostError&) {
    return std::nullopt;
  }
  out.alertStyle = ToInt(*v.get("AlertStyle"));
  out.op = ToInt(*v.get("Operator"));
  out.formula1 = ToText(*v.get("Formula1"));
  out.ignoreBlank = ToBool(*v.get("IgnoreBlank"));
  out.inputMessage = ToText(*v.get("InputMessage"));
  return out;
}

void Worksheet::addValidation(const host::Rect& r, const host::Validation& v) {
  Dispatch validation = validationOf(r);
  validation.call("Add", {},
                  {{"Type", Variant(v.type)},
                   {"AlertStyle", Variant(v.alertStyle)},
                   {"Operator", Variant(v.op)},
                   {"Formula1", v.formula1.empty() ? Variant::Missing() : Variant(v.formula1)}});
  if (!v.ignoreBlank) validation.put("IgnoreBlank", false);
  if (!v.inputMessage.empty()) validation.put("InputMessage", v.inputMessage);
}

void Worksheet::setValidationInputMessage(const host::Rect& r, const std::string& text) {
  validationOf(r).put("InputMessage", text);
}

void Worksheet::setValidationIgnoreBlank(const host::Rect& r, bool b) { validationOf(r).put("IgnoreBlank", b); }

double Worksheet::rowHeight(int row) const {
  return ToNumber(*range(host::Rect::rows(row, row)).get("RowHeight"));
}

void Worksheet::setRowHeight(int first, int last, double points) {
  range(host::Rect::rows(first, last)).put("RowHeight", points);
}

double Worksheet::columnWidth(int col) const {
  return ToNumber(*range(host::Rect::columns(col, col)).get("ColumnWidth"));
}

void Worksheet::setColumnWidth(int first, int last, double chars) {
  range(host::Rect::columns(first, last)).put("ColumnWidth", chars);
}

void Worksheet::autoFitColumns(int first, int last) {
  range(host::Rect::columns(first, last)).call("AutoFit");
}

void Worksheet::addPageBreakAbove(int row) {
  Dispatch before = range(host::Rect::of(host::Cell{row, 1}));
  sheet_.object("HPageBreaks", "HPageBreaks").call("Add", {}, {{"Before", Variant(before.raw())}});
}

std::vector<int> Worksheet::pageBreaks() const {
  Dispatch breaks = sheet_.object("HPageBreaks", "HPageBreaks");
  std::vector<int> rows;
  const int count = ToInt(*breaks.get("Count"));
  for (int i = 1; i <= count; ++i)
    rows.push_back(ToInt(*breaks.object("Item", "HPageBreak", {Variant(i)}).object("Location", "Range").get("Row")));
  return rows;
}

host::Chart& Worksheet::addChart(host::ChartType type, double left, double top, double width, double height) {
  Variant shape = sheet_.object("Shapes", "Shapes")
                      .call("AddChart", {},
                            {{"Type", Variant(host::code::Of(type))},
                             {"Left", Variant(left)},
                             {"Top", Variant(top)},
                             {"Width", Variant(width)},
                             {"Height", Variant(height)}});
  return app_.chartOf(Dispatch(shape, "Shape").object("Chart", "Chart"));
}

int Worksheet::chartCount() const { return ToInt(*sheet_.object("ChartObjects", "ChartObjects").get("Count")); }

host::Chart& Worksheet::chart(int index) {
  return app_.chartOf(
      sheet_.object("ChartObjects", "ChartObject", {Variant(index)}).object("Chart", "Chart"));
}

host::Chart& Worksheet::chartOfShape(const std::string& shapeName) {
  return app_.chartOf(sheet_.object("Shapes", "Shapes").object("Item", "Shape", {Variant(shapeName)}).object("Chart", "Chart"));
}

}  // namespace tavo::com
