#include "reports/compute/progress_statistics.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "reports/compute/score_table.h"

namespace tavo::reports {

namespace {

// The least of the `marks` largest positive values: those at or above it are
// marked, ties at the edge included; infinite when none is positive.
double MarkingEdge(const std::vector<double>& values, int marks) {
  std::vector<double> positive;
  for (double x : values)
    if (x > 0) positive.push_back(x);
  if (positive.empty() || marks <= 0) return INFINITY;
  const std::size_t k = std::min(static_cast<std::size_t>(marks), positive.size());
  std::nth_element(positive.begin(), positive.begin() + static_cast<std::ptrdiff_t>(k - 1), positive.end(),
                   std::greater<>());
  return positive[k - 1];
}

}  // namespace

FieldProgress CompareExams(const std::vector<double>& now, const std::vector<double>& before,
                           const std::vector<int>& earlierOf, int marks) {
  const StandardScores a = StandardiseScores(before), b = StandardiseScores(now);
  const std::size_t n = now.size();
  const double nan = std::nan("");
  FieldProgress p{std::vector<float>(n, std::nanf("")), std::vector<float>(n, std::nanf("")),
                  std::vector<double>(n, nan), std::vector<double>(n, nan), std::vector<std::int8_t>(n, 0)};
  for (std::size_t s = 0; s < n; ++s) {
    const int e = earlierOf[s];
    if (e < 0 || IsBlank(now[s]) || IsBlank(before[static_cast<std::size_t>(e)])) continue;
    const double then = before[static_cast<std::size_t>(e)];
    p.rankBefore[s] = static_cast<float>(a.placeOf(then));
    p.rankNow[s] = static_cast<float>(b.placeOf(now[s]));
    p.tBefore[s] = a.tOf(then);
    p.tNow[s] = b.tOf(now[s]);
  }
  // The largest rises, and (negated) the largest falls; a change of 0 is neither.
  std::vector<double> rises(n), falls(n);
  for (std::size_t s = 0; s < n; ++s) falls[s] = -(rises[s] = p.rankChange(s));
  const double rise = MarkingEdge(rises, marks), fall = MarkingEdge(falls, marks);
  for (std::size_t s = 0; s < n; ++s) {
    const double c = rises[s];
    if (c > 0 && c >= rise) p.marked[s] = 1;
    if (c < 0 && -c >= fall) p.marked[s] = -1;
  }
  return p;
}

FieldProgress InOrder(const FieldProgress& p, const std::vector<int>& order) {
  return {InOrder(p.rankBefore, order), InOrder(p.rankNow, order), InOrder(p.tBefore, order), InOrder(p.tNow, order),
          InOrder(p.marked, order)};
}

ClassProgress ProgressOfClass(const FieldProgress& p, const std::vector<int>& students) {
  ClassProgress c;
  for (int s : students) {
    const double change = p.rankChange(static_cast<std::size_t>(s));
    if (std::isnan(change)) continue;
    ++c.compared;
    c.meanRankChange += change;
    c.meanTChange += p.tChange(static_cast<std::size_t>(s));
    c.rose += change > 0;
    c.fell += change < 0;
  }
  if (c.compared) {
    c.meanRankChange /= c.compared;
    c.meanTChange /= c.compared;
  }
  return c;
}

}  // namespace tavo::reports
