#include "reports/compute/borderline.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "reports/compute/distribution.h"
#include "reports/compute/score_table.h"

namespace tavo::reports {

Borderline FindBorderline(const std::vector<double>& scores, const std::vector<int>& sat, double line,
                          const Margin& margin) {
  auto score = [&](int s) { return scores[static_cast<std::size_t>(s)]; };
  const auto firstBelow = std::partition_point(sat.begin(), sat.end(), [&](int s) { return score(s) >= line; });
  Borderline b;
  if (!margin.byPlaces) {
    for (auto it = firstBelow; it != sat.end() && score(*it) >= line - margin.amount; ++it) b.below.push_back(*it);
    for (auto it = firstBelow; it != sat.begin() && score(*(it - 1)) < line + margin.amount; --it)
      b.above.push_back(*(it - 1));
    return b;
  }
  const auto places = static_cast<std::ptrdiff_t>(std::max(0.0, margin.amount));
  // Below: `places` students, and any who tie the last of them.
  for (auto it = firstBelow; it != sat.end(); ++it) {
    if (it - firstBelow >= places && !(it != firstBelow && score(*it) == score(*(it - 1)))) break;
    b.below.push_back(*it);
  }
  for (auto it = firstBelow; it != sat.begin(); --it) {
    if (firstBelow - it >= places && !(it != firstBelow && score(*(it - 1)) == score(*it))) break;
    b.above.push_back(*(it - 1));
  }
  return b;
}

std::vector<Margin> FieldMargins(const Margin& total, const std::vector<double>& lineScores) {
  std::vector<Margin> margins(lineScores.size(), total);
  if (total.byPlaces || lineScores.empty() || !(lineScores[0] > 0)) return margins;
  for (std::size_t f = 1; f < lineScores.size(); ++f)
    margins[f].amount = std::max(0.0, RoundHalfUp(total.amount * lineScores[f] / lineScores[0], 1));
  return margins;
}

LineBorderline FindLineBorderline(std::string name, const std::vector<std::vector<double>>& scores,
                                  const std::vector<std::vector<int>>& ranked, const std::vector<double>& lineScores,
                                  const Margin& totalMargin, const std::vector<int>& order) {
  LineBorderline out;
  out.name = std::move(name);
  out.lineScores = lineScores;
  out.margins = FieldMargins(totalMargin, lineScores);
  // Each student's place in the list, -1 for none.
  std::vector<int> listed(order.size(), -1);
  for (std::size_t f = 0; f < scores.size(); ++f) {
    out.fields.push_back(FindBorderline(scores[f], ranked[f], lineScores[f], out.margins[f]));
    for (const std::vector<int>* side : {&out.fields.back().below, &out.fields.back().above})
      for (int s : *side) listed[static_cast<std::size_t>(s)] = 0;
  }
  for (int s : order)
    if (listed[static_cast<std::size_t>(s)] == 0) {
      listed[static_cast<std::size_t>(s)] = static_cast<int>(out.students.size());
      out.students.push_back(s);
    }
  out.gaps.assign(out.students.size() * scores.size(), std::numeric_limits<double>::quiet_NaN());
  for (std::size_t f = 0; f < scores.size(); ++f)
    for (const std::vector<int>* side : {&out.fields[f].below, &out.fields[f].above})
      for (int s : *side) {
        const auto at = static_cast<std::size_t>(listed[static_cast<std::size_t>(s)]) * scores.size() + f;
        // Rounded: 87.3 - 90 is no -2.7000000000000028 to a teacher.
        out.gaps[at] = RoundHalfUp(scores[f][static_cast<std::size_t>(s)] - lineScores[f], 6);
      }
  return out;
}

std::vector<std::vector<BorderlineCount>> CountBorderline(const LineBorderline& line, const std::vector<int>& classOf,
                                                          int classes) {
  std::vector<std::vector<BorderlineCount>> counts(static_cast<std::size_t>(classes),
                                                   std::vector<BorderlineCount>(line.fields.size()));
  for (std::size_t f = 0; f < line.fields.size(); ++f) {
    for (int s : line.fields[f].below)
      if (const int c = classOf[static_cast<std::size_t>(s)]; c >= 0) ++counts[static_cast<std::size_t>(c)][f].below;
    for (int s : line.fields[f].above)
      if (const int c = classOf[static_cast<std::size_t>(s)]; c >= 0) ++counts[static_cast<std::size_t>(c)][f].above;
  }
  return counts;
}

}  // namespace tavo::reports
