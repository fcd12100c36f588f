#include "reports/compute/teacher_runs.h"

#include <numeric>

namespace tavo::reports {

host::Value AsEntered(const std::string& teacher) {
  if (teacher.empty()) return {};
  if (auto number = host::parseDecimal(teacher)) return host::Value(*number);
  return host::Value(teacher);
}

std::vector<int> OrderByTeacher(const std::vector<host::Value>& teachers) {
  std::vector<int> order;
  std::vector<bool> placed(teachers.size(), false);
  for (std::size_t first = 0; first < teachers.size(); ++first) {
    if (placed[first]) continue;
    for (std::size_t k = first; k < teachers.size(); ++k)
      if (!placed[k] && teachers[k] == teachers[first]) {
        placed[k] = true;
        order.push_back(static_cast<int>(k));
      }
  }
  return order;
}

std::vector<TeacherRun> TeacherRuns(const std::vector<host::Value>& teachers) {
  std::vector<TeacherRun> runs;
  for (std::size_t i = 0; i < teachers.size(); ++i) {
    if (!runs.empty() && teachers[i] == teachers[i - 1]) ++runs.back().size;
    else runs.push_back({static_cast<int>(i), 1});
  }
  return runs;
}

TeacherPlan PlanTeacherRuns(const std::vector<std::string>& names, bool orderByTeacher) {
  std::vector<host::Value> teachers;
  for (const std::string& name : names) teachers.push_back(AsEntered(name));
  TeacherPlan plan;
  if (orderByTeacher) {
    plan.order = OrderByTeacher(teachers);
  } else {
    plan.order.resize(teachers.size());
    std::iota(plan.order.begin(), plan.order.end(), 0);
  }
  std::vector<host::Value> ordered;
  for (int i : plan.order) ordered.push_back(teachers[static_cast<std::size_t>(i)]);
  plan.runs = TeacherRuns(ordered);
  return plan;
}

}  // namespace tavo::reports
