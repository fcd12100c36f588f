// Standard scores and the grade conversion of elective subjects: per
// student Z, T and percentile rank in every field; for the subjects to
// convert, the grade by the scheme's shares and the converted score by
// equal proportions inside the grade.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "params/grade_schemes.h"

namespace tavo::reports {

// One field's standard scores. Every student with a score shares its Z, T,
// place and percentile rank: they are worked out from the score when asked,
// where a province's ten fields would keep 160 MB of them per student.
struct StandardScores {
  int students = 0;  // those who sat
  double mean = 0;
  double sd = 0;  // STDEV.P of those who sat
  // Each score that was sat, best first, and its place (1 + those above).
  std::vector<double> steps, stepPlace;
  // Of a score that was sat: (score - mean) / sd, 0 when sd is 0.
  double zOf(double score) const { return sd > 0 ? (score - mean) / sd : 0; }
  double tOf(double score) const { return 50 + 10 * zOf(score); }
  double placeOf(double score) const;
  double percentileOf(double score) const { return 100 - (100 * placeOf(score) - 50) / students; }
};
StandardScores StandardiseScores(const std::vector<double>& scores);

// Those who sat (a score not blank), best first, equal scores in the data's
// order.
std::vector<int> StudentsBestFirst(const std::vector<double>& scores);

// The values of `v` at the students of `order`, in that order: what a
// report's rows read in sequence.
template <class T>
std::vector<T> InOrder(const std::vector<T>& v, const std::vector<int>& order) {
  std::vector<T> out;
  out.reserve(order.size());
  for (int s : order) out.push_back(v[static_cast<std::size_t>(s)]);
  return out;
}

// One subject converted: per student the grade's index (-1: did not sit)
// and the converted score; per grade what the audit shows.
struct GradeAudit {
  int students = 0;
  double share = 0;   // of those who sat, percent
  double y1 = 0, y2 = 0;  // lowest and highest raw score in the grade
};
struct ConvertedScores {
  std::vector<int> grade;
  std::vector<double> converted;
  std::vector<GradeAudit> audit;  // per grade of the scheme
  // Each score that was sat, best first, with its grade and converted score.
  std::vector<double> steps;
  std::vector<int> stepGrade;
  std::vector<double> stepConverted;
  // The grade and converted score of a score that was sat.
  int gradeOf(double score) const;
  double convertedOf(double score) const;
};
// Students sorted by raw score, best first; a student's grade is the first
// whose cumulative share of students reaches the student's place (1 + those
// above), so that equal scores share a grade, the higher one. T = T1 +
// (T2 - T1)(Y - Y1)/(Y2 - Y1), rounded half up; T2 when Y1 = Y2.
ConvertedScores ConvertGrades(const std::vector<double>& scores, const params::GradeScheme&);

}  // namespace tavo::reports
