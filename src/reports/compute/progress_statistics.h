// Who moved between two exams: per matched student and field, the rank and
// T score in both exams and their change; per class the mean changes and
// how many rose and fell; the largest rises and falls marked.
#pragma once

#include <string>
#include <vector>

#include "reports/compute/standard_scores.h"

namespace tavo::reports {

struct FieldProgress {
  // [current student]; NaN where the student did not sit both exams or is
  // not matched.
  std::vector<double> rankBefore, rankNow, tBefore, tNow;
  std::vector<double> rankChange;  // before - now: a rise is positive
  std::vector<double> tChange;     // now - before
  std::vector<int> marked;         // +1 among the largest rises, -1 the largest falls, else 0
};

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
