// Formula text to tree, in R1C1 or A1 notation. Relative references are
// resolved against the formula's own cell.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "host/model/formula/ast.h"

namespace tavo::model {

enum class Notation { R1C1, A1 };

// Finds a sheet of the formula's workbook by name; nullptr when absent.
using SheetResolver = std::function<const Sheet*(std::string_view)>;

struct ParseResult {
  NodePtr root;       // set on success
  std::string error;  // why it failed otherwise
};

// `text` starts with '='.
ParseResult parseFormula(std::string_view text, Notation, host::Cell at,
                         const SheetResolver& resolveSheet);

}  // namespace tavo::model
