// "临界生": per line of the chosen settings sheet, how many students of each
// class and field stand just below and just above it; then the list of
// those students, line by line and class by class, with how far each is
// from the line in every field where they are borderline.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host/grid.h"
#include "reports/compute/borderline.h"
#include "reports/compute/score_data.h"
#include "reports/sheets/sheet_plan.h"

namespace tavo::reports {

inline constexpr const char* kBorderlineSheet = "临界生";

struct BorderlineLists {
  std::string linesSheet;  // the settings sheet of the lines
  bool byPlaces = false;
  std::vector<LineBorderline> lines;
  std::vector<std::string> identityHeaders;        // 考号/学号/姓名 shown
  std::vector<std::vector<host::Value>> identity;  // [column][student]
  std::vector<std::vector<double>> scores;         // [field][student], blank: did not sit
};

struct BorderlinePlan {
  SheetPlan frame;
  int firstListRow = 0;
  int listColumns = 0;
  std::vector<std::pair<int, int>> entries;  // the list's rows: line, place in the line's students
};
BorderlinePlan PlanBorderlineSheet(const std::string& dataWorkbookName, const ScoreData&, const BorderlineLists&);
// Entries first..first+rows-1 of the list as its rows.
host::Grid BorderlineRows(const ScoreData&, const BorderlineLists&, const std::vector<std::pair<int, int>>& entries,
                          int first, int rows);

}  // namespace tavo::reports
