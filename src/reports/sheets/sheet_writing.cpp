#include "reports/sheets/sheet_writing.h"

#include "host/constants.h"

namespace tavo::reports {

using host::Cell;
using host::Rect;

std::string Lines(std::initializer_list<std::string> parts) {
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : kLf) + p;
  return out;
}

void Put(host::Worksheet& s, int row, int col, const host::Value& v) { s.setValue(Rect::of(Cell{row, col}), v); }

void Formula(host::Worksheet& s, const Rect& r, const std::string& r1c1) { s.setFormulaR1C1(r, r1c1); }

namespace {

// One format property over a rectangle.
template <class Set>
void Patch(host::Worksheet& s, const Rect& r, Set set) {
  host::FormatPatch p;
  set(p);
  s.applyFormat(r, p);
}

}  // namespace

void Bold(host::Worksheet& s, const Rect& r) {
  Patch(s, r, [](host::FormatPatch& p) { p.bold = true; });
}
void Fill(host::Worksheet& s, const Rect& r, int colorIndex) {
  Patch(s, r, [&](host::FormatPatch& p) { p.fillColorIndex = colorIndex; });
}
void Borders(host::Worksheet& s, const Rect& r) {
  Patch(s, r, [](host::FormatPatch& p) { p.borderLineStyle = host::xl::kContinuous; });
}
void NumberFormat(host::Worksheet& s, const Rect& r, const char* format) {
  Patch(s, r, [&](host::FormatPatch& p) { p.numberFormat = format; });
}
void FontSize(host::Worksheet& s, const Rect& r, double size) {
  Patch(s, r, [&](host::FormatPatch& p) { p.fontSize = size; });
}

void CentreAllCells(host::Worksheet& s, double fontSize, const char* fontName) {
  Patch(s, Rect::sheet(), [&](host::FormatPatch& p) {
    p.fontSize = fontSize;
    if (fontName) p.fontName = fontName;
    p.horizontalAlignment = host::xl::kCenter;
    p.verticalAlignment = host::xl::kCenter;
  });
}

std::string LeftInRow(int at, int column) { return "RC[-" + std::to_string(at - column) + "]"; }

std::string SumInRow(int at, const std::vector<int>& columns) {
  std::string sum = "=";
  for (int column : columns) sum += (sum.size() > 1 ? "+" : "") + LeftInRow(at, column);
  return sum;
}

std::string OverRowsAbove(const char* function, int n) {
  return std::string("=") + function + "(R[-" + std::to_string(n) + "]C:R[-1]C)";
}

std::optional<double> StoredHeight(const host::Worksheet& store, int layoutRow, int column) {
  host::Value v = store.value({layoutRow, column});
  if (v.isNumber()) return v.number();
  if (v.isText()) return host::parseDecimal(v.text());
  return std::nullopt;  // an empty store leaves the host's height
}

void SetRowHeight(host::Worksheet& s, int row, std::optional<double> h) {
  if (h) s.setRowHeight(row, row, *h);
}

void SetAllRowHeights(host::Worksheet& s, std::optional<double> h) {
  if (h) s.setRowHeight(1, host::kMaxRow, *h);
}

void FreezeRows(host::Application& app, int rows) {
  host::Window& window = app.activeWindow();
  window.setSplitRow(rows);
  window.setSplitColumn(0);
  window.setFreezePanes(true);
}

std::string FileStem(const std::string& fileName) {
  auto dot = fileName.rfind('.');
  return dot == std::string::npos || dot == 0 ? fileName : fileName.substr(0, dot);
}

}  // namespace tavo::reports
