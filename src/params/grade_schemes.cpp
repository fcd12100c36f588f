#include "params/grade_schemes.h"

#include <cmath>

namespace tavo::params {

namespace {

GradeScheme Scheme(std::string name, const std::vector<std::string>& grades, const std::vector<double>& shares,
                   const std::vector<std::pair<double, double>>& ranges) {
  GradeScheme s{std::move(name), {}};
  for (std::size_t g = 0; g < grades.size(); ++g)
    s.grades.push_back({grades[g], shares[g], ranges[g].first, ranges[g].second});
  return s;
}

}  // namespace

const std::vector<GradeScheme>& GradeSchemes() {
  static const std::vector<GradeScheme> schemes = {
      Scheme("五等级", {"A", "B", "C", "D", "E"}, {15, 35, 35, 13, 2},
             {{100, 86}, {85, 71}, {70, 56}, {55, 41}, {40, 30}}),
      Scheme("八等级", {"A", "B+", "B", "C+", "C", "D+", "D", "E"}, {3, 7, 16, 24, 24, 16, 7, 3},
             {{100, 91}, {90, 81}, {80, 71}, {70, 61}, {60, 51}, {50, 41}, {40, 31}, {30, 21}}),
  };
  return schemes;
}

const GradeScheme* FindGradeScheme(const std::string& name) {
  for (const GradeScheme& s : GradeSchemes())
    if (s.name == name) return &s;
  return nullptr;
}

std::string SchemeProblem(const GradeScheme& s) {
  if (s.grades.empty()) return "没有等级";
  double total = 0;
  for (const GradeBand& g : s.grades) {
    if (!(g.share >= 0)) return "等级 " + g.name + " 的比例不是非负数";
    if (!(g.high >= g.low)) return "等级 " + g.name + " 的赋分上限低于下限";
    total += g.share;
  }
  if (std::fabs(total - 100) > 1e-6) return "各等级比例之和不是100";
  return "";
}

}  // namespace tavo::params
