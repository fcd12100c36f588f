// Small pieces the report sheets are written with.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/worksheet.h"

namespace tavo::reports {

inline constexpr const char* kLf = "\n";

// Header parts joined with line feeds.
std::string Lines(std::initializer_list<std::string> parts);

void Put(host::Worksheet&, int row, int col, const host::Value&);
// The R1C1 formula in every cell of the rectangle.
void Formula(host::Worksheet&, const host::Rect&, const std::string& r1c1);
void Bold(host::Worksheet&, const host::Rect&);
void Fill(host::Worksheet&, const host::Rect&, int colorIndex);
void Borders(host::Worksheet&, const host::Rect&);
void NumberFormat(host::Worksheet&, const host::Rect&, const char* format);
void FontSize(host::Worksheet&, const host::Rect&, double size);

// Every cell of the sheet centred both ways in the font size (and font).
void CentreAllCells(host::Worksheet&, double fontSize = 11, const char* fontName = nullptr);

// "RC[-n]": the cell of `column`, left of a formula standing in `at`.
std::string LeftInRow(int at, int column);
// "=RC[-4]+RC[-3]+...": the sum of `columns` in a formula standing in `at`.
std::string SumInRow(int at, const std::vector<int>& columns);

// "=SUM(R[-3]C:R[-1]C)" and its kin over the N rows above.
std::string OverRowsAbove(const char* function, int n);

// A height of the layout store, when the store holds one.
std::optional<double> StoredHeight(const host::Worksheet& store, int layoutRow, int column);
void SetRowHeight(host::Worksheet&, int row, std::optional<double>);
void SetAllRowHeights(host::Worksheet&, std::optional<double>);

// The active window split below `rows` rows, frozen there.
void FreezeRows(host::Application&, int rows);

// The file name without its extension: "期中.xlsx" gives "期中".
std::string FileStem(const std::string& fileName);

}  // namespace tavo::reports
