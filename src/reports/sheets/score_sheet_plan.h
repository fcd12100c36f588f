// "成绩表" as planned: every student of the data in the report order, a
// class rank and a grade rank right of each score, the scores at or above
// the lines marked with the layout store's two templates, a printed page per
// class. A city's students are too many to hold as values at once: the plan
// says where each column of the sheet comes from, and the writer fills the
// students' rows a piece at a time.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "reports/compute/field_lines.h"
#include "reports/sheets/sheet_plan.h"

namespace tavo::reports {

inline constexpr int kScoreSheetFirstStudentRow = 3;

// Rows first..last of the students.
struct RowRun {
  int first, last;
  friend bool operator==(const RowRun&, const RowRun&) = default;
};

struct ScoreSheetPlan {
  // The title, the header row's own texts, merges, formats, heights, page
  // breaks and print set-up.
  SheetPlan frame;
  std::vector<int> order;  // the student of each row from kScoreSheetFirstStudentRow
  // The data's own columns (header and cells, as they are): column of the
  // score table, column of the sheet.
  std::vector<std::pair<int, int>> copiedColumns;
  int classColumn = 0;     // of the sheet; the class keys stand where they differ from the cell
  std::vector<int> scoreColumn;  // [field]: the cleaned scores
  std::vector<int> rankColumn;   // [field]: the class rank, the grade rank right of it; empty without ranks
  // [field][template]: rows at or above line 1, and between the lines.
  std::vector<std::array<std::vector<RowRun>, 2>> marks;
};

// Without ranks (`noRanks`) no rank column is planned, nor any of the
// data's own rank columns, and the title says so; the order is the data's
// table.order, which the caller then sorts by class and name.
ScoreSheetPlan PlanScoreSheet(const std::string& dataWorkbookName, const ScoreData&, const std::vector<FieldLines>&,
                              bool noRanks = false);

}  // namespace tavo::reports
