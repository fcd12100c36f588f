// "标准分与赋分": how each class stands against the grade (mean, mean Z,
// mean converted score, 超均率), the audit of every converted subject, and
// per student the raw score, Z, T and percentile rank of every field, with
// the grade and converted score of the converted subjects.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/grid.h"
#include "params/grade_schemes.h"
#include "reports/compute/score_data.h"
#include "reports/compute/standard_scores.h"
#include "reports/sheets/sheet_plan.h"

namespace tavo::reports {

inline constexpr const char* kStandardScoreSheet = "标准分与赋分";

struct FieldStandardScores {
  std::vector<double> scores;  // per student; blank for those who did not sit
  StandardScores standard;
  std::optional<ConvertedScores> converted;
};
// Every field of the data (the total first) from its scores of those who
// sat, converted where the settings say so.
std::vector<FieldStandardScores> ComputeStandardScores(const ScoreData&, std::vector<std::vector<double>> fieldScores,
                                                       const params::GradeScheme&,
                                                       const std::vector<std::string>& convertedSubjects);

// The class table and audits in full; the student table's header, with its
// rows left to StudentRows (a city's students are written in pieces).
struct StandardScorePlan {
  SheetPlan frame;
  int firstStudentRow = 0;
  int studentColumns = 0;
  std::vector<std::string> identityHeaders;  // the data's 考号/学号/姓名 columns shown
};
StandardScorePlan PlanStandardScoreSheet(const std::string& dataWorkbookName, const ScoreData&,
                                         const params::GradeScheme&, const std::vector<FieldStandardScores>&,
                                         const std::vector<std::string>& identityHeaders, bool noRanks);

// What the student table's rows need of a field: its scores in the report
// order, read in sequence a band at a time, and what each score tells (its
// Z, place, grade); the per-student columns are let go.
FieldStandardScores ForStudentRows(FieldStandardScores&&, const std::vector<int>& order);
// Students first..first+rows-1 of the report order as the student table's
// rows, from fields as ForStudentRows leaves them; `identity[c][student]`
// the cells of the identity columns. Without ranks the percentile rank is
// left out.
host::Grid StudentRows(const ScoreData&, const params::GradeScheme&, const std::vector<FieldStandardScores>&,
                       const std::vector<std::vector<host::Value>>& identity, bool noRanks, int first, int rows);

}  // namespace tavo::reports
