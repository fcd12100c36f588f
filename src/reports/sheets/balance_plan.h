// "分层与均衡": per class and field the mean, the spread, the coefficient
// of variation and 超均率 against the grade; then the layers, the best and
// the last N students by total of the grade and of each class.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "reports/compute/score_data.h"
#include "reports/sheets/sheet_plan.h"

namespace tavo::reports {

inline constexpr const char* kBalanceSheet = "分层与均衡";

struct BalanceReport {
  bool noRanks = false;  // the lists by class and name, without ranks
  int listSize = 10;
  // Borrowed from the caller, which keeps them for its other sheets.
  std::span<const std::vector<double>> scores;         // [field][student], blank: did not sit
  std::vector<std::string> identityHeaders;            // 考号/学号/姓名 shown
  std::span<const std::vector<host::Value>> identity;  // [column][student]
};

SheetPlan PlanBalanceSheet(const std::string& dataWorkbookName, const ScoreData&, const BalanceReport&);

}  // namespace tavo::reports
