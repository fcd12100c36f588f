// Everything a user can see of a model sheet, for comparing two states.
#pragma once

#include <map>
#include <optional>
#include <sstream>
#include <string>

#include "host/model/sheet.h"

namespace tavo::testing {

struct SheetSnapshot {
  std::map<std::pair<int, int>, std::string> cells;  // value, formula, format, validation
  std::map<int, double> rowHeights, columnWidths;
  double defaultRowHeight = 0, defaultColumnWidth = 0;
  bool operator==(const SheetSnapshot&) const = default;

  // The used range and a margin around it.
  static SheetSnapshot of(const model::Sheet& s, int margin = 3) {
    SheetSnapshot snap;
    host::Rect used = s.usedRange();
    for (int r = 1; r <= used.bottom + margin; ++r)
      for (int c = 1; c <= used.right + margin; ++c) {
        host::Cell at{r, c};
        std::ostringstream o;
        const host::Format f = s.format(at);
        o << s.formulaR1C1(at) << '|' << f.font.name << ',' << f.font.size << ',' << f.font.bold << ','
          << static_cast<int>(f.font.underline) << ',' << f.font.colorIndex << ',' << f.fill.colorIndex << ','
          << f.fill.pattern << ',' << static_cast<int>(f.border) << ',' << static_cast<int>(f.horizontalAlignment)
          << ',' << static_cast<int>(f.verticalAlignment) << ',' << f.numberFormat;
        if (auto v = s.validation(at))
          o << "|v" << v->type << ',' << v->alertStyle << ',' << v->op << ',' << v->formula1 << ','
            << v->ignoreBlank << ',' << v->inputMessage;
        snap.cells[{r, c}] = o.str();
      }
    snap.rowHeights = s.rowHeights();
    snap.columnWidths = s.columnWidths();
    snap.defaultRowHeight = s.defaultRowHeight();
    snap.defaultColumnWidth = s.defaultColumnWidth();
    return snap;
  }

  // The first difference, for a readable failure.
  static std::string diff(const SheetSnapshot& a, const SheetSnapshot& b) {
    for (const auto& [at, text] : a.cells) {
      auto it = b.cells.find(at);
      std::string other = it == b.cells.end() ? "(absent)" : it->second;
      if (other != text)
        return "cell (" + std::to_string(at.first) + "," + std::to_string(at.second) + "): " + text +
               " vs " + other;
    }
    if (a.cells.size() != b.cells.size()) return "extent differs";
    if (a.rowHeights != b.rowHeights) return "row heights differ";
    if (a.columnWidths != b.columnWidths) return "column widths differ";
    return a == b ? "" : "defaults differ";
  }
};

}  // namespace tavo::testing
