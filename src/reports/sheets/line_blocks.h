// What the two line sheets share: a grade group's block of a header row,
// one row per class (class, student count, maximum, top average, the chosen
// counts from column 6, the teacher), the subtotal "合计" and a spacer.
#pragma once

#include <string>
#include <vector>

#include "reports/compute/line_statistics.h"
#include "reports/compute/score_data.h"
#include "reports/sheets/sheet_plan.h"

namespace tavo::reports {

inline constexpr int kFirstCountColumn = 6;

// Where a block of `classes` classes whose header stands in `header` puts
// its rows.
struct LineBlockRows {
  int header, firstClass, subtotal, spacer;
  LineBlockRows(int top, int classes)
      : header(top), firstClass(top + 1), subtotal(top + 1 + classes), spacer(top + 2 + classes) {}
  int lastClass() const { return subtotal - 1; }
};

void PutHeaders(SheetPlan&, int row, const std::vector<std::string>& headers, const std::string& key,
                const std::string& section = {});

// The group's classes in `order` (positions in the group) from
// `rows.firstClass`, the teacher in `teacherColumn`.
void PutClassRows(SheetPlan&, const LineBlockRows& rows, const ScoreData&, const LineStatistics&, const GradeGroup&,
                  std::size_t field, const std::vector<std::size_t>& counts, int teacherColumn,
                  const std::vector<int>& order, const std::string& section = {});
// The positions of a group's classes as the settings list them.
std::vector<int> SettingsOrder(const GradeGroup&);

// "合计": sums of the student count and the counts, the maximum, the
// average (also of `alsoAveraged`); the counts bold.
void PutSubtotal(SheetPlan&, const LineBlockRows& rows, const GradeGroup&, int counts,
                 const std::vector<int>& alsoAveraged = {}, const std::string& section = {});

// The spacer below a block: a blank the eye sees, one cell that keeps the
// finished table one region for a selection of it.
void PutSpacer(SheetPlan&, int row, const std::string& section = {});

// "共计" in `row`: the sum of the groups' subtotals in the student count and
// the counts, bold counts.
void PutGrandTotal(SheetPlan&, int row, const std::vector<int>& subtotalRows, int counts,
                   const std::string& section = {});

}  // namespace tavo::reports
