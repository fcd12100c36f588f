// The worksheet part: cells, columns, rows, merges, validation, page set-up.
#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <span>

#include "host/address.h"
#include "host/model/workbook.h"
#include "host/xlsx/carried.h"
#include "host/xlsx/color_index.h"
#include "host/xlsx/sheet_geometry.h"
#include "host/xlsx/writer_parts.h"
#include "host/xlsx/xml_text.h"

namespace tavo::xlsx {

using host::Cell;
using host::Rect;
using host::Value;

namespace {

std::string Attr(const char* name, const std::string& value) {
  return std::string(" ") + name + "=\"" + Escaped(value) + "\"";
}
std::string Attr(const char* name, double value) { return Attr(name, NumberText(value)); }

// The file counts a column's padding in its width; the host's width does not.

const char* ErrorText(host::ErrorKind e) { return host::errorText(e).data(); }

// A number that is none (NaN, infinity) has no place in a file: it is the
// error the spreadsheet shows for it.
Value Writable(const Value& v) {
  return v.isNumber() && !std::isfinite(v.number()) ? Value(host::ErrorKind::Num) : v;
}

char* Put(char* to, std::string_view text) {
  std::memcpy(to, text.data(), text.size());
  return to + text.size();
}

void AppendValueCell(PartStream& x, const Value& value) {
  const Value v = Writable(value);
  switch (v.kind()) {
    case Value::Kind::Number:
      x += "><v>";
      x += NumberText(v.number());
      x += "</v></c>";
      break;
    case Value::Kind::Text:  // text cells are shared strings; only a formula's value is text here
      break;
    case Value::Kind::Boolean:
      x += std::string(" t=\"b\"><v>") + (v.boolean() ? "1" : "0") + "</v></c>";
      break;
    case Value::Kind::Error:
      x += std::string(" t=\"e\"><v>") + ErrorText(v.error()) + "</v></c>";
      break;
    case Value::Kind::Empty:
      x += "/>";
      break;
  }
}

void AppendFormulaCell(PartStream& x, const std::string& a1, const Value& value, const std::string& arrayArea) {
  const Value v = Writable(value);
  std::string f = (arrayArea.empty() ? "<f>" : "<f t=\"array\" ref=\"" + Escaped(arrayArea) + "\">") +
                  Escaped(a1.size() > 1 && a1[0] == '=' ? a1.substr(1) : a1) + "</f>";
  switch (v.kind()) {
    case Value::Kind::Number: x += ">" + f + "<v>" + NumberText(v.number()) + "</v></c>"; break;
    case Value::Kind::Text: x += " t=\"str\">" + f + "<v>" + Escaped(v.text()) + "</v></c>"; break;
    case Value::Kind::Boolean: x += std::string(" t=\"b\">") + f + "<v>" + (v.boolean() ? "1" : "0") + "</v></c>"; break;
    case Value::Kind::Error: x += std::string(" t=\"e\">") + f + "<v>" + ErrorText(v.error()) + "</v></c>"; break;
    case Value::Kind::Empty: x += ">" + f + "</c>"; break;
  }
}

// A row the teacher never sized grows with its wrapped lines, as the
// desktop spreadsheet fits it; programs that do not refit rows on opening
// take the height from the file.
double FittedRowHeight(const model::Sheet& sheet, const model::CellBand& band, const model::StyleTable& table, int row,
                       std::span<const int> cols) {
  constexpr double kLinePerPoint = 14.25 / 11;  // an 11-point line is 14.25 points high
  double fit = 0;
  for (int c : cols) {
    const model::Slot& slot = *band.get(row, c);
    if (slot.kind() != model::Slot::Kind::Text && !slot.isFormula()) continue;
    const Value v = slot.isFormula() ? sheet.value({row, c}) : Value();
    const std::string_view text = !slot.isFormula() ? std::string_view(slot.text().text)
                                  : v.isText()      ? std::string_view(v.text())
                                                    : std::string_view();
    const auto lines = std::count(text.begin(), text.end(), '\n') + 1;
    if (lines < 2) continue;
    if (sheet.mergeArea({row, c}).rowCount() > 1) continue;
    const double size = table.get(band.style({row, c})).font.size;
    fit = std::max(fit, std::round(static_cast<double>(lines) * size * kLinePerPoint * 4) / 4);
  }
  return fit;
}

// The file's format number of each style, plain and wrapped, worked out once
// per style rather than once per cell or column.
class FormatNumbers {
 public:
  FormatNumbers(StyleSheetWriter& styles, const model::StyleTable& table) : styles_(styles), table_(table) {}
  int operator()(model::StyleId id, bool wrap = false) {
    const std::size_t key = static_cast<std::size_t>(id) * 2 + (wrap ? 1 : 0);
    if (key >= numbers_.size()) numbers_.resize(key + 1, -1);
    if (numbers_[key] < 0) numbers_[key] = styles_.cellFormat(table_.get(id), wrap);
    return numbers_[key];
  }

 private:
  StyleSheetWriter& styles_;
  const model::StyleTable& table_;
  std::vector<int> numbers_;
};

// A map's entry for each of a rising sequence of keys, in one walk.
template <class Map>
class RisingLookup {
 public:
  explicit RisingLookup(const Map& map) : it_(map.begin()), end_(map.end()) {}
  const typename Map::mapped_type* at(int key) {
    while (it_ != end_ && it_->first < key) ++it_;
    return it_ != end_ && it_->first == key ? &it_->second : nullptr;
  }

 private:
  typename Map::const_iterator it_, end_;
};

// Columns that differ from the sheet's default, as runs of equal columns.
std::string ColsXml(const model::Sheet& sheet, FormatNumbers& xf) {
  struct Col {
    double width;  // 0: hidden
    double shownWidth;  // what a hidden column shows again with
    int style;
    bool custom;
    int outline;
    bool operator==(const Col&) const = default;
  };
  const int sheetXf = xf(sheet.sheetStyle());
  RisingLookup widths(sheet.columnWidths());
  RisingLookup styles(sheet.columnStyles());
  RisingLookup outlines(sheet.columnOutlineLevels());
  auto describe = [&](int c) {  // columns in rising order
    const double* w = widths.at(c);
    const model::StyleId* s = styles.at(c);
    const int* o = outlines.at(c);
    const double width = w ? *w : sheet.defaultColumnWidth();
    return Col{width, width == 0 ? sheet.widthWhenShown(c) : 0, s ? xf(*s) : sheetXf, w != nullptr, o ? *o : 0};
  };
  std::vector<int> marks;  // columns where something may change
  for (const auto& [c, _] : sheet.columnWidths()) marks.push_back(c);
  for (const auto& [c, _] : sheet.columnStyles()) marks.push_back(c);
  for (const auto& [c, _] : sheet.columnOutlineLevels()) marks.push_back(c);
  std::string x;
  auto emit = [&](int from, int to, const Col& c) {
    if (!c.custom && c.style == 0 && c.outline == 0) return;
    x += "<col min=\"" + std::to_string(from) + "\" max=\"" + std::to_string(to) + "\"" +
         Attr("width", WidthToFile(c.width > 0 ? c.width : c.shownWidth));
    if (c.style) x += " style=\"" + std::to_string(c.style) + "\"";
    if (c.width == 0) x += " hidden=\"1\"";
    if (c.outline) x += " outlineLevel=\"" + std::to_string(c.outline) + "\"";
    if (c.custom) x += " customWidth=\"1\"";
    x += "/>";
  };
  // Walk all columns in runs of equal ones; a run can only change where a
  // column has a width or format of its own, or right after it. Runs that
  // are the sheet's default are left out.
  std::sort(marks.begin(), marks.end());
  marks.erase(std::unique(marks.begin(), marks.end()), marks.end());
  int from = 1;
  Col current = describe(1);
  for (int c : marks)
    for (int k : {c, c + 1}) {
      if (k <= from || k > host::kMaxCol) continue;
      Col next = describe(k);
      if (!(next == current)) {
        emit(from, k - 1, current);
        from = k;
        current = next;
      }
    }
  emit(from, host::kMaxCol, current);
  return x.empty() ? "" : "<cols>" + x + "</cols>";
}

std::string SheetViewXml(const model::Sheet& sheet, bool selected) {
  const model::SheetView& v = sheet.view();
  std::string x = "<sheetViews><sheetView workbookViewId=\"0\"";
  if (selected) x += " tabSelected=\"1\"";
  if (!v.showGridLines) x += " showGridLines=\"0\"";
  if (!v.showZeros) x += " showZeros=\"0\"";
  if (v.scrollRow != 1 || v.scrollColumn != 1) x += Attr("topLeftCell", host::a1(Cell{v.scrollRow, v.scrollColumn}));
  if (v.zoomScale != 100) x += " zoomScale=\"" + std::to_string(v.zoomScale) + "\"";
  x += CarriedAttributes(sheet, "sheetView") + ">";
  std::string active = "A1";
  if (v.freezePanes && (v.splitRow > 0 || v.splitColumn > 0)) {
    Cell below{v.scrollRow + v.splitRow, v.scrollColumn + v.splitColumn};
    const char* pane = v.splitRow && v.splitColumn ? "bottomRight" : v.splitRow ? "bottomLeft" : "topRight";
    x += "<pane";
    if (v.splitColumn) x += " xSplit=\"" + std::to_string(v.splitColumn) + "\"";
    if (v.splitRow) x += " ySplit=\"" + std::to_string(v.splitRow) + "\"";
    x += Attr("topLeftCell", host::a1(below)) + " activePane=\"" + pane + "\" state=\"frozen\"/>";
    x += std::string("<selection pane=\"") + pane + "\"" + Attr("activeCell", host::a1(v.selection.topLeft())) +
         Attr("sqref", host::a1Cells(v.selection)) + "/>";
  } else {
    x += "<selection" + Attr("activeCell", host::a1(v.selection.topLeft())) + Attr("sqref", host::a1Cells(v.selection)) + "/>";
  }
  return x + "</sheetView></sheetViews>";
}

const char* ValidationType(int t) {
  switch (t) {
    case host::code::kValidateList: return "list";
    case host::code::kValidateDecimal: return "decimal";
    case 1: return "whole";
    case 6: return "textLength";
    default: return "none";
  }
}
const char* ValidationOperator(int op) {
  switch (op) {
    case 2: return "notBetween";
    case 3: return "equal";
    case 4: return "notEqual";
    case 5: return "greaterThan";
    case 6: return "lessThan";
    case host::code::kGreaterEqual: return "greaterThanOrEqual";
    case 8: return "lessThanOrEqual";
    default: return "between";
  }
}
const char* AlertStyle(int a) { return a == 2 ? "warning" : a == 3 ? "information" : "stop"; }

// The areas of equal rules as one rule over all of them.
std::string ValidationsXml(const model::Sheet& sheet) {
  std::vector<std::pair<host::Validation, std::vector<Rect>>> groups;
  for (const auto& area : sheet.validations().areas()) {
    const host::Validation& v = area.second;
    auto g = std::find_if(groups.begin(), groups.end(), [&](const auto& e) { return e.first == v; });
    if (g == groups.end()) {
      groups.push_back({v, {}});
      g = groups.end() - 1;
    }
    g->second.push_back(area.first);
  }
  if (groups.empty()) return "";
  std::string x = "<dataValidations count=\"" + std::to_string(groups.size()) + "\">";
  for (const auto& [v, rects] : groups) {
    std::string sqref;
    for (const Rect& r : rects) sqref += (sqref.empty() ? "" : " ") + host::a1Cells(r);
    x += std::string("<dataValidation type=\"") + ValidationType(v.type) + "\"";
    if (v.type != host::code::kValidateInputOnly) x += std::string(" errorStyle=\"") + AlertStyle(v.alertStyle) + "\"";
    if (v.type != host::code::kValidateInputOnly && v.type != host::code::kValidateList)
      x += std::string(" operator=\"") + ValidationOperator(v.op) + "\"";
    if (v.ignoreBlank) x += " allowBlank=\"1\"";
    x += " showInputMessage=\"1\"";
    if (v.type != host::code::kValidateInputOnly) x += " showErrorMessage=\"1\"";
    if (!v.inputMessage.empty()) x += Attr("prompt", v.inputMessage);
    x += Attr("sqref", sqref) + ">";
    if (!v.formula1.empty()) {
      std::string f = v.type == host::code::kValidateList && v.formula1[0] != '=' ? "\"" + v.formula1 + "\""
                      : v.formula1[0] == '='                                    ? v.formula1.substr(1)
                                                                                : v.formula1;
      x += "<formula1>" + Escaped(f) + "</formula1>";
    }
    x += "</dataValidation>";
  }
  return x + "</dataValidations>";
}

std::string PageXml(const model::Sheet& sheet) {
  const model::PageSettings& p = sheet.pageSettings();
  std::string x;
  const std::string printOptions = CarriedAttributes(sheet, "printOptions");
  if (p.centerHorizontally || p.printGridlines || !printOptions.empty())
    x += std::string("<printOptions") + (p.centerHorizontally ? " horizontalCentered=\"1\"" : "") +
         (p.printGridlines ? " gridLines=\"1\"" : "") + printOptions + "/>";
  auto inches = [](double points) {
    // 0.3 inches read as points and back is 0.30000000000000004: the
    // noise of the division goes, what a writer chose stays.
    const double exact = points / 72.0, tidy = std::round(exact * 1e12) / 1e12;
    return NumberText(std::abs(tidy - exact) <= 1e-15 * std::max(1.0, std::abs(exact)) ? tidy : exact);
  };
  x += "<pageMargins left=\"" + inches(p.leftMargin) + "\" right=\"" + inches(p.rightMargin) + "\" top=\"" +
       inches(p.topMargin) + "\" bottom=\"" + inches(p.bottomMargin) + "\" header=\"" + inches(p.headerMargin) +
       "\" footer=\"" + inches(p.footerMargin) + "\"/>";
  x += "<pageSetup";
  if (p.paperSizeGiven) x += " paperSize=\"" + std::to_string(p.paperSize) + "\"";
  x += " scale=\"" + std::to_string(p.zoom) + "\"";
  if (p.fitToPage && p.fitToWidth != 1) x += " fitToWidth=\"" + std::to_string(p.fitToWidth) + "\"";
  if (p.fitToPage && p.fitToHeight != 1) x += " fitToHeight=\"" + std::to_string(p.fitToHeight) + "\"";
  x += std::string(" orientation=\"") + (p.orientation == 2 ? "landscape" : "portrait") + "\"" +
       CarriedAttributes(sheet, "pageSetup") + "/>";
  std::string footer;
  if (!p.leftFooter.empty()) footer += "&L" + p.leftFooter;
  if (!p.centerFooter.empty()) footer += "&C" + p.centerFooter;
  if (!p.rightFooter.empty()) footer += "&R" + p.rightFooter;
  const std::string otherPages = OtherHeadersFooters(sheet);
  if (!p.header.empty() || !footer.empty() || !otherPages.empty()) {
    x += "<headerFooter" + CarriedAttributes(sheet, "headerFooter") + ">";
    if (!p.header.empty()) x += "<oddHeader>" + Escaped(p.header) + "</oddHeader>";
    if (!footer.empty()) x += "<oddFooter>" + Escaped(footer) + "</oddFooter>";
    x += otherPages + "</headerFooter>";
  }
  auto breaks = sheet.pageBreaks();
  if (!breaks.empty()) {
    x += "<rowBreaks count=\"" + std::to_string(breaks.size()) + "\" manualBreakCount=\"" +
         std::to_string(breaks.size()) + "\">";
    for (int row : breaks) x += "<brk id=\"" + std::to_string(row - 1) + "\" max=\"16383\" man=\"1\"/>";
    x += "</rowBreaks>";
  }
  return x;
}

}  // namespace

std::string QuotedSheetName(const std::string& name) {
  bool plain = !name.empty();
  for (unsigned char c : name) plain = plain && (std::isalnum(c) || c == '_' || c >= 0x80);
  if (plain && !std::isdigit(static_cast<unsigned char>(name[0]))) return name + "!";
  std::string q = "'";
  for (char c : name) q += c == '\'' ? std::string("''") : std::string(1, c);
  return q + "'!";
}

RowCells::RowCells(const model::Sheet& sheet, const model::CellBand& cells) : first_(cells.first()) {
  const int first = cells.first(), last = cells.last();
  const auto band = static_cast<std::size_t>(std::max(0, last - first + 1));
  start_.assign(band + 1, 0);
  for (int c = 1; c <= sheet.columnCount(); ++c)
    cells.forInUse(c, [&](int row, const model::Slot&) { ++start_[static_cast<std::size_t>(row - first) + 1]; });
  for (std::size_t r = 1; r < start_.size(); ++r) start_[r] += start_[r - 1];
  cols_.resize(start_.back());
  std::vector<std::size_t> next(start_.begin(), start_.end() - 1);
  for (int c = 1; c <= sheet.columnCount(); ++c)
    cells.forInUse(c, [&](int row, const model::Slot&) { cols_[next[static_cast<std::size_t>(row - first)]++] = c; });
  // Rows with no cells but a height, format or outline level of their own.
  auto ownRows = [&](const auto& byRow) {
    for (auto it = byRow.lower_bound(first); it != byRow.end() && it->first <= last; ++it) rows_.push_back(it->first);
  };
  ownRows(sheet.rowHeights());
  ownRows(sheet.rowOutlineLevels());
  ownRows(sheet.rowStyles());
  for (std::size_t r = 0; r < band; ++r)
    if (start_[r + 1] > start_[r]) rows_.push_back(first + static_cast<int>(r));
  std::sort(rows_.begin(), rows_.end());
  rows_.erase(std::unique(rows_.begin(), rows_.end()), rows_.end());
}

int RowCells::LastRow(const model::Sheet& sheet) {
  int last = 0;
  for (int c = 1; c <= sheet.columnCount(); ++c) last = std::max(last, sheet.storedColumn(c)->size());
  for (const model::Sheet::PendingRows& p : sheet.pendingRows()) last = std::max(last, p.area.bottom);
  auto lastOf = [&](const auto& byRow) {
    if (!byRow.empty()) last = std::max(last, byRow.rbegin()->first);
  };
  lastOf(sheet.rowHeights());
  lastOf(sheet.rowOutlineLevels());
  lastOf(sheet.rowStyles());
  return last;
}

std::span<const int> RowCells::of(int row) const {
  const auto r = static_cast<std::size_t>(row - first_);
  if (row < first_ || r + 1 >= start_.size()) return {};
  return {cols_.data() + start_[r], start_[r + 1] - start_[r]};
}

namespace {

void WriteSheetData(PartStream& x, const model::Sheet& sheet, FormatNumbers& xf, SharedStrings& strings) {
  const model::StyleTable& table = sheet.model().styles();
  std::vector<std::string> letters(static_cast<std::size_t>(sheet.columnCount()) + 1);
  for (int c = 1; c <= sheet.columnCount(); ++c) letters[static_cast<std::size_t>(c)] = host::columnLetters(c);
  x += "<sheetData>";
  // Rows in bands: which cells each row has is known for one band at a time.
  constexpr int kBand = 1 << 14;
  const int lastRow = RowCells::LastRow(sheet);
  for (int first = 1; first <= lastRow; first += kBand) {
    const model::CellBand band(sheet, first, std::min(lastRow, first + kBand - 1));
    const RowCells cells(sheet, band);
    for (int r : cells.rows()) {
      const auto cols = cells.of(r);
      char rowDigits[16];
      const std::string_view rowText(rowDigits, static_cast<std::size_t>(
                                                    std::to_chars(rowDigits, rowDigits + sizeof rowDigits, r).ptr - rowDigits));
      x += "<row r=\"";
      x += rowText;
      x += '"';
      auto rs = sheet.rowStyles().find(r);
      if (rs != sheet.rowStyles().end()) {
        x += " s=\"";
        x += xf(rs->second, false);
        x += "\" customFormat=\"1\"";
      }
      auto h = sheet.rowHeights().find(r);
      if (h != sheet.rowHeights().end()) {
        if (h->second == 0) x += " hidden=\"1\"";
        else x += Attr("ht", h->second) + " customHeight=\"1\"";
      } else if (double fit = FittedRowHeight(sheet, band, table, r, cols); fit > sheet.defaultRowHeight()) {
        x += Attr("ht", fit);
      }
      if (auto o = sheet.rowOutlineLevels().find(r); o != sheet.rowOutlineLevels().end()) {
        x += " outlineLevel=\"";
        x += o->second;
        x += '"';
      }
      if (cols.empty()) {
        x += "/>";
        continue;
      }
      x += '>';
      for (int c : cols) {
        const Cell at{r, c};
        const model::Slot& slot = *band.get(r, c);
        const model::StyleId style = slot.style() ? slot.style() : sheet.inheritedStyle(at);
        // Text and number cells (nearly all) are read in place and written
        // straight into the stream.
        const bool textCell = slot.kind() == model::Slot::Kind::Text;
        const bool numberCell = slot.kind() == model::Slot::Kind::Number && std::isfinite(slot.number());
        const Value v = textCell || numberCell ? Value() : slot.isFormula() ? sheet.value(at) : slot.constant();
        const std::string_view shown = textCell ? std::string_view(slot.text().text)
                                       : v.isText() ? std::string_view(v.text())
                                                    : std::string_view();
        const int id = xf(style, shown.find('\n') != std::string_view::npos);
        const int entry = textCell ? strings.add(slot.text(), table.get(style).font) : 0;
        char* p = x.room();
        p = Put(p, "<c r=\"");
        p = Put(p, letters[static_cast<std::size_t>(c)]);
        p = Put(p, rowText);
        *p++ = '"';
        if (id) {
          p = Put(p, " s=\"");
          p = std::to_chars(p, p + 16, id).ptr;
          *p++ = '"';
        }
        if (textCell) {
          p = Put(p, " t=\"s\"><v>");
          p = std::to_chars(p, p + 16, entry).ptr;
          x.wrote(Put(p, "</v></c>"));
        } else if (numberCell) {
          p = WriteNumberText(Put(p, "><v>"), slot.number());
          x.wrote(Put(p, "</v></c>"));
        } else {
          x.wrote(p);
          if (slot.isFormula()) AppendFormulaCell(x, sheet.formulaA1(at), v, slot.formula().arrayArea);
          else AppendValueCell(x, v);
        }
      }
      x += "</row>";
    }
  }
  x += "</sheetData>";
}

}  // namespace

void WriteWorksheet(PartStream& x, const model::Sheet& sheet, bool selected, StyleSheetWriter& styles,
                    SharedStrings* strings, bool hasDrawing) {
  const model::StyleTable& table = sheet.model().styles();
  Rect used = sheet.usedRange();
  x += kXmlHead;
  x += std::string("<worksheet xmlns=\"") + kMainNs + "\" xmlns:r=\"" + kRelNs + "\">";
  const bool tab = sheet.model().colors().has(sheet.tabColorIndex()), fit = sheet.pageSettings().fitToPage;
  const std::string codeName = CodeName(sheet);
  if (tab || fit || !codeName.empty()) {
    x += codeName.empty() ? "<sheetPr>" : "<sheetPr codeName=\"" + Escaped(codeName) + "\">";
    if (tab) x += "<tabColor rgb=\"" + Argb(sheet.model().colors(), sheet.tabColorIndex()) + "\"/>";
    if (fit) x += "<pageSetUpPr fitToPage=\"1\"/>";
    x += "</sheetPr>";
  }
  x += "<dimension ref=\"" + host::a1Cells(used) + "\"/>";
  x += SheetViewXml(sheet, selected);
  x += "<sheetFormatPr" + Attr("defaultRowHeight", sheet.defaultRowHeight());
  if (sheet.defaultRowHeight() != 14.25) x += " customHeight=\"1\"";
  if (sheet.defaultColumnWidth() != 8.38) x += Attr("defaultColWidth", WidthToFile(sheet.defaultColumnWidth()));
  auto deepest = [](const std::map<int, int>& levels) {
    int d = 0;
    for (const auto& [_, level] : levels) d = std::max(d, level);
    return d;
  };
  if (int d = deepest(sheet.rowOutlineLevels())) x += " outlineLevelRow=\"" + std::to_string(d) + "\"";
  if (int d = deepest(sheet.columnOutlineLevels())) x += " outlineLevelCol=\"" + std::to_string(d) + "\"";
  x += "/>";
  FormatNumbers xf(styles, table);
  x += ColsXml(sheet, xf);
  if (strings) WriteSheetData(x, sheet, xf, *strings);
  x += CarriedXml(sheet, Place::AfterCells);
  if (!sheet.merges().empty()) {
    x += "<mergeCells count=\"" + std::to_string(sheet.merges().size()) + "\">";
    for (const Rect& m : sheet.merges()) x += "<mergeCell ref=\"" + host::a1Cells(m) + "\"/>";
    x += "</mergeCells>";
  }
  x += CarriedXml(sheet, Place::AfterMerges);
  x += ValidationsXml(sheet);
  x += CarriedXml(sheet, Place::AfterValidations);
  x += PageXml(sheet);
  x += CarriedXml(sheet, Place::AfterPage);
  if (hasDrawing) x += "<drawing r:id=\"rId1\"/>";
  else x += CarriedXml(sheet, Place::AtDrawing);
  x += CarriedXml(sheet, Place::AfterDrawing);
  x += "</worksheet>";
}

namespace {
std::atomic<std::uint32_t> writings{0};
}

SharedStrings::SharedStrings(const host::ColorTable& colors) : colors_(colors), writing_(++writings) {}

int SharedStrings::add(const model::TextPayload& text, const host::Font& font) {
  if (!text.runs().empty()) return add(text.text, text.runs(), font);
  if (text.filedIn == writing_) {
    ++references_;
    return static_cast<int>(text.fileEntry);
  }
  const int entry = add(text.text, text.runs(), font);
  text.filedIn = writing_;
  text.fileEntry = static_cast<std::uint32_t>(entry);
  return entry;
}

int SharedStrings::add(const std::string& text, const std::vector<host::TextRun>& runs, const host::Font& font) {
  ++references_;
  auto appendPlain = [](std::string& out, std::string_view t) {
    const bool keepSpace = !t.empty() && (t.front() == ' ' || t.back() == ' ' || t.find('\n') != std::string::npos);
    out += keepSpace ? "<t xml:space=\"preserve\">" : "<t>";
    AppendEscaped(out, t);
    out += "</t>";
  };
  auto plainText = [&](const std::string& t) {
    std::string out;
    appendPlain(out, t);
    return out;
  };
  if (runs.empty()) {
    const int before = count_;
    const int entry = plainEntry(text);
    if (entry == before) {
      items_ += "<si>";
      appendPlain(items_, text);
      items_ += "</si>";
    }
    return entry;
  }
  // Byte offsets of each character, to cut the text where runs start.
  std::vector<std::size_t> at;
  for (std::size_t i = 0; i < text.size(); ++i)
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) at.push_back(i);
  at.push_back(text.size());
  const int chars = static_cast<int>(at.size()) - 1;
  auto piece = [&](int from, int to) {  // characters [from, to), 0-based
    return text.substr(at[static_cast<std::size_t>(from)], at[static_cast<std::size_t>(to)] - at[static_cast<std::size_t>(from)]);
  };
  std::string si;
  int pos = 0;
  auto plainRun = [&](int to) {
    if (to > pos) si += "<r>" + plainText(piece(pos, to)) + "</r>";
  };
  std::vector<host::TextRun> sorted = runs;
  std::sort(sorted.begin(), sorted.end(), [](auto& a, auto& b) { return a.start < b.start; });
  for (const host::TextRun& run : sorted) {
    int from = std::clamp(run.start - 1, pos, chars), to = std::clamp(run.start - 1 + run.length, from, chars);
    plainRun(from);
    pos = from;
    if (to == from) continue;
    si += "<r><rPr>";
    if (run.bold.value_or(font.bold)) si += "<b/>";
    if (run.italic.value_or(font.italic)) si += "<i/>";
    if (run.strikethrough.value_or(font.strikethrough)) si += "<strike/>";
    if (const host::Underline u = run.underline.value_or(font.underline); u != host::Underline::None)
      si += u == host::Underline::Double ? "<u val=\"double\"/>" : "<u/>";
    if (run.raised) si += run.raised > 0 ? "<vertAlign val=\"superscript\"/>" : "<vertAlign val=\"subscript\"/>";
    si += "<sz val=\"" + NumberText(run.fontSize.value_or(font.size)) + "\"/>";
    if (run.color) si += "<color rgb=\"" + Argb(*run.color) + "\"/>";
    else if (colors_.has(font.colorIndex)) si += "<color rgb=\"" + Argb(colors_, font.colorIndex) + "\"/>";
    si += "<rFont val=\"" + Escaped(run.fontName.value_or(font.name)) + "\"/><charset val=\"134\"/></rPr>" +
          plainText(piece(from, to)) + "</r>";
    pos = to;
  }
  plainRun(chars);
  items_ += "<si>" + si + "</si>";
  return count_++;
}

int SharedStrings::plainEntry(const std::string& text) {
  if (2 * (seenCount_ + 1) > seen_.size()) {
    // Twice the room, each slot placed again by its hash.
    std::vector<Seen> old(std::max<std::size_t>(1024, seen_.size() * 2));
    old.swap(seen_);
    const std::size_t mask = seen_.size() - 1;
    for (const Seen& s : old)
      if (s.entry >= 0) {
        std::size_t i = s.hash & mask;
        while (seen_[i].entry >= 0) i = (i + 1) & mask;
        seen_[i] = s;
      }
  }
  const auto hash = static_cast<std::uint32_t>(std::hash<std::string_view>()(text));
  const std::size_t mask = seen_.size() - 1;
  std::size_t i = hash & mask;
  for (; seen_[i].entry >= 0; i = (i + 1) & mask) {
    const Seen& s = seen_[i];
    if (s.hash == hash && s.length == text.size() && texts_.compare(s.at, s.length, text) == 0) return s.entry;
  }
  seen_[i] = {texts_.size(), static_cast<std::uint32_t>(text.size()), hash, count_};
  texts_ += text;
  ++seenCount_;
  return count_++;
}

std::size_t SharedStrings::size() const { return items_.size() + 256; }

void SharedStrings::write(PartStream& x) const {
  // Straight from the items: a province's names are not copied again.
  x += kXmlHead;
  x += std::string("<sst xmlns=\"") + kMainNs + "\" count=\"" + std::to_string(references_) + "\" uniqueCount=\"" +
       std::to_string(count_) + "\">";
  x += items_;
  x += "</sst>";
}

}  // namespace tavo::xlsx
