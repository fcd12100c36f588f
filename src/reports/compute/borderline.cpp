#include "reports/compute/borderline.h"

#include <algorithm>

#include "reports/compute/score_table.h"

namespace tavo::reports {

Borderline FindBorderline(const std::vector<double>& scores, double line, const Margin& margin) {
  std::vector<int> sat;
  for (int s = 0; s < static_cast<int>(scores.size()); ++s)
    if (!IsBlank(scores[static_cast<std::size_t>(s)])) sat.push_back(s);
  auto score = [&](int s) { return scores[static_cast<std::size_t>(s)]; };
  // Best first; equal scores in the data's order.
  std::stable_sort(sat.begin(), sat.end(), [&](int a, int b) { return score(a) > score(b); });
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

}  // namespace tavo::reports
