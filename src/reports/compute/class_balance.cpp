#include "reports/compute/class_balance.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "reports/compute/distribution.h"
#include "reports/compute/score_table.h"

namespace tavo::reports {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

FieldBalance BalanceOfGroup(const std::vector<double>& scores, const std::vector<int>& students) {
  std::vector<double> sat;
  for (int s : students)
    if (const double x = scores[static_cast<std::size_t>(s)]; !IsBlank(x)) sat.push_back(x);
  FieldBalance b;
  b.sat = static_cast<int>(sat.size());
  b.mean = sat.empty() ? kNaN : Mean(sat);
  b.sd = sat.empty() ? kNaN : PopulationSd(sat);
  b.variation = b.mean != 0 ? b.sd / b.mean : kNaN;
  return b;
}

// The first `n` of `sat` in the order `before` puts them, with every later
// one that ties the n-th: all whose score is no worse than the n-th's, in
// that order, equal scores in the order of `sat`. The n-th is selected, not
// sorted for: the grade's list is a few of a province's students.
template <class Before>
std::vector<int> FirstWithTies(const std::vector<int>& sat, const std::vector<double>& scores, int n, Before before) {
  auto score = [&](int s) { return scores[static_cast<std::size_t>(s)]; };
  if (n <= 0 || sat.empty()) return {};
  std::vector<int> out;
  if (static_cast<std::size_t>(n) >= sat.size()) {
    out = sat;
  } else {
    std::vector<double> xs;
    xs.reserve(sat.size());
    for (int s : sat) xs.push_back(score(s));
    const auto nth = xs.begin() + (n - 1);
    std::nth_element(xs.begin(), nth, xs.end(), before);
    for (int s : sat)
      if (!before(*nth, score(s))) out.push_back(s);
  }
  std::stable_sort(out.begin(), out.end(), [&](int a, int b) { return before(score(a), score(b)); });
  return out;
}

}  // namespace

std::vector<std::vector<FieldBalance>> BalanceOf(std::span<const std::vector<double>> scores,
                                                 const std::vector<std::vector<int>>& classes,
                                                 const std::vector<int>& grade) {
  std::vector<std::vector<FieldBalance>> out(classes.size() + 1);
  for (const std::vector<double>& field : scores) {
    const FieldBalance whole = BalanceOfGroup(field, grade);
    for (std::size_t g = 0; g <= classes.size(); ++g) {
      FieldBalance b = g < classes.size() ? BalanceOfGroup(field, classes[g]) : whole;
      b.overMean = whole.mean != 0 && !std::isnan(b.mean) ? (b.mean - whole.mean) / whole.mean : kNaN;
      out[g].push_back(b);
    }
  }
  return out;
}

Layers LayersOf(const std::vector<double>& scores, const std::vector<int>& students, int n) {
  std::vector<int> sat;
  for (int s : students)
    if (!IsBlank(scores[static_cast<std::size_t>(s)])) sat.push_back(s);
  Layers layers;
  layers.best = FirstWithTies(sat, scores, n, std::greater<>());
  // Equal scores keep the data's order at the bottom too.
  layers.last = FirstWithTies(sat, scores, n, std::less<>());
  return layers;
}

}  // namespace tavo::reports
