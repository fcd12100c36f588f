// Who moved between two exams: per matched student and field, the rank and
// T score in both exams and their change; per class the mean changes and
// how many rose and fell; the largest rises and falls marked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "reports/compute/standard_scores.h"

namespace tavo::reports {

struct FieldProgress {
  // [current student]; NaN where the student did not sit both exams or is
  // not matched. A place is whole (or half) and below 2^24, which a float
  // holds exactly: a province's fields then keep half the memory.
  std::vector<float> rankBefore, rankNow;
  std::vector<double> tBefore, tNow;
  std::vector<std::int8_t> marked;  // +1 among the largest rises, -1 the largest falls, else 0
  // before - now: a rise is positive
  double rankChange(std::size_t s) const { return static_cast<double>(rankBefore[s]) - rankNow[s]; }
  double tChange(std::size_t s) const { return tNow[s] - tBefore[s]; }  // now - before
};

// The same comparison with its students in `order`.
FieldProgress InOrder(const FieldProgress&, const std::vector<int>& order);

// `now[s]` and `before[e]` scores of one field in each exam (blank: did not
// sit); `earlierOf` from MatchStudents; the `marks` largest rises and falls
// by rank are marked (ties at the edge all marked).
FieldProgress CompareExams(const std::vector<double>& now, const std::vector<double>& before,
                           const std::vector<int>& earlierOf, int marks);

struct ClassProgress {
  int compared = 0;  // students with both ranks
  double meanRankChange = 0, meanTChange = 0;
  int rose = 0, fell = 0;
};
ClassProgress ProgressOfClass(const FieldProgress&, const std::vector<int>& students);

}  // namespace tavo::reports
