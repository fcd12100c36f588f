// A sheet as a text table for the terminal.
#pragma once

#include <ostream>

#include "host/worksheet.h"

namespace tavo::cli {

// The used range, a row per line, columns padded to their widest display
// text (a CJK character takes two places); hidden rows and columns left out.
void PrintSheet(const host::Worksheet&, std::ostream&);

// Display width of UTF-8 text on a terminal.
int DisplayWidth(const std::string&);

}  // namespace tavo::cli
