// Cell formats as the commands set and read them, and the palette.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/constants.h"

namespace tavo::host {

// A colour as 0xRRGGBB.
using Rgb = std::uint32_t;

inline constexpr Rgb rgb(int r, int g, int b) {
  return static_cast<Rgb>((r << 16) | (g << 8) | b);
}

// The classic palette: index 1..56.
std::array<Rgb, 56> classicPalette();

// The colours a workbook's cells name by index: the palette's 56, then the
// exact colours files gave that the palette lacks (57 on), so that a file's
// colours come back as they were.
struct ColorTable {
  std::array<Rgb, 56> palette = classicPalette();
  std::vector<Rgb> fileColors = {};
  bool has(int index) const { return index >= 1 && index <= 56 + static_cast<int>(fileColors.size()); }
  Rgb at(int index) const;  // black for an index the table lacks
  // The palette's entry of that colour, else its file colour (added when new).
  int indexOf(Rgb);
  friend bool operator==(const ColorTable&, const ColorTable&) = default;
};

enum class Underline { None, Single, Double };

// Where text sits across its cell, and up and down. CenterAcrossSelection
// centres over the blank cells to its right.
enum class HorizontalAlignment { General, Left, Center, Right, Fill, Justify, CenterAcrossSelection, Distributed };
enum class VerticalAlignment { Top, Center, Bottom, Justify, Distributed };

// The line a command draws on every edge of each cell of a range.
enum class BorderLine { None, Continuous, Dashed, Dotted, Double };

// A cell's background: none, or a colour of the workbook's table, solid or
// (as files draw it) in a pattern such as "darkGrid" with a second colour.
struct Fill {
  int colorIndex = 0;        // 0: no colour
  std::string pattern = {};  // empty: solid
  int patternColorIndex = 0;
  static Fill Solid(int colorIndex) { return {colorIndex}; }
  bool none() const { return colorIndex == 0 && pattern.empty(); }
  friend bool operator==(const Fill&, const Fill&) = default;
};

struct Font {
  std::string name = "宋体";
  double size = 11;
  bool bold = false;
  Underline underline = Underline::None;
  int colorIndex = 1;
  bool italic = false;
  bool strikethrough = false;
  friend bool operator==(const Font&, const Font&) = default;
};

// One edge of a border as files draw it: the line's name ("thin", "medium",
// "dashDot", ...) and colour (0: automatic).
struct BorderEdge {
  std::string style;
  int colorIndex = 0;
  friend bool operator==(const BorderEdge&, const BorderEdge&) = default;
};

struct Format {
  Font font;
  Fill fill;
  BorderLine border = BorderLine::None;  // the same line on all four edges
  HorizontalAlignment horizontalAlignment = HorizontalAlignment::General;
  VerticalAlignment verticalAlignment = VerticalAlignment::Bottom;
  std::string numberFormat = "G/通用格式";
  // What files carry beyond the commands' own formats, kept so that a
  // teacher's sheets come back as they were. Edges left, right, top, bottom
  // as drawn when any is set (else `border` draws all four).
  std::array<BorderEdge, 4> edges = {};
  bool wrapText = false;
  int textRotation = 0;
  int indent = 0;
  bool shrinkToFit = false;
  bool locked = true;          // under the sheet's protection
  bool formulaHidden = false;  // likewise
  friend bool operator==(const Format&, const Format&) = default;
};

inline constexpr const char* kGeneralFormat = "G/通用格式";
inline constexpr const char* kTextFormat = "@";

// Only the parts that are set change; a range assignment of one property.
struct FormatPatch {
  std::optional<std::string> fontName;
  std::optional<double> fontSize;
  std::optional<bool> bold;
  std::optional<Underline> underline;
  std::optional<int> fontColorIndex;
  std::optional<Fill> fill;
  std::optional<BorderLine> border;
  std::optional<HorizontalAlignment> horizontalAlignment;
  std::optional<VerticalAlignment> verticalAlignment;
  std::optional<std::string> numberFormat;

  // Every field a command sets, as `f` holds it: what a paste of formats
  // carries.
  static FormatPatch whole(const Format& f) {
    FormatPatch p;
    p.fontName = f.font.name;
    p.fontSize = f.font.size;
    p.bold = f.font.bold;
    p.underline = f.font.underline;
    p.fontColorIndex = f.font.colorIndex;
    p.fill = Fill::Solid(f.fill.colorIndex);
    p.border = f.border;
    p.horizontalAlignment = f.horizontalAlignment;
    p.verticalAlignment = f.verticalAlignment;
    p.numberFormat = f.numberFormat;
    return p;
  }

  void applyTo(Format& f) const {
    if (fontName) f.font.name = *fontName;
    if (fontSize) f.font.size = *fontSize;
    if (bold) f.font.bold = *bold;
    if (underline) f.font.underline = *underline;
    if (fontColorIndex) f.font.colorIndex = *fontColorIndex;
    // A command's fill or border replaces whatever the file drew.
    if (fill) f.fill = *fill;
    if (border) {
      f.border = *border;
      f.edges = {};
    }
    if (horizontalAlignment) f.horizontalAlignment = *horizontalAlignment;
    if (verticalAlignment) f.verticalAlignment = *verticalAlignment;
    if (numberFormat) f.numberFormat = *numberFormat;
  }
};

// A character run inside a text cell with its own font size or name;
// start is 1-based and counts characters (code points), as the host does.
// Characters of a cell's text set apart from the cell's font; what is not
// given is the cell's.
struct TextRun {
  int start = 1;
  int length = 0;
  std::optional<double> fontSize = {};
  std::optional<std::string> fontName = {};
  std::optional<bool> bold = {}, italic = {}, strikethrough = {};
  std::optional<Underline> underline = {};
  std::optional<Rgb> color = {};
  int raised = 0;  // 1 superscript, -1 subscript
  friend bool operator==(const TextRun&, const TextRun&) = default;
};

struct Validation {
  int type = code::kValidateInputOnly;
  int alertStyle = code::kAlertStop;
  int op = code::kBetween;
  std::string formula1 = {};
  bool ignoreBlank = true;
  std::string inputMessage = {};
  friend bool operator==(const Validation&, const Validation&) = default;
};

}  // namespace tavo::host
