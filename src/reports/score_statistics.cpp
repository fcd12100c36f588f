#include "reports/score_statistics.h"

#include <algorithm>

#include "reports/score_table.h"

namespace tavo::reports {

std::vector<double> BestFirst(const std::vector<double>& field, const std::vector<int>& students) {
  std::vector<double> scores;
  scores.reserve(students.size());
  for (int s : students) scores.push_back(field[static_cast<std::size_t>(s)]);
  std::stable_sort(scores.begin(), scores.end(), [](double a, double b) {
    if (IsBlank(a) || IsBlank(b)) return !IsBlank(a) && IsBlank(b);
    return a > b;
  });
  return scores;
}

double NthBest(const std::vector<double>& bestFirst, int n) {
  if (n < 1 || static_cast<std::size_t>(n) > bestFirst.size()) return 0;
  return ScoreOrZero(bestFirst[static_cast<std::size_t>(n - 1)]);
}

double BestOf(const std::vector<double>& field, const std::vector<int>& students) {
  std::optional<double> best;
  for (int s : students) {
    const double score = field[static_cast<std::size_t>(s)];
    if (!IsBlank(score) && (!best || score > *best)) best = score;
  }
  return best.value_or(0);
}

int CountAtOrAbove(const std::vector<double>& field, const std::vector<int>& students, double line) {
  int count = 0;
  for (int s : students) count += AtOrAbove(field[static_cast<std::size_t>(s)], line) ? 1 : 0;
  return count;
}

int CountAtOrAbove(const std::vector<double>& scores, double line) {
  return static_cast<int>(std::count_if(scores.begin(), scores.end(), [&](double s) { return AtOrAbove(s, line); }));
}

int CountBothAtOrAbove(const std::vector<double>& first, const std::vector<double>& second,
                       const std::vector<int>& students, double line1, double line2) {
  int count = 0;
  for (int s : students) {
    const auto i = static_cast<std::size_t>(s);
    count += AtOrAbove(first[i], line1) && AtOrAbove(second[i], line2) ? 1 : 0;
  }
  return count;
}

double AverageOfFirst(const std::vector<double>& scores, int n) {
  double sum = 0;
  int numbers = 0;
  const int end = std::min(std::max(n, 0), static_cast<int>(scores.size()));
  for (int i = 0; i < end; ++i) {
    const double s = scores[static_cast<std::size_t>(i)];
    if (IsBlank(s)) continue;
    sum += s;
    ++numbers;
  }
  return numbers ? sum / numbers : 0;
}

std::vector<std::optional<int>> BandCounts(const std::vector<double>& bestFirst, const std::vector<int>& lows) {
  std::vector<std::optional<int>> counts(lows.size());
  std::size_t band = 0;
  int count = 0;
  for (double s : bestFirst) {
    // Each score closes the bands above it.
    while (band < lows.size() && !AtOrAbove(s, lows[band])) {
      counts[band++] = count;
      count = 0;
    }
    if (band == lows.size()) break;
    ++count;
  }
  if (band < lows.size()) counts[band] = count;
  return counts;
}

std::vector<double> RankedNumbers(const std::vector<double>& scores) {
  std::vector<double> numbers;
  for (double s : scores)
    if (!IsBlank(s)) numbers.push_back(s);
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

host::Value Rank(double score, const std::vector<double>& ranked) {
  const double x = ScoreOrZero(score);
  auto lo = std::lower_bound(ranked.begin(), ranked.end(), x);
  if (lo == ranked.end() || *lo != x) return host::Value(host::ErrorKind::NA);
  auto above = std::upper_bound(lo, ranked.end(), x);
  return host::Value(static_cast<double>(ranked.end() - above + 1));
}

}  // namespace tavo::reports
