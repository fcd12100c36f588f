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

struct Font {
  std::string name = "宋体";
  double size = 11;
  bool bold = false;
  int underline = code::kNone;
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
  int fillColorIndex = code::kNone;
  int borderLineStyle = code::kNone;  // the same line on all four edges
  int horizontalAlignment = code::kGeneral;
  int verticalAlignment = code::kBottom;
  std::string numberFormat = "G/通用格式";
  // What files carry beyond the commands' own formats, kept so that a
  // teacher's sheets come back as they were. Edges left, right, top, bottom
  // as drawn when any is set (else borderLineStyle draws all four); a
  // fill's pattern other than solid and the pattern's colour.
  std::array<BorderEdge, 4> edges = {};
  std::string fillPattern = {};
  int fillPatternColorIndex = 0;
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
  std::optional<int> underline;
  std::optional<int> fontColorIndex;
  std::optional<int> fillColorIndex;
  std::optional<int> borderLineStyle;
  std::optional<int> horizontalAlignment;
  std::optional<int> verticalAlignment;
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
    p.fillColorIndex = f.fillColorIndex;
    p.borderLineStyle = f.borderLineStyle;
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
    if (fillColorIndex) {
      f.fillColorIndex = *fillColorIndex;
      f.fillPattern.clear();
      f.fillPatternColorIndex = 0;
    }
    if (borderLineStyle) {
      f.borderLineStyle = *borderLineStyle;
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
  std::optional<int> underline = {};
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
