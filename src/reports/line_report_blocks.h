// What the sheets of the line reports share: the first header columns, the
// class rows and subtotal of a block, and the staging of finished blocks.
#pragma once

#include <string>
#include <vector>

#include "host/worksheet.h"
#include "reports/line_settings.h"
#include "reports/line_statistics.h"
#include "reports/score_data.h"

namespace tavo::reports {

inline constexpr int kStagingColumn = 51;

// Rows 3 .. N + 2 of the build area in one write, the group's classes in
// `order` (positions in the group): class, student count, maximum, top
// average and the chosen counts of `field` from column 6, and the teacher
// in `teacherColumn`.
void WriteClassRows(host::Worksheet&, const ScoreData&, const LineStatistics&, const GradeGroup&, std::size_t field,
                    const std::vector<std::size_t>& counts, int teacherColumn, const std::vector<int>& order);
// The positions of a group's classes as the settings list them.
std::vector<int> SettingsOrder(const GradeGroup&);

// Row N + 3: "合计" with sums, the maximum and averages (also of the
// `alsoAveraged` columns); the counts bold.
void WriteSubtotal(host::Worksheet&, int n, int counts, const std::vector<int>& alsoAveraged = {});

// The block's region goes to the staging area at `staging`, a spacer below
// it, and the build area is cleared for the next block. Returns the next
// staging row.
int StageBlock(host::Worksheet&, int staging, int n, int columns);

}  // namespace tavo::reports
