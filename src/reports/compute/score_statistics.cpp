#include "reports/compute/score_statistics.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>

#include "host/radix_sort.h"
#include "reports/compute/score_table.h"
#include "reports/compute/standard_scores.h"

namespace tavo::reports {

std::vector<double> BestFirst(const std::vector<double>& field, const std::vector<int>& students) {
  std::vector<double> scores;
  scores.reserve(students.size());
  for (int s : students) scores.push_back(field[static_cast<std::size_t>(s)]);
  // Blanks last, then the numbers best first. Equal numbers cannot be told
  // apart, so any sort will do, unless a -0 stands among zeros: then the
  // stable one keeps them in the order given.
  auto numbersEnd = std::stable_partition(scores.begin(), scores.end(), [](double s) { return !IsBlank(s); });
  const bool negativeZero =
      std::any_of(scores.begin(), numbersEnd, [](double s) { return s == 0 && std::signbit(s); });
  if (negativeZero) {
    std::stable_sort(scores.begin(), numbersEnd, std::greater<double>());
    return scores;
  }
  std::vector<std::uint64_t> keys;  // best first as unsigned numbers
  for (auto s = scores.begin(); s != numbersEnd; ++s) keys.push_back(~host::OrderedBits(*s));
  host::RadixSort<8>(keys, [](std::uint64_t k, int b) { return static_cast<std::size_t>((k >> (8 * b)) & 0xFF); });
  for (std::size_t i = 0; i < keys.size(); ++i) scores[i] = host::FromOrderedBits(~keys[i]);
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

std::vector<double> Ranks(const std::vector<double>& scores) {
  return Ranks(scores, std::vector<int>(scores.size(), -1), 0).overall;
}

GroupedRanks Ranks(const std::vector<double>& scores, const std::vector<int>& groupOf, int groups) {
  // Walking the students best first, each run of equal scores takes the
  // place of its first, overall and in its group. A sort per class, or a
  // search per score, would miss the cache on a large grade.
  constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
  struct Place {
    double seen = 0;  // students walked so far
    double lastScore = 0;
    double lastRank = kNone;
    double rankOfZero = kNone;  // a blank's
    double next(double score) {
      if (seen == 0 || score != lastScore) {
        lastScore = score;
        lastRank = seen + 1;
      }
      ++seen;
      if (score == 0) rankOfZero = lastRank;
      return lastRank;
    }
  };
  Place all;
  std::vector<Place> group(static_cast<std::size_t>(groups));
  GroupedRanks ranks{std::vector<double>(scores.size(), kNone), std::vector<double>(scores.size(), kNone)};
  for (const int student : StudentsBestFirst(scores)) {
    const auto index = static_cast<std::size_t>(student);
    ranks.overall[index] = all.next(scores[index]);
    if (groupOf[index] >= 0) ranks.inGroup[index] = group[static_cast<std::size_t>(groupOf[index])].next(scores[index]);
  }
  for (std::size_t i = 0; i < scores.size(); ++i)
    if (IsBlank(scores[i])) {
      ranks.overall[i] = all.rankOfZero;
      if (groupOf[i] >= 0) ranks.inGroup[i] = group[static_cast<std::size_t>(groupOf[i])].rankOfZero;
    }
  return ranks;
}

}  // namespace tavo::reports
