// The two sheets of a line report: the total-score sheet ("总分1", "总分2"),
// one row per class, and the single-subject sheet ("单科1", "单科2"), one
// section per subject with teacher runs. The three-line and two-line
// reports build them with one algorithm each; their layouts say where the
// columns stand and what the titles count.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host/application.h"
#include "reports/compute/line_settings.h"
#include "reports/compute/line_statistics.h"
#include "reports/compute/score_data.h"

namespace tavo::reports {

// What a title says of one line: after "N线:score", each count's label
// and sum, e.g. {"上线:", 0}, {"双线:", 1}.
using TitleCounts = std::vector<std::vector<std::pair<std::string, std::size_t>>>;

struct TotalSheetLayout {
  std::string sheetName;
  int layoutRow;
  std::vector<std::string> headers;  // row 2, one per column
  std::vector<std::size_t> counts;   // the statistics' counts, shown from column 6
  int teacherColumn;                 // the head teacher
  std::vector<std::pair<int, std::string>> formulas;  // of every class row
  std::vector<int> subtotalAverages;  // averaged in the subtotal besides the average
  std::vector<int> twoDecimalColumns;
  std::vector<std::pair<int, double>> weightedColumns;  // hidden when the weight is 0
  int firstTeacherScoreColumn;  // from here to the last: deleted unless D13 is "是"
  TitleCounts titleCounts;
};

// Columns 5 to 5 + counts are averaged per teacher right before the teacher
// column; the weighted averages follow it, then their total and the rank.
struct SingleSheetLayout {
  std::string sheetName;
  int layoutRow;
  std::vector<std::string> headers;
  std::vector<std::size_t> counts;
  int teacherColumn;
  std::vector<double> weights;
  std::vector<int> oneDecimalColumns, twoDecimalColumns;
  TitleCounts titleCounts;
};

TotalSheetLayout ThreeLineTotalLayout(const LineSettings&);
SingleSheetLayout ThreeLineSingleLayout(const LineSettings&);
TotalSheetLayout TwoLineTotalLayout(const LineSettings&);
SingleSheetLayout TwoLineSingleLayout(const LineSettings&);

// "N1线:L1  N1上线:T1" and so on for each line of `field`, the parts of a
// line joined by `within`, the lines by three spaces.
std::string LinesOfTitle(const LineSettings&, const LineStatistics&, const TitleCounts&, std::size_t field,
                         const std::string& within);

}  // namespace tavo::reports
