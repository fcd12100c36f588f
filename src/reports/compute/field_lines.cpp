#include "reports/compute/field_lines.h"

#include "reports/compute/line_statistics.h"

namespace tavo::reports {

std::vector<FieldLines> CountFieldLines(const ScoreData& data, const std::vector<std::vector<double>>& lineScores) {
  const std::vector<GradeWide> grade = GradeWideCounts(data, lineScores);
  std::vector<FieldLines> out;
  for (std::size_t s = 0; s < data.fields.size(); ++s)
    out.push_back({lineScores[0][s], lineScores[1][s], grade[s].best, grade[s].atOrAbove[0], grade[s].atOrAbove[1]});
  return out;
}

}  // namespace tavo::reports
