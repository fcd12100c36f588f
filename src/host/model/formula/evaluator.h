// Evaluation with the desktop spreadsheet's semantics for the functions and
// operators the model knows.
#pragma once

#include <functional>
#include <vector>

#include "host/model/formula/ast.h"

namespace tavo::model {

// What the evaluator needs from the workbook. Sheets are never nullptr here.
class EvalContext {
 public:
  virtual ~EvalContext() = default;
  // The current value of a cell, formulas evaluated.
  virtual host::Value cell(const Sheet*, host::Cell) = 0;
  // Every non-empty cell value inside the rectangle, in any order.
  virtual void forEachValue(const Sheet*, const host::Rect&,
                            const std::function<void(const host::Value&)>&) = 0;
  // The numbers of the rectangle sorted ascending; may be cached by the caller.
  virtual const std::vector<double>& sortedNumbers(const Sheet*, const host::Rect&) = 0;
};

// `root` of the formula in cell `at` of sheet `own`.
host::Value evaluate(const Node& root, const Sheet* own, host::Cell at, EvalContext&);

}  // namespace tavo::model
