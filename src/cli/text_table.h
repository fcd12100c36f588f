// A sheet as a text table for the terminal.
#pragma once

#include <ostream>

#include "host/model/sheet.h"

namespace tavo::cli {

// The rows and columns that hold something, a row per line, columns padded
// to their widest display text (a CJK character takes two places); hidden
// rows and columns left out, a run of empty rows shown as one empty line.
void PrintSheet(const model::Sheet&, std::ostream&);

}  // namespace tavo::cli
