// Classes taught by one teacher, as the single-subject sheets group them:
// plain functions over a block's teachers, free of any sheet.
#pragma once

#include <string>
#include <vector>

#include "host/value.h"

namespace tavo::reports {

// A teacher's name as the sheet holds it once written: empty, a number
// ("101" is a number to the spreadsheet) or text. Runs compare these.
host::Value AsEntered(const std::string& teacher);

// Each teacher's classes brought up under that teacher's first class,
// keeping their order: the block's positions in their new order.
std::vector<int> OrderByTeacher(const std::vector<host::Value>& teachers);

struct TeacherRun {
  int first;  // position in the block
  int size;
};
// The maximal runs of neighbouring classes of one teacher (two empty
// teacher cells are one teacher).
std::vector<TeacherRun> TeacherRuns(const std::vector<host::Value>& teachers);

// A block's classes as a sheet lists them: `order` gives the block's
// position of each row (each teacher's classes under the first of them, or
// the settings' order), `runs` the teacher runs of the rows.
struct TeacherPlan {
  std::vector<int> order;
  std::vector<TeacherRun> runs;
};
TeacherPlan PlanTeacherRuns(const std::vector<std::string>& teachers, bool orderByTeacher);

}  // namespace tavo::reports
