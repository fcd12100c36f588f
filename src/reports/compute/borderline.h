// Borderline students (临界生) of one line in one field: those just below
// it, who lack a few points, and those just above it, who could slip. The
// margin is in points or in places.
#pragma once

#include <string>
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
// score always on the same side together. `ranked`: the field's students
// from StudentsBestFirst, ranked once for all its lines.
Borderline FindBorderline(const std::vector<double>& scores, const std::vector<int>& ranked, double line,
                          const Margin&);

// Each field's margin from the total's: places are the same for every
// field; points are scaled by the field's line against the total's (a
// subject's line is a fraction of the total's, and so is its margin),
// rounded to one decimal.
std::vector<Margin> FieldMargins(const Margin& total, const std::vector<double>& lineScores);

// The borderline students of one line over every field (the total first).
struct LineBorderline {
  std::string name;
  std::vector<double> lineScores;  // [field]
  std::vector<Margin> margins;     // [field]
  std::vector<Borderline> fields;  // [field]
  std::vector<int> students;  // those borderline in any field, in `order`
  // students[listed]'s score - line in the field, NaN where not borderline
  // there: a row per listed student, not a column of every student.
  double gap(std::size_t listed, std::size_t field) const { return gaps[listed * fields.size() + field]; }
  std::vector<double> gaps;
};
// `scores[field][student]`, blank for those who did not sit; `ranked[field]`
// from StudentsBestFirst; `order` the report order of the students.
LineBorderline FindLineBorderline(std::string name, const std::vector<std::vector<double>>& scores,
                                  const std::vector<std::vector<int>>& ranked, const std::vector<double>& lineScores,
                                  const Margin& totalMargin, const std::vector<int>& order);

// Per class (classOf[student], -1 for none) the borderline below and above
// the line: [class][field] {below, above}.
struct BorderlineCount {
  int below = 0, above = 0;
};
std::vector<std::vector<BorderlineCount>> CountBorderline(const LineBorderline&, const std::vector<int>& classOf,
                                                          int classes);

}  // namespace tavo::reports
