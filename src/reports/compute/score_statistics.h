// What the reports count, as plain functions over lists of scores: the
// n-th best, the students at or above a line, the average of the best,
// band counts and ranks. Blanks (kBlank) are 0 against a line and no number
// to an average or a rank.
#pragma once

#include <optional>
#include <vector>

#include "host/value.h"

namespace tavo::reports {

// The scores of `students` in one field, best first, blanks last; students
// of equal scores keep their order.
std::vector<double> BestFirst(const std::vector<double>& field, const std::vector<int>& students);

// The n-th best (1-based) of a list best first: 0 when that one is blank or
// the list is shorter.
double NthBest(const std::vector<double>& bestFirst, int n);

// The best score of `students` in one field; 0 when all are blank.
double BestOf(const std::vector<double>& field, const std::vector<int>& students);

int CountAtOrAbove(const std::vector<double>& scores, double line);
int CountAtOrAbove(const std::vector<double>& field, const std::vector<int>& students, double line);

// Students at or above line1 in `first` and at or above line2 in `second`.
int CountBothAtOrAbove(const std::vector<double>& first, const std::vector<double>& second,
                       const std::vector<int>& students, double line1, double line2);

// The mean of the numbers among the first n scores, added up in their
// order (so the result is the double a spreadsheet's AVERAGE gives over
// those cells); 0 when there is none.
double AverageOfFirst(const std::vector<double>& scores, int n);

// Per band (lower bounds descending, each band up to the bound above) the
// students in it, walking down a list best first; bands below the lowest
// score stay empty, scores below the last bound are in none.
std::vector<std::optional<int>> BandCounts(const std::vector<double>& bestFirst, const std::vector<int>& lowerBounds);

// Each score's rank among the numbers of `scores` as a spreadsheet's RANK
// gives it, descending: 1 + the numbers above; a blank ranks as 0; NaN
// where RANK gives #N/A (a blank when no number is 0).
std::vector<double> Ranks(const std::vector<double>& scores);
// The same, and within groups (a class each) at once: a score's rank among
// the scores of its group, NaN where the group is negative (none).
struct GroupedRanks {
  std::vector<double> overall, inGroup;
};
GroupedRanks Ranks(const std::vector<double>& scores, const std::vector<int>& groupOf, int groups);

}  // namespace tavo::reports
