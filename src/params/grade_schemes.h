// The grade conversion schemes of elective subjects: each grade's share of
// the students and its range of converted scores.
#pragma once

#include <string>
#include <vector>

namespace tavo::params {

struct GradeBand {
  std::string name;
  double share = 0;          // percent of the students who sat
  double high = 0, low = 0;  // T2, T1
  friend bool operator==(const GradeBand&, const GradeBand&) = default;
};
struct GradeScheme {
  std::string name;
  std::vector<GradeBand> grades;  // best first; shares add up to 100
  friend bool operator==(const GradeScheme&, const GradeScheme&) = default;
};

// The schemes of the provinces' published texts: "五等级" (A 15 %, B 35 %,
// C 35 %, D 13 %, E 2 % onto 100-86, 85-71, 70-56, 55-41, 40-30) and
// "八等级" (3/7/16/24/24/16/7/3 % onto 91-100 ... 21-30).
const std::vector<GradeScheme>& GradeSchemes();
const GradeScheme* FindGradeScheme(const std::string& name);
// What is wrong with a scheme typed by hand ("" when nothing).
std::string SchemeProblem(const GradeScheme&);

}  // namespace tavo::params
