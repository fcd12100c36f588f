#include "host/xlsx/style_sheet.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/constants.h"
#include "host/xlsx/color_index.h"
#include "host/xlsx/xml_text.h"

namespace tavo::xlsx {

namespace code = host::code;

namespace {

constexpr host::Rgb kFixedColors[8] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00,
                                       0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF};

struct BuiltIn {
  int id;
  const char* code;
};
// The formats every reader knows by id; written back by id.
constexpr BuiltIn kBuiltIns[] = {
    {0, host::kGeneralFormat}, {1, "0"}, {2, "0.00"}, {3, "#,##0"}, {4, "#,##0.00"}, {9, "0%"}, {10, "0.00%"},
    {11, "0.00E+00"}, {12, "# ?/?"}, {13, "# ?" "?/??"}, {14, "yyyy/m/d"}, {15, "d-mmm-yy"}, {16, "d-mmm"},
    {17, "mmm-yy"}, {18, "h:mm AM/PM"}, {19, "h:mm:ss AM/PM"}, {20, "h:mm"}, {21, "h:mm:ss"}, {22, "yyyy/m/d h:mm"},
    {37, "#,##0 ;(#,##0)"}, {38, "#,##0 ;[Red](#,##0)"}, {39, "#,##0.00;(#,##0.00)"}, {40, "#,##0.00;[Red](#,##0.00)"},
    {45, "mm:ss"}, {46, "[h]:mm:ss"}, {47, "mmss.0"}, {48, "##0.0E+0"}, {49, "@"}};
// Ids whose format depends on the language of the spreadsheet that wrote
// the file, as the Chinese edition shows them; written back by their code,
// so that they show the same everywhere.
constexpr BuiltIn kLocalBuiltIns[] = {
    {5, "\"¥\"#,##0;\"¥\"\\-#,##0"}, {6, "\"¥\"#,##0;[Red]\"¥\"\\-#,##0"},
    {7, "\"¥\"#,##0.00;\"¥\"\\-#,##0.00"}, {8, "\"¥\"#,##0.00;[Red]\"¥\"\\-#,##0.00"},
    {27, "yyyy\"年\"m\"月\""}, {28, "m\"月\"d\"日\""}, {29, "m\"月\"d\"日\""}, {30, "m-d-yy"},
    {31, "yyyy\"年\"m\"月\"d\"日\""}, {32, "h\"时\"mm\"分\""}, {33, "h\"时\"mm\"分\"ss\"秒\""},
    {34, "上午/下午h\"时\"mm\"分\""}, {35, "上午/下午h\"时\"mm\"分\"ss\"秒\""}, {36, "yyyy\"年\"m\"月\""},
    {41, "_ * #,##0_ ;_ * \\-#,##0_ ;_ * \"-\"_ ;_ @_ "}, {42, "_ \"¥\"* #,##0_ ;_ \"¥\"* \\-#,##0_ ;_ \"¥\"* \"-\"_ ;_ @_ "},
    {43, "_ * #,##0.00_ ;_ * \\-#,##0.00_ ;_ * \"-\"??_ ;_ @_ "},
    {44, "_ \"¥\"* #,##0.00_ ;_ \"¥\"* \\-#,##0.00_ ;_ \"¥\"* \"-\"??_ ;_ @_ "},
    {50, "yyyy\"年\"m\"月\""}, {51, "m\"月\"d\"日\""}, {52, "yyyy\"年\"m\"月\""}, {53, "m\"月\"d\"日\""},
    {54, "m\"月\"d\"日\""}, {55, "上午/下午h\"时\"mm\"分\""}, {56, "上午/下午h\"时\"mm\"分\"ss\"秒\""},
    {57, "yyyy\"年\"m\"月\""}, {58, "m\"月\"d\"日\""}};

using host::BorderLine;
using host::HorizontalAlignment;
using host::VerticalAlignment;

// The files' names; none for the defaults (no line, general, bottom).
const char* LineStyleName(BorderLine line) {
  switch (line) {
    case BorderLine::Continuous: return "thin";
    case BorderLine::Dashed: return "dashed";
    case BorderLine::Dotted: return "dotted";
    case BorderLine::Double: return "double";
    case BorderLine::None: return nullptr;
  }
  return nullptr;
}

BorderLine LineStyleFromName(std::string_view name) {
  if (name == "dashed" || name == "mediumDashed") return BorderLine::Dashed;
  if (name == "dotted" || name == "hair") return BorderLine::Dotted;
  if (name == "double") return BorderLine::Double;
  if (name.empty() || name == "none") return BorderLine::None;
  return BorderLine::Continuous;
}

const char* HorizontalName(HorizontalAlignment a) {
  switch (a) {
    case HorizontalAlignment::Center: return "center";
    case HorizontalAlignment::Left: return "left";
    case HorizontalAlignment::Right: return "right";
    case HorizontalAlignment::Fill: return "fill";
    case HorizontalAlignment::CenterAcrossSelection: return "centerContinuous";
    case HorizontalAlignment::Justify: return "justify";
    case HorizontalAlignment::Distributed: return "distributed";
    case HorizontalAlignment::General: return nullptr;
  }
  return nullptr;
}
const char* VerticalName(VerticalAlignment a) {
  switch (a) {
    case VerticalAlignment::Center: return "center";
    case VerticalAlignment::Top: return "top";
    case VerticalAlignment::Justify: return "justify";
    case VerticalAlignment::Distributed: return "distributed";
    case VerticalAlignment::Bottom: return nullptr;
  }
  return nullptr;
}
// The value whose name is `n`, else `fallback`.
template <class T>
T FromName(std::string_view n, std::initializer_list<T> all, const char* (*name)(T), T fallback) {
  for (T value : all)
    if (const char* x = name(value); x && n == x) return value;
  return fallback;
}

}  // namespace

std::string Argb(host::Rgb c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "FF%06X", static_cast<unsigned>(c & 0xFFFFFF));
  return buf;
}

std::string Argb(const host::ColorTable& colors, int index) {
  return Argb(colors.at(index));
}

ThemeColors DefaultThemeColors() {
  return {0xFFFFFF, 0x000000, 0xE7E6E6, 0x44546A, 0x4472C4, 0xED7D31,
          0xA5A5A5, 0xFFC000, 0x5B9BD5, 0x70AD47, 0x0563C1, 0x954F72};
}

ThemeColors ReadThemeColors(const pugi::xml_node& theme) {
  ThemeColors colors = DefaultThemeColors();
  const pugi::xml_node scheme = theme.child("a:themeElements").child("a:clrScheme");
  // The scheme lists dark 1 before light 1; colour elements count light first.
  const char* names[] = {"a:lt1", "a:dk1", "a:lt2", "a:dk2", "a:accent1", "a:accent2",
                         "a:accent3", "a:accent4", "a:accent5", "a:accent6", "a:hlink", "a:folHlink"};
  for (std::size_t i = 0; i < colors.size(); ++i) {
    const pugi::xml_node entry = scheme.child(names[i]);
    const char* hex = entry.child("a:srgbClr").attribute("val").value();
    if (!*hex) hex = entry.child("a:sysClr").attribute("lastClr").value();
    if (std::strlen(hex) == 6) colors[i] = static_cast<host::Rgb>(std::strtoul(hex, nullptr, 16));
  }
  return colors;
}

host::Rgb Tinted(host::Rgb c, double tint) {
  if (tint == 0) return c;
  const double r = ((c >> 16) & 255) / 255.0, g = ((c >> 8) & 255) / 255.0, b = (c & 255) / 255.0;
  const double high = std::max({r, g, b}), low = std::min({r, g, b});
  double hue = 0, saturation = 0, light = (high + low) / 2;
  if (high != low) {
    const double d = high - low;
    saturation = light > 0.5 ? d / (2 - high - low) : d / (high + low);
    hue = high == r ? (g - b) / d + (g < b ? 6 : 0) : high == g ? (b - r) / d + 2 : (r - g) / d + 4;
    hue /= 6;
  }
  light = tint < 0 ? light * (1 + tint) : light * (1 - tint) + tint;
  auto channel = [&](double t) {
    const double q = light < 0.5 ? light * (1 + saturation) : light + saturation - light * saturation;
    const double p = 2 * light - q;
    t -= std::floor(t);
    if (t < 1.0 / 6) return p + (q - p) * 6 * t;
    if (t < 0.5) return q;
    if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
  };
  auto byte = [](double x) { return static_cast<host::Rgb>(std::lround(std::clamp(x, 0.0, 1.0) * 255)); };
  const double nr = saturation == 0 ? light : channel(hue + 1.0 / 3);
  const double ng = saturation == 0 ? light : channel(hue);
  const double nb = saturation == 0 ? light : channel(hue - 1.0 / 3);
  return (byte(nr) << 16) | (byte(ng) << 8) | byte(nb);
}

int ColorIndexOf(const pugi::xml_node& color, host::ColorTable& colors, const ThemeColors& theme) {
  if (!color) return 0;
  const double tint = color.attribute("tint").as_double(0);
  if (auto indexed = color.attribute("indexed")) {
    int i = indexed.as_int(-1);
    if (i >= 8 && i < 64) return i - kIndexedOffset;
    if (i >= 0 && i < 8) return colors.indexOf(kFixedColors[i]);
    return 0;
  }
  if (auto rgb = color.attribute("rgb"))
    return colors.indexOf(Tinted(static_cast<host::Rgb>(std::strtoul(rgb.value(), nullptr, 16) & 0xFFFFFF), tint));
  if (auto index = color.attribute("theme")) {
    const int i = index.as_int(-1);
    if (i < 0 || i >= static_cast<int>(theme.size())) return 0;
    return colors.indexOf(Tinted(theme[static_cast<std::size_t>(i)], tint));
  }
  return 0;
}

void SetBorderEdges(host::Format& f, const std::array<host::BorderEdge, 4>& edges) {
  // Four equal thin edges are the commands' own border; anything else is
  // kept edge by edge.
  const bool plain = std::all_of(edges.begin(), edges.end(), [&](const host::BorderEdge& e) { return e == edges[0]; }) &&
                     (edges[0].style.empty() || edges[0].style == "thin") && edges[0].colorIndex == 0;
  f.border = LineStyleFromName(edges[0].style);
  f.edges = plain ? std::array<host::BorderEdge, 4>{} : edges;
}

HorizontalAlignment HorizontalAlignmentFromName(std::string_view name) {
  using enum HorizontalAlignment;
  return FromName(name, {Center, Left, Right, Fill, CenterAcrossSelection, Justify, Distributed}, &HorizontalName,
                  General);
}
VerticalAlignment VerticalAlignmentFromName(std::string_view name) {
  using enum VerticalAlignment;
  return FromName(name, {Center, Top, Justify, Distributed}, &VerticalName, Bottom);
}
host::Underline UnderlineFromName(std::string_view name) {
  return name == "none" ? host::Underline::None : name == "double" ? host::Underline::Double : host::Underline::Single;
}

std::string BuiltInNumberFormat(int id) {
  for (const auto& b : kBuiltIns)
    if (b.id == id) return b.code;
  for (const auto& b : kLocalBuiltIns)
    if (b.id == id) return b.code;
  return host::kGeneralFormat;
}

StyleSheetWriter::StyleSheetWriter(const host::Format& defaults) {
  fills_.push_back({});
  fills_.push_back({-1});  // the gray125 pattern the format reserves
  cellFormat(defaults);
}

template <class T>
int StyleSheetWriter::indexOf(std::vector<T>& list, const T& item) {
  for (std::size_t i = 0; i < list.size(); ++i)
    if (list[i] == item) return static_cast<int>(i);
  list.push_back(item);
  return static_cast<int>(list.size() - 1);
}

int StyleSheetWriter::numberFormat(const std::string& code) {
  for (const auto& b : kBuiltIns)
    if (code == b.code) return b.id;
  if (code == "General") return 0;
  for (const auto& [id, c] : customFormats_)
    if (c == code) return id;
  int id = 164 + static_cast<int>(customFormats_.size());
  customFormats_.emplace_back(id, code);
  return id;
}

std::size_t StyleSheetWriter::FormatHash::operator()(const std::pair<host::Format, bool>& k) const {
  const host::Format& f = k.first;
  std::size_t h = std::hash<std::string>{}(f.numberFormat) ^ (std::hash<std::string>{}(f.font.name) << 1);
  for (int x : {f.font.colorIndex, f.fill.colorIndex, static_cast<int>(f.border),
                static_cast<int>(f.horizontalAlignment), static_cast<int>(f.verticalAlignment), static_cast<int>(k.second)})
    h = h * 1099511628211ull ^ static_cast<std::size_t>(x);
  return h ^ std::hash<double>{}(f.font.size);
}

int StyleSheetWriter::cellFormat(const host::Format& f, bool wrap) {
  auto key = std::make_pair(f, wrap);
  auto it = cache_.find(key);
  if (it != cache_.end()) return it->second;
  const bool edges = std::any_of(f.edges.begin(), f.edges.end(), [](const host::BorderEdge& e) { return !e.style.empty(); });
  Border border{edges ? BorderLine::None : f.border};
  if (edges) border.edges = f.edges;
  host::Fill fill = f.fill;
  if (fill.colorIndex < 1) fill.colorIndex = 0;
  Xf xf{numberFormat(f.numberFormat),
        indexOf(fonts_, f.font),
        fill.none() ? 0 : indexOf(fills_, fill),
        indexOf(borders_, border),
        f.horizontalAlignment,
        f.verticalAlignment,
        wrap || f.wrapText,
        f.textRotation,
        f.indent,
        f.shrinkToFit,
        f.locked,
        f.formulaHidden};
  int id = indexOf(xfs_, xf);
  cache_.emplace(std::move(key), id);
  return id;
}

std::string StyleSheetWriter::xml(const host::ColorTable& colors, const std::string& dxfs) const {
  std::string x = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                  "\n<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
  if (!customFormats_.empty()) {
    x += "<numFmts count=\"" + std::to_string(customFormats_.size()) + "\">";
    for (const auto& [id, code] : customFormats_)
      x += "<numFmt numFmtId=\"" + std::to_string(id) + "\" formatCode=\"" + Escaped(code) + "\"/>";
    x += "</numFmts>";
  }
  x += "<fonts count=\"" + std::to_string(fonts_.size()) + "\">";
  for (const host::Font& f : fonts_) {
    x += "<font>";
    if (f.bold) x += "<b/>";
    if (f.italic) x += "<i/>";
    if (f.strikethrough) x += "<strike/>";
    if (f.underline != host::Underline::None) x += f.underline == host::Underline::Double ? "<u val=\"double\"/>" : "<u/>";
    x += "<sz val=\"" + NumberText(f.size) + "\"/>";
    if (colors.has(f.colorIndex)) x += "<color rgb=\"" + Argb(colors, f.colorIndex) + "\"/>";
    x += "<name val=\"" + Escaped(f.name) + "\"/><charset val=\"134\"/></font>";
  }
  x += "</fonts><fills count=\"" + std::to_string(fills_.size()) + "\">";
  auto color = [&](const char* element, int index) {
    return colors.has(index) ? std::string("<") + element + " rgb=\"" + Argb(colors, index) + "\"/>"
                                     : std::string("<") + element + " indexed=\"64\"/>";
  };
  for (std::size_t i = 0; i < fills_.size(); ++i) {
    const host::Fill& fill = fills_[i];
    if (i == 0) x += "<fill><patternFill patternType=\"none\"/></fill>";
    else if (i == 1) x += "<fill><patternFill patternType=\"gray125\"/></fill>";
    else
      x += "<fill><patternFill patternType=\"" + Escaped(fill.pattern.empty() ? "solid" : fill.pattern) + "\">" +
           color("fgColor", fill.colorIndex) + color("bgColor", fill.patternColorIndex) + "</patternFill></fill>";
  }
  x += "</fills><borders count=\"" + std::to_string(borders_.size()) + "\">";
  for (const Border& b : borders_) {
    if (std::any_of(b.edges.begin(), b.edges.end(), [](const host::BorderEdge& e) { return !e.style.empty(); })) {
      x += "<border>";
      const char* names[] = {"left", "right", "top", "bottom"};
      for (std::size_t e = 0; e < 4; ++e) {
        const host::BorderEdge& edge = b.edges[e];
        if (edge.style.empty()) x += std::string("<") + names[e] + "/>";
        else
          x += std::string("<") + names[e] + " style=\"" + Escaped(edge.style) + "\">" + color("color", edge.colorIndex) +
               "</" + names[e] + ">";
      }
      x += "<diagonal/></border>";
      continue;
    }
    const char* line = LineStyleName(b.line);
    if (!line) {
      x += "<border><left/><right/><top/><bottom/><diagonal/></border>";
      continue;
    }
    std::string edge = std::string(" style=\"") + line + "\"><color indexed=\"64\"/>";
    x += "<border><left" + edge + "</left><right" + edge + "</right><top" + edge + "</top><bottom" + edge +
         "</bottom><diagonal/></border>";
  }
  x += "</borders><cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>";
  x += "<cellXfs count=\"" + std::to_string(xfs_.size()) + "\">";
  for (const Xf& f : xfs_) {
    x += "<xf numFmtId=\"" + std::to_string(f.numFmt) + "\" fontId=\"" + std::to_string(f.font) + "\" fillId=\"" +
         std::to_string(f.fill) + "\" borderId=\"" + std::to_string(f.border) + "\" xfId=\"0\"";
    if (f.numFmt) x += " applyNumberFormat=\"1\"";
    x += " applyFont=\"1\"";
    if (f.fill) x += " applyFill=\"1\"";
    if (f.border) x += " applyBorder=\"1\"";
    const char* h = HorizontalName(f.horizontal);
    const char* v = VerticalName(f.vertical);
    const bool aligned = h || v || f.wrap || f.rotation || f.indent || f.shrinkToFit;
    const bool guarded = !f.locked || f.formulaHidden;
    if (!aligned && !guarded) {
      x += "/>";
      continue;
    }
    if (aligned) x += " applyAlignment=\"1\"";
    if (guarded) x += " applyProtection=\"1\"";
    x += ">";
    if (aligned) {
      x += "<alignment";
      if (h) x += std::string(" horizontal=\"") + h + "\"";
      if (v) x += std::string(" vertical=\"") + v + "\"";
      if (f.rotation) x += " textRotation=\"" + std::to_string(f.rotation) + "\"";
      if (f.wrap) x += " wrapText=\"1\"";
      if (f.indent) x += " indent=\"" + std::to_string(f.indent) + "\"";
      if (f.shrinkToFit) x += " shrinkToFit=\"1\"";
      x += "/>";
    }
    if (guarded)
      x += std::string("<protection") + (f.locked ? "" : " locked=\"0\"") + (f.formulaHidden ? " hidden=\"1\"" : "") +
           "/>";
    x += "</xf>";
  }
  x += "</cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>";
  x += dxfs;
  x += "<colors><indexedColors>";
  for (host::Rgb c : kFixedColors) x += "<rgbColor rgb=\"" + Argb(c) + "\"/>";
  for (host::Rgb c : colors.palette) x += "<rgbColor rgb=\"" + Argb(c) + "\"/>";
  x += "</indexedColors></colors></styleSheet>";
  return x;
}

StyleSheetContent ReadStyleSheet(const pugi::xml_node& root, const ThemeColors& theme) {
  StyleSheetContent out;
  out.theme = theme;

  if (auto colors = root.child("colors").child("indexedColors")) {
    int i = 0;
    for (auto c : colors.children("rgbColor")) {
      if (i >= 8 && i < 64) {
        out.colors.palette[static_cast<std::size_t>(i - 8)] =
            static_cast<host::Rgb>(std::strtoul(c.attribute("rgb").value(), nullptr, 16) & 0xFFFFFF);
        out.customPalette = true;
      }
      ++i;
    }
  }

  std::map<int, std::string> codes;
  for (auto f : root.child("numFmts").children("numFmt"))
    codes[f.attribute("numFmtId").as_int()] = f.attribute("formatCode").value();

  std::vector<host::Font> fonts;
  for (auto f : root.child("fonts").children("font")) {
    host::Font font;
    if (auto n = f.child("name")) font.name = n.attribute("val").value();
    if (auto s = f.child("sz")) font.size = s.attribute("val").as_double(11);
    auto flag = [&](const char* name) {
      auto n = f.child(name);
      return n && (n.attribute("val").empty() || n.attribute("val").as_bool());
    };
    font.bold = flag("b");
    font.italic = flag("i");
    font.strikethrough = flag("strike");
    if (auto u = f.child("u")) {
      font.underline = UnderlineFromName(u.attribute("val").value());
    }
    if (int c = ColorIndexOf(f.child("color"), out.colors, theme)) font.colorIndex = c;
    fonts.push_back(font);
  }
  std::vector<host::Fill> fills;
  for (auto f : root.child("fills").children("fill")) {
    if (f.child("gradientFill")) out.notCarried.insert("渐变填充");
    auto pattern = f.child("patternFill");
    std::string type = pattern.attribute("patternType").value();
    host::Fill fill;
    if (!type.empty() && type != "none") {
      fill.colorIndex = ColorIndexOf(pattern.child("fgColor"), out.colors, theme);
      if (type != "solid") {
        fill.pattern = type;
        fill.patternColorIndex = ColorIndexOf(pattern.child("bgColor"), out.colors, theme);
      }
    }
    fills.push_back(fill);
  }
  struct FileBorder {
    BorderLine line = BorderLine::None;
    std::array<host::BorderEdge, 4> edges;
  };
  std::vector<FileBorder> borders;
  for (auto b : root.child("borders").children("border")) {
    FileBorder border;
    const char* names[] = {"left", "right", "top", "bottom"};
    for (std::size_t e = 0; e < 4; ++e) {
      auto edge = b.child(names[e]);
      border.edges[e] = {edge.attribute("style").value(), ColorIndexOf(edge.child("color"), out.colors, theme)};
    }
    host::Format drawn;
    SetBorderEdges(drawn, border.edges);
    border.line = drawn.border;
    border.edges = drawn.edges;
    if (b.child("diagonal").attribute("style")) out.notCarried.insert("斜线边框");
    borders.push_back(border);
  }

  auto pick = [](const auto& list, int i, auto fallback) {
    return i >= 0 && i < static_cast<int>(list.size()) ? list[static_cast<std::size_t>(i)] : fallback;
  };
  for (auto xf : root.child("cellXfs").children("xf")) {
    host::Format f;
    int id = xf.attribute("numFmtId").as_int();
    f.numberFormat = codes.count(id) ? codes[id] : BuiltInNumberFormat(id);
    if (f.numberFormat == "General") f.numberFormat = host::kGeneralFormat;
    f.font = pick(fonts, xf.attribute("fontId").as_int(), host::Font{});
    f.fill = pick(fills, xf.attribute("fillId").as_int(), host::Fill{});
    const FileBorder border = pick(borders, xf.attribute("borderId").as_int(), FileBorder{});
    f.border = border.line;
    f.edges = border.edges;
    auto align = xf.child("alignment");
    f.horizontalAlignment = HorizontalAlignmentFromName(align.attribute("horizontal").value());
    f.verticalAlignment = VerticalAlignmentFromName(align.attribute("vertical").value());
    f.wrapText = align.attribute("wrapText").as_bool();
    f.textRotation = align.attribute("textRotation").as_int();
    f.indent = std::clamp(align.attribute("indent").as_int(), 0, 250);
    f.shrinkToFit = align.attribute("shrinkToFit").as_bool();
    f.locked = xf.child("protection").attribute("locked").as_bool(true);
    f.formulaHidden = xf.child("protection").attribute("hidden").as_bool();
    out.cellFormats.push_back(f);
  }
  if (out.cellFormats.empty()) out.cellFormats.emplace_back();
  return out;
}

}  // namespace tavo::xlsx
