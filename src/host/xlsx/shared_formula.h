// A filled-down ("shared") formula as files store it: the text once, in its
// first cell, for every cell of a range. Each cell's own text is that text
// with its relative references moved by the cell's offset, worked out on
// the text itself, so that formulas the model cannot read come back whole.
#pragma once

#include <string>
#include <string_view>

namespace tavo::xlsx {

// The A1 formula text (without "=") moved by `rows` and `columns`: relative
// rows and columns of cell references, ranges, whole rows ("3:5") and whole
// columns ("B:C") shift, those marked "$" stay; strings, sheet names,
// function names and other names stay as they are. A reference moved off the
// sheet becomes "#REF!", as the spreadsheet writes it.
std::string ShiftedFormula(std::string_view text, int rows, int columns);

}  // namespace tavo::xlsx
