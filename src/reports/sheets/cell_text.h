// The texts the plans put into cells: header lines, R1C1 formulas over
// named columns and rows, the data file's stem.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "host/value.h"

namespace tavo::reports {

inline constexpr const char* kLf = "\n";

// Header parts joined with line feeds.
std::string Lines(std::initializer_list<std::string> parts);

// "RC[-n]": the cell of `column`, left of a formula standing in `at`.
std::string LeftInRow(int at, int column);
// "=RC[-4]+RC[-3]+...": the sum of `columns` in a formula standing in `at`.
std::string SumInRow(int at, const std::vector<int>& columns);

// "=SUM(R[-3]C:R[-1]C)" and its kin over the N rows above.
std::string OverRowsAbove(const char* function, int n);

// A statistic that could not be had (NaN) stays an empty cell.
host::Value NumberOrEmpty(double);

// The file name without its extension: "期中.xlsx" gives "期中".
std::string FileStem(const std::string& fileName);

}  // namespace tavo::reports
