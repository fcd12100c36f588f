// Range and what hangs off it: Font, Interior, Borders, Characters,
// Validation.
#include <cctype>
#include <charconv>
#include <functional>
#include <regex>
#include <type_traits>

#include "host/address.h"
#include "host/com/variant.h"
#include "host/enum_codes.h"
#include "host/model/sheet.h"
#include "standin/spreadsheet.h"

namespace tavo::standin {

namespace {

constexpr int kWhole = 1;
constexpr int kPrevious = 2;
constexpr int kDescending = 2;
constexpr int kHeaderYes = 1;
constexpr int kPasteValues = -4163, kPasteFormats = -4122;

// "$A$1:$C$4", "$1:$3", "$A:$C", as the spreadsheet writes addresses.
std::string AbsoluteAddress(const host::Rect& r) {
  std::string plain = host::a1(r), out;
  bool mark = true;
  for (char ch : plain) {
    const bool digit = std::isdigit(static_cast<unsigned char>(ch)) != 0;
    if (ch == ':') mark = true;
    else if (mark || (digit && !out.empty() && std::isalpha(static_cast<unsigned char>(out.back())))) out += '$';
    mark = false;
    out += ch;
  }
  return out;
}

host::Shift ShiftOf(const VARIANT* v, host::Shift fallback) {
  if (!v) return fallback;
  switch (ToInt(*v)) {
    case host::code::kShiftDown: return host::Shift::Down;
    case host::code::kShiftToRight: return host::Shift::Right;
    case host::code::kShiftUp: return host::Shift::Up;
    case host::code::kShiftToLeft: return host::Shift::Left;
  }
  throw host::HostError(1004, "Shift 参数无效");
}

// Days since 1899-12-30, the spreadsheet's day 0.
double DateSerial(int y, int m, int d) {
  y -= m <= 2;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468 + 25569;
}

int Number(const std::string& digits) {
  int n = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), n);
  return n;
}

// What the spreadsheet makes of text typed into a cell that is not
// formatted as text, beyond the decimal numbers the model reads too:
// dates ("1-2", "3/4", "2024-5-6"), times, percentages, grouped numbers
// and the truth values. Nothing when the text stays text.
std::optional<host::Value> AsTyped(const std::string& text) {
  static const std::regex monthDay(R"((\d{1,2})[-/](\d{1,2}))"), fullDate(R"((\d{4})[-/](\d{1,2})[-/](\d{1,2}))"),
      percent(R"(\s*([-+]?\d+(?:\.\d*)?)%\s*)"), time(R"((\d{1,2}):(\d{2}))"),
      grouped(R"([-+]?\d{1,3}(?:,\d{3})+(?:\.\d*)?)");
  std::smatch m;
  auto validDay = [](int month, int day) { return month >= 1 && month <= 12 && day >= 1 && day <= 31; };
  if (std::regex_match(text, m, monthDay) && validDay(Number(m[1]), Number(m[2]))) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return host::Value(DateSerial(now.wYear, Number(m[1]), Number(m[2])));
  }
  if (std::regex_match(text, m, fullDate) && validDay(Number(m[2]), Number(m[3])))
    return host::Value(DateSerial(Number(m[1]), Number(m[2]), Number(m[3])));
  if (std::regex_match(text, m, percent)) return host::Value(*host::parseDecimal(m[1].str()) / 100);
  if (std::regex_match(text, m, time) && Number(m[1]) < 24 && Number(m[2]) < 60)
    return host::Value((Number(m[1]) * 60 + Number(m[2])) / 1440.0);
  if (std::regex_match(text, grouped)) {
    std::string plain;
    for (char c : text)
      if (c != ',') plain += c;
    return host::Value(*host::parseDecimal(plain));
  }
  if (_stricmp(text.c_str(), "TRUE") == 0) return host::Value(true);
  if (_stricmp(text.c_str(), "FALSE") == 0) return host::Value(false);
  return std::nullopt;
}

// A put of values, entered as the spreadsheet enters typed text: a leading
// apostrophe keeps the rest as text and is not stored.
void PutAsTyped(host::Worksheet& sheet, host::Cell at, host::Grid grid) {
  std::vector<std::pair<host::Cell, std::string>> literal;
  for (int r = 0; r < grid.rows; ++r)
    for (int c = 0; c < grid.cols; ++c) {
      host::Value& v = grid.at(r, c);
      if (!v.isText() || v.text().empty()) continue;
      const host::Cell cell{at.row + r, at.col + c};
      if (v.text().front() == '\'') {
        literal.emplace_back(cell, v.text().substr(1));
        v = host::Value();
      } else if (sheet.format(cell).numberFormat != host::kTextFormat) {
        if (auto typed = AsTyped(v.text())) v = *typed;
      }
    }
  sheet.setValues(at, grid);
  for (const auto& [cell, text] : literal) dynamic_cast<model::Sheet&>(sheet).setTextWithRuns(cell, text, {});
}

// The interface's own code of "General"; other codes read alike.
std::string LocalCode(const Spreadsheet& s, const std::string& model) {
  return !s.chineseInterface && model == host::kGeneralFormat ? "General" : model;
}
std::string ModelCode(const Spreadsheet& s, const std::string& local) {
  if (local == "General") return host::kGeneralFormat;
  if (!s.chineseInterface && local == host::kGeneralFormat)
    throw host::HostError(1004, "不能设置 Range 类的 NumberFormatLocal 属性");
  return local;
}

void UseClipboard(Spreadsheet& s, const char* what) {
  if (s.clipboardHeldElsewhere) throw host::HostError(1004, std::string("Range 类的 ") + what + " 方法无效");
  ++s.clipboardUses;
}

using PatchWriter = std::function<void(const host::FormatPatch&)>;

template <class T>
using FromVariant = std::function<T(const VARIANT&)>;

// A put that changes one field of a format, as a one-field patch.
template <class T>
ServerObject::Setter Patch(PatchWriter write, std::optional<T> host::FormatPatch::*field,
                           std::type_identity_t<FromVariant<T>> convert) {
  return [write, field, convert](const VARIANT& v) {
    host::FormatPatch p;
    p.*field = convert(v);
    write(p);
  };
}

// Enums go by the object model's codes; a code it does not know is
// refused, as the object model refuses it.
template <class T>
FromVariant<T> Coded(std::optional<T> (*of)(int)) {
  return [of](const VARIANT& v) {
    if (std::optional<T> value = of(ToInt(v))) return *value;
    throw host::HostError(1004, "参数无效");
  };
}
host::Fill FillOf(const VARIANT& v) { return host::code::FillOfColorIndex(ToInt(v)); }

// A format field as a get returns it.
template <class T>
Variant Shown(const T& x) {
  if constexpr (std::is_enum_v<T>)
    return Variant(host::code::Of(x));
  else if constexpr (std::is_same_v<T, host::Fill>)
    return Variant(host::code::ColorIndexOf(x));
  else
    return Variant(x);
}

// The font of a rectangle (read from its first cell) or of some characters.
ServerObject* FontObject(std::function<host::Font()> read, PatchWriter write) {
  auto* o = new ServerObject;
  auto font = [o, read, write](const char* name, auto host::Font::*field, auto patch, auto convert) {
    o->property(
        name, [read, field] { return Shown(read().*field); }, Patch(write, patch, convert));
  };
  font("Name", &host::Font::name, &host::FormatPatch::fontName, &ToText);
  font("Size", &host::Font::size, &host::FormatPatch::fontSize, &ToNumber);
  font("Bold", &host::Font::bold, &host::FormatPatch::bold, &ToBool);
  font("Underline", &host::Font::underline, &host::FormatPatch::underline, Coded(&host::code::UnderlineOf));
  font("ColorIndex", &host::Font::colorIndex, &host::FormatPatch::fontColorIndex, &ToInt);
  o->property("Italic", [read] { return Variant(read().italic); });
  o->property("Strikethrough", [read] { return Variant(read().strikethrough); });
  return o;
}

// Characters of one cell: their font holds only a size and a name of its own.
ServerObject* CharactersObject(host::Worksheet& sheet, host::Cell cell, int start, int length) {
  auto* o = new ServerObject;
  o->property("Font", [&sheet, cell, start, length] {
    auto read = [&sheet, cell, start] {
      host::Font f = sheet.format(cell).font;
      for (const host::TextRun& run : sheet.textRuns(cell))
        if (start >= run.start && start < run.start + run.length) {
          if (run.fontSize) f.size = *run.fontSize;
          if (run.fontName) f.name = *run.fontName;
        }
      return f;
    };
    auto write = [&sheet, cell, start, length](const host::FormatPatch& p) {
      if (!p.fontSize && !p.fontName) throw host::HostError(1004, "字符只能设置字号和字体");
      sheet.setTextRun(cell, {.start = start, .length = length, .fontSize = p.fontSize, .fontName = p.fontName});
    };
    return Give(FontObject(read, write));
  });
  return o;
}

ServerObject* ValidationObject(host::Worksheet& sheet, host::Rect r) {
  auto* o = new ServerObject;
  auto current = [&sheet, r] {
    auto v = sheet.validation(r.topLeft());
    if (!v) throw host::HostError(1004, "应用程序定义或对象定义错误");
    return *v;
  };
  o->method("Add", [&sheet, r](const Call& c) {
    host::Validation v;
    v.type = ToInt(c.need(0, "Type"));
    if (const VARIANT* a = c.arg(1, "AlertStyle")) v.alertStyle = ToInt(*a);
    if (const VARIANT* op = c.arg(2, "Operator")) v.op = ToInt(*op);
    if (const VARIANT* f = c.arg(3, "Formula1")) v.formula1 = ToText(*f);
    sheet.addValidation(r, v);
    return Variant();
  });
  o->method("Delete", [&sheet, r](const Call&) {
    sheet.deleteValidation(r);
    return Variant();
  });
  o->property("Type", [current] { return Variant(current().type); });
  o->property("AlertStyle", [current] { return Variant(current().alertStyle); });
  o->property("Operator", [current] { return Variant(current().op); });
  o->property("Formula1", [current] { return Variant(current().formula1); });
  o->property("IgnoreBlank", [current] { return Variant(current().ignoreBlank); },
              [&sheet, r](const VARIANT& v) { sheet.setValidationIgnoreBlank(r, ToBool(v)); });
  o->property("InputMessage", [current] { return Variant(current().inputMessage); },
              [&sheet, r](const VARIANT& v) { sheet.setValidationInputMessage(r, ToText(v)); });
  return o;
}

using Areas = std::vector<host::Rect>;

// A patch onto every area of a range.
PatchWriter OntoAreas(host::Worksheet& sheet, Areas areas) {
  return [&sheet, areas](const host::FormatPatch& p) {
    for (const host::Rect& r : areas) sheet.applyFormat(r, p);
  };
}

// One format property of a range, read from its first cell.
template <class T>
void FormatProperty(ServerObject& o, const char* name, host::Worksheet& sheet, const Areas& areas,
                    T host::Format::*field, std::optional<T> host::FormatPatch::*patch,
                    std::type_identity_t<FromVariant<T>> convert) {
  const host::Cell at = areas.front().topLeft();
  o.property(
      name, [&sheet, at, field] { return Shown(sheet.format(at).*field); },
      Patch(OntoAreas(sheet, areas), patch, convert));
}

// What formats a range, of one area or of several.
void FormatProperties(ServerObject& o, Spreadsheet& s, host::Worksheet& sh, const Areas& areas) {
  const host::Cell at = areas.front().topLeft();
  const PatchWriter write = OntoAreas(sh, areas);
  o.property("Font", [&sh, at, write] { return Give(FontObject([&sh, at] { return sh.format(at).font; }, write)); });
  o.property("Interior", [&sh, areas] {
    auto* i = new ServerObject;
    FormatProperty(*i, "ColorIndex", sh, areas, &host::Format::fill, &host::FormatPatch::fill, &FillOf);
    return Give(i);
  });
  o.property("Borders", [&sh, areas] {
    auto* b = new ServerObject;
    FormatProperty(*b, "LineStyle", sh, areas, &host::Format::border, &host::FormatPatch::border,
                   Coded(&host::code::BorderLineOf));
    return Give(b);
  });
  FormatProperty(o, "HorizontalAlignment", sh, areas, &host::Format::horizontalAlignment,
                 &host::FormatPatch::horizontalAlignment, Coded(&host::code::HorizontalAlignmentOf));
  FormatProperty(o, "VerticalAlignment", sh, areas, &host::Format::verticalAlignment,
                 &host::FormatPatch::verticalAlignment, Coded(&host::code::VerticalAlignmentOf));
  o.property("NumberFormat",
             [&sh, at] {
               const std::string code = sh.format(at).numberFormat;
               return Variant(code == host::kGeneralFormat ? std::string("General") : code);
             },
             [write](const VARIANT& v) {
               host::FormatPatch p;
               p.numberFormat = ToText(v) == "General" ? host::kGeneralFormat : ToText(v);
               write(p);
             });
  o.property("NumberFormatLocal", [&s, &sh, at] { return Variant(LocalCode(s, sh.format(at).numberFormat)); },
             [&s, write](const VARIANT& v) {
               host::FormatPatch p;
               p.numberFormat = ModelCode(s, ToText(v));
               write(p);
             });
}

}  // namespace

ServerObject* AreasObject(Spreadsheet& s, host::Worksheet& sheet, std::vector<host::Rect> areas) {
  auto* o = new ServerObject;
  FormatProperties(*o, s, sheet, areas);
  o->property("Count", [n = static_cast<int>(areas.size())] { return Variant(n); });
  return o;
}

RangeObject::RangeObject(Spreadsheet& s, host::Worksheet& ws, host::Rect r) : sheet(ws), rect(r) {
  host::Worksheet& sh = sheet;
  const host::Cell at = r.topLeft();

  property("Value",
           [&sh, r] {
             if (r.rowCount() == 1 && r.colCount() == 1) return Variant(sh.value(r.topLeft()));
             return com::FromGrid(sh.values(r));
           },
           [&sh, r](const VARIANT& v) {
             if (com::Deref(v).vt & VT_ARRAY) {
               PutAsTyped(sh, r.topLeft(), com::ToGrid(v));
               return;
             }
             // One value into every cell of the rectangle.
             const host::Value value = com::ToValue(v);
             if (!value.isText() || (static_cast<long long>(r.rowCount()) * r.colCount() > 1'000'000)) {
               sh.setValue(r, value);
               return;
             }
             host::Grid all(r.rowCount(), r.colCount());
             for (host::Value& cell : all.cells) cell = value;
             PutAsTyped(sh, r.topLeft(), std::move(all));
           });
  property("HasFormula", [&sh, at] { return Variant(sh.hasFormula(at)); });
  property("FormulaR1C1", [&sh, at] { return Variant(sh.formulaR1C1(at)); },
           [&sh, r](const VARIANT& v) { sh.setFormulaR1C1(r, ToText(v)); });
  property("Address", [r] { return Variant(AbsoluteAddress(r)); });
  property("Row", [r] { return Variant(r.top); });
  property("Column", [r] { return Variant(r.left); });
  property("CurrentRegion", [&s, &sh, at] { return s.range(sh, sh.currentRegion(at)); });
  property("MergeArea", [&s, &sh, at] { return s.range(sh, sh.mergeArea(at)); });

  method("Find", [&s, &sh, r](const Call& c) {
    const std::string what = ToText(c.need(0, "What"));
    host::Cell from = r.topLeft();
    if (const VARIANT* after = c.arg(1, "After")) from = Spreadsheet::rangeOf(*after).rect.topLeft();
    const VARIANT* lookAt = c.arg(3, "LookAt");
    const bool whole = lookAt && ToInt(*lookAt) == kWhole;
    const VARIANT* direction = c.arg(5, "SearchDirection");
    auto found = direction && ToInt(*direction) == kPrevious ? sh.findPrevious(r, what, from, whole)
                                                              : sh.find(r, what, from, whole);
    if (!found) return Variant(static_cast<IDispatch*>(nullptr));
    return s.range(sh, host::Rect::of(*found));
  });
  method("Sort", [&sh, r](const Call& c) {
    auto key = [](const VARIANT& range, const VARIANT* order) {
      return host::SortKey{Spreadsheet::rangeOf(range).rect.left,
                           order && ToInt(*order) == kDescending ? host::SortOrder::Descending
                                                                 : host::SortOrder::Ascending};
    };
    host::SortKey key1 = key(c.need(0, "Key1"), c.arg(1, "Order1"));
    std::optional<host::SortKey> key2;
    if (const VARIANT* k2 = c.arg(2, "Key2")) key2 = key(*k2, c.arg(4, "Order2"));
    const VARIANT* header = c.arg(7, "Header");
    sh.sort(r, key1, key2, header && ToInt(*header) == kHeaderYes);
    return Variant();
  });
  method("Replace", [&sh, r](const Call& c) {
    const VARIANT* lookAt = c.arg(2, "LookAt");
    sh.replace(r, ToText(c.need(0, "What")), ToText(c.need(1, "Replacement")), lookAt && ToInt(*lookAt) == kWhole);
    return Variant();
  });
  auto action = [this](const char* name, std::function<void()> f) {
    method(name, [f](const Call&) {
      f();
      return Variant();
    });
  };
  action("Clear", [&sh, r] { sh.clear(r); });
  action("ClearContents", [&sh, r] { sh.clearContents(r); });
  action("ClearFormats", [&sh, r] { sh.clearFormats(r); });
  action("Merge", [&sh, r] { sh.merge(r); });
  // As the spreadsheet does, a range is selected only on the active sheet.
  action("Select", [&s, &sh, r] {
    if (&s.app.activeSheet() != &sh) throw host::HostError(1004, "Range 类的 Select 方法无效");
    sh.select(r);
  });
  action("AutoFit", [&sh, r] {
    if (!r.wholeColumns()) throw host::HostError(1004, "只能自动调整整列");
    sh.autoFitColumns(r.left, r.right);
  });
  method("Copy", [&s, &sh, r](const Call& c) {
    if (const VARIANT* to = c.arg(0, "Destination")) {
      RangeObject& target = Spreadsheet::rangeOf(*to);
      sh.copy(r, target.sheet, target.rect, host::Paste::All);
    } else {
      UseClipboard(s, "Copy");
      s.clipboard = Spreadsheet::Clipboard{&sh, r, false};
    }
    return Variant();
  });
  method("Cut", [&s, &sh, r](const Call& c) {
    if (const VARIANT* to = c.arg(0, "Destination")) {
      RangeObject& target = Spreadsheet::rangeOf(*to);
      sh.cut(r, target.sheet, target.rect.topLeft());
    } else {
      UseClipboard(s, "Cut");
      s.clipboard = Spreadsheet::Clipboard{&sh, r, true};
    }
    return Variant();
  });
  method("PasteSpecial", [&s, &sh, r](const Call& c) {
    UseClipboard(s, "PasteSpecial");
    if (!s.clipboard || s.clipboard->cut) throw host::HostError(1004, "剪贴板上没有复制的内容");
    const VARIANT* paste = c.arg(0, "Paste");
    int kind = paste ? ToInt(*paste) : 0;
    host::Paste how = kind == kPasteValues ? host::Paste::Values
                      : kind == kPasteFormats ? host::Paste::Formats
                                              : host::Paste::All;
    s.clipboard->sheet->copy(s.clipboard->rect, sh, r, how);
    return Variant();
  });
  method("Insert", [&s, &sh, r](const Call& c) {
    host::Shift shift = ShiftOf(c.arg(0, "Shift"), host::Shift::Down);
    if (s.clipboard && s.clipboard->cut) {
      if (s.clipboard->sheet != &sh) throw host::HostError(1004, "只能在同一工作表插入剪切的单元格");
      sh.insertCut(s.clipboard->rect, r.topLeft(), shift);
      s.clipboard.reset();
    } else {
      sh.insert(r, shift);
    }
    return Variant();
  });
  method("Delete", [&sh, r](const Call& c) {
    sh.remove(r, ShiftOf(c.arg(0, "Shift"), host::Shift::Up));
    return Variant();
  });

  FormatProperties(*this, s, sh, {r});
  property("WrapText", [&sh, at] { return Variant(sh.format(at).wrapText); });
  method("Characters", [&sh, at](const Call& c) {
    const VARIANT* start = c.arg(0, "Start");
    const VARIANT* length = c.arg(1, "Length");
    int from = start ? ToInt(*start) : 1;
    int n = length ? ToInt(*length) : host::characterCount(host::toText(sh.value(at))) - from + 1;
    return Give(CharactersObject(sh, at, from, n));
  });
  property("Validation", [&sh, r] { return Give(ValidationObject(sh, r)); });
  property("RowHeight", [&sh, r] { return Variant(sh.rowHeight(r.top)); },
           [&sh, r](const VARIANT& v) { sh.setRowHeight(r.top, r.bottom, ToNumber(v)); });
  property("ColumnWidth", [&sh, r] { return Variant(sh.columnWidth(r.left)); },
           [&sh, r](const VARIANT& v) { sh.setColumnWidth(r.left, r.right, ToNumber(v)); });
}

}  // namespace tavo::standin
