// Borderline students (临界生) of one line in one field: those just below
// it, who lack a few points, and those just above it, who could slip. The
// margin is in points or in places.
#pragma once

#include <vector>

namespace tavo::reports {

struct Margin {
  bool byPlaces = false;  // else points
  double amount = 0;
};

struct Borderline {
  std::vector<int> below;  // closest to the line first
  std::vector<int> above;  // closest to the line first
};

// Among those who sat (blank scores do not count): by points, below is
// line - amount <= score < line and above is line <= score < line + amount;
// by places, the `amount` places under the last student at or above the
// line, and the last `amount` places at or above it, students of equal
// score always on the same side together.
Borderline FindBorderline(const std::vector<double>& scores, double line, const Margin&);

}  // namespace tavo::reports
