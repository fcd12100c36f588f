// "进退步": per class and field how the students moved since the earlier
// exam, per student the ranks and T scores of both exams and the largest
// moves marked, and the students that could not be matched with the reason.
// Without pupil ranks ("不排名") the student table shows T scores only.
#pragma once

#include <string>
#include <vector>

#include "host/grid.h"
#include "reports/compute/exam_matching.h"
#include "reports/compute/progress_statistics.h"
#include "reports/compute/score_data.h"
#include "reports/sheets/sheet_plan.h"

namespace tavo::reports {

inline constexpr const char* kProgressSheet = "进退步";

// What the plan shows of the two exams.
struct ExamComparison {
  std::string earlierFile;
  bool noRanks = false;
  int marks = 0;
  ExamMatch match;
  std::vector<FieldProgress> fields;             // data.fields' order
  std::vector<std::string> identityHeaders;      // 考号/学号/姓名 shown
  std::vector<std::vector<host::Value>> identity;  // [column][current student]
  std::vector<StudentKey> earlierKeys;           // for the unmatched list
};

struct ProgressPlan {
  SheetPlan frame;
  int firstStudentRow = 0;
  int studentColumns = 0;
};
ProgressPlan PlanProgressSheet(const std::string& dataWorkbookName, const ScoreData&, const ExamComparison&);

// The student table's columns in the order its rows are written, so that a
// band of rows reads each column in sequence: a province's columns read in
// the data's order would be a cache miss a cell.
struct ProgressTable {
  bool noRanks = false;
  std::vector<host::Value> classCells;             // each distinct class cell once
  std::vector<int> classIds;                       // [row], into classCells
  std::vector<std::vector<host::Value>> identity;  // [column][row]
  std::vector<FieldProgress> fields;               // [field], each [row]
};
// Takes the comparison's per-student columns, a column at a time.
ProgressTable ProgressTableInReportOrder(const ScoreData&, ExamComparison&&);
// Rows first..first+rows-1 of the student table.
host::Grid ProgressRows(const ProgressTable&, int first, int rows);

}  // namespace tavo::reports
