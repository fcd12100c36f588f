// The styles part: formats, and the workbook's palette as the file's
// indexed colours (file index = palette index + 7; 0-7 are fixed colours).
#pragma once

#include <pugixml.hpp>

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

#include "host/format.h"
#include "host/xlsx/color_index.h"

namespace tavo::xlsx {

inline constexpr int kIndexedOffset = 7;

// Builds styles.xml while the sheets are written: each distinct format
// (with or without text wrapping) becomes one cell format.
class StyleSheetWriter {
 public:
  explicit StyleSheetWriter(const host::Format& defaultFormat);
  int cellFormat(const host::Format&, bool wrap = false);
  // `dxfs`: the differential formats a file's conditional formats index,
  // carried as the file held them.
  std::string xml(const host::ColorTable&, const std::string& dxfs = "") const;

 private:
  int numberFormat(const std::string&);
  template <class T>
  static int indexOf(std::vector<T>& list, const T& item);

  struct Border {
    host::BorderLine line;
    std::array<host::BorderEdge, 4> edges = {};
    bool operator==(const Border&) const = default;
  };
  struct Xf {
    int numFmt, font, fill, border;
    host::HorizontalAlignment horizontal;
    host::VerticalAlignment vertical;
    bool wrap;
    int rotation;
    int indent;
    bool shrinkToFit, locked, formulaHidden;
    bool operator==(const Xf&) const = default;
  };
  struct FormatHash {
    std::size_t operator()(const std::pair<host::Format, bool>&) const;
  };
  std::vector<host::Font> fonts_;
  std::vector<host::Fill> fills_;
  std::vector<Border> borders_;
  std::vector<std::pair<int, std::string>> customFormats_;
  std::vector<Xf> xfs_;
  std::unordered_map<std::pair<host::Format, bool>, int, FormatHash> cache_;
};

// What the reader takes from styles.xml: the format of every cell format
// index, and the palette when the file carries its own. An empty node (no
// styles part) gives the classic palette and one default format.
struct StyleSheetContent {
  std::vector<host::Format> cellFormats;
  host::ColorTable colors;
  ThemeColors theme;
  bool customPalette = false;
  std::set<std::string> notCarried;  // formats the model cannot keep, by name
};
StyleSheetContent ReadStyleSheet(const pugi::xml_node& styleSheet, const ThemeColors& theme = DefaultThemeColors());

// Built-in number formats by id, in the host's local spelling.
std::string BuiltInNumberFormat(int id);

// A cell's four edges as files draw them (left, right, top, bottom, by the
// files' line names).
void SetBorderEdges(host::Format&, const std::array<host::BorderEdge, 4>& edges);
// Alignment by the files' names ("center", "top", ...).
host::HorizontalAlignment HorizontalAlignmentFromName(std::string_view);
host::VerticalAlignment VerticalAlignmentFromName(std::string_view);
// An underline by the files' names ("single", "double", "none", ...).
host::Underline UnderlineFromName(std::string_view);

}  // namespace tavo::xlsx
