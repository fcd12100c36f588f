#include "reports/compute/class_balance.h"

#include <algorithm>
#include <cmath>
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

// The first `n` of `ranked` and every later one whose score ties the n-th.
std::vector<int> FirstWithTies(const std::vector<int>& ranked, const std::vector<double>& scores, int n) {
  std::vector<int> out;
  for (std::size_t i = 0; i < ranked.size(); ++i) {
    const double x = scores[static_cast<std::size_t>(ranked[i])];
    if (static_cast<int>(i) >= n && !(i > 0 && x == scores[static_cast<std::size_t>(ranked[i - 1])])) break;
    out.push_back(ranked[i]);
  }
  return out;
}

}  // namespace

std::vector<std::vector<FieldBalance>> BalanceOf(const std::vector<std::vector<double>>& scores,
                                                 const std::vector<std::vector<int>>& groups,
                                                 const std::vector<int>& grade) {
  std::vector<std::vector<FieldBalance>> out(groups.size());
  for (std::size_t f = 0; f < scores.size(); ++f) {
    const double gradeMean = BalanceOfGroup(scores[f], grade).mean;
    for (std::size_t g = 0; g < groups.size(); ++g) {
      FieldBalance b = BalanceOfGroup(scores[f], groups[g]);
      b.overMean = gradeMean != 0 && !std::isnan(b.mean) ? (b.mean - gradeMean) / gradeMean : kNaN;
      out[g].push_back(b);
    }
  }
  return out;
}

Layers LayersOf(const std::vector<double>& scores, const std::vector<int>& students, int n) {
  std::vector<int> sat;
  for (int s : students)
    if (!IsBlank(scores[static_cast<std::size_t>(s)])) sat.push_back(s);
  auto score = [&](int s) { return scores[static_cast<std::size_t>(s)]; };
  std::stable_sort(sat.begin(), sat.end(), [&](int a, int b) { return score(a) > score(b); });
  Layers layers;
  layers.best = FirstWithTies(sat, scores, n);
  // Equal scores keep the data's order at the bottom too.
  std::stable_sort(sat.begin(), sat.end(), [&](int a, int b) { return score(a) < score(b); });
  layers.last = FirstWithTies(sat, scores, n);
  return layers;
}

}  // namespace tavo::reports
