// A sheet as a text table for the terminal.
#pragma once

#include <ostream>

#include "host/worksheet.h"

namespace tavo::cli {

// The used range, a row per line, columns padded to their widest display
// text (a CJK character takes two places); hidden rows and columns left out.
void PrintSheet(const host::Worksheet&, std::ostream&);

}  // namespace tavo::cli
