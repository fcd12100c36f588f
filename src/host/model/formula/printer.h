// Formula tree back to text, in R1C1 (relative to the formula's cell) or A1.
#pragma once

#include <functional>
#include <string>

#include "host/model/formula/ast.h"
#include "host/model/formula/parser.h"

namespace tavo::model {

using SheetNamer = std::function<std::string(const Sheet*)>;

// `own` is the sheet that holds the formula: references to it print unqualified.
std::string printFormula(const Node& root, Notation, host::Cell at, const Sheet* own,
                         const SheetNamer& nameOf);

}  // namespace tavo::model
