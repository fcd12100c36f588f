// The sheets of the four-rates ("各科3") and assigned-score ("各科4")
// reports: one block of classes per field, with the average and four rates
// (single and double count of two lines) turned into weighted scores, their
// sum, teacher averages and ranks within the block, each teacher's classes
// together. The two sheets differ only in where the columns stand and how a
// rate becomes a score.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "host/platform.h"
#include "reports/compute/subject_block_statistics.h"
#include "reports/sheets/sheet_plan.h"

namespace tavo::reports {

enum class Weighting {
  Coefficient,  // the source times the weight
  PointsOfBest  // the source over the block's best, times the weight
};

struct SubjectBlocksLayout {
  std::string sheetName;
  int layoutRow;
  // Single and double count of line 1, then of line 2; each rate stands
  // right of its count.
  std::array<int, 4> countColumns;
  // The weighted scores of the average and of the four rates.
  std::array<int, 5> weightedColumns;
  Weighting weighting;
  std::vector<int> oneDecimalColumns, twoDecimalColumns;
  // Row 2, columns A to X, from the two line names.
  std::vector<std::string> (*headers)(const std::string& n1, const std::string& n2);
};

// The four-rates sheet: counts and rates, then the five weighted scores.
const SubjectBlocksLayout& FourRatesLayout();
// The assigned-score sheet: each indicator followed by its points of the best.
const SubjectBlocksLayout& AssignedScoreLayout();

// `today` dates the title.
SheetPlan SubjectBlocksSheetPlan(const std::string& dataWorkbookName, const host::Date& today, const ScoreData&,
                                 const LineSettings&, const SubjectBlockStatistics&, const SubjectBlocksLayout&);

}  // namespace tavo::reports
