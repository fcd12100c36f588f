// How evenly the classes stand (均衡): per class and field the mean, the
// spread and how far the mean is from the grade's; and the layers of each
// class, its best and its last students.
#pragma once

#include <span>
#include <vector>

namespace tavo::reports {

struct FieldBalance {
  int sat = 0;              // students with a score
  double mean = 0, sd = 0;  // AVERAGE and STDEV.P of their scores; NaN when none sat
  double variation = 0;     // sd / mean (差异系数); NaN when the mean is 0
  double overMean = 0;      // (mean - the grade's mean) / the grade's mean (超均率)
};

// `scores[field][student]` (blank: did not sit); one row per class and
// then the grade's ([row][field]). Each mean sums in the order its students
// are given.
std::vector<std::vector<FieldBalance>> BalanceOf(std::span<const std::vector<double>> scores,
                                                 const std::vector<std::vector<int>>& classes,
                                                 const std::vector<int>& grade);

// The `n` best of `students` by score (best first) and the `n` last (last
// first), among those with a score; students tying the n-th come along.
struct Layers {
  std::vector<int> best, last;
};
Layers LayersOf(const std::vector<double>& scores, const std::vector<int>& students, int n);

}  // namespace tavo::reports
