// A generated school for the benchmarks: 9 subjects, classes in 3 grade
// groups, a teacher per two classes, lines by head count, and pseudo-random
// half-point scores that are the same on every run.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "host/value.h"
#include "host/worksheet.h"

namespace tavo::bench {

inline const char* const kSubjects[] = {"语文", "数学", "英语", "物理", "化学", "生物", "政治", "历史", "地理"};
constexpr int kSubjectCount = 9;

inline void Put(host::Worksheet& s, int r, int c, const host::Value& v) {
  s.setValue(host::Rect::of(host::Cell{r, c}), v);
}

// A settings sheet as the layout commands and a teacher leave it; `row13`
// holds the sheet's switches from B13 on.
inline void TypeSettings(host::Worksheet& settings, int students, int classes, const std::vector<host::Value>& row13) {
  const char* grades[] = {"一部", "二部", "三部"};
  Put(settings, 71, 2, "班级参数");
  Put(settings, 72, 1, "级部");
  Put(settings, 72, 2, "班级");
  Put(settings, 72, 3, "人数");
  Put(settings, 72, 4, "班主任");
  for (int j = 0; j < kSubjectCount; ++j) {
    Put(settings, 72, 5 + j, kSubjects[j]);
    Put(settings, 62, 5 + j, kSubjects[j]);
  }
  const int perGrade = (classes + 2) / 3;
  for (int c = 0; c < classes; ++c) {
    Put(settings, 73 + c, 1, grades[c / perGrade]);
    Put(settings, 73 + c, 2, std::to_string(c + 1) + "班");
    Put(settings, 73 + c, 4, "班主任" + std::to_string(c + 1));
    for (int j = 0; j < kSubjectCount; ++j) Put(settings, 73 + c, 5 + j, "教师" + std::to_string(c / 2 * 9 + j));
  }
  for (std::size_t i = 0; i < row13.size(); ++i) Put(settings, 13, 2 + static_cast<int>(i), row13[i]);
  for (int k = 0; k < 3; ++k) {
    Put(settings, 63 + k, 3, "按人数");
    for (int j = 0; j <= kSubjectCount; ++j) Put(settings, 63 + k, 4 + j, students / 20 * (k + 1));
  }
}

// What a school switches on and how its score export looks.
struct SchoolShape {
  bool switchesOn = true;       // teacher ordering, fills, teacher scores, double lines
  bool numericClasses = false;  // classes as 17 rather than "17班"
  bool sortedRows = false;      // rows already in class order
  bool totalColumn = false;     // the export carries a "总分" column
};

// Every settings sheet of a system workbook, typed for `classes` classes.
template <class Book>
void TypeAllSettings(Book& system, int students, int classes, const SchoolShape& shape = {}) {
  using host::Value;
  const Value yes = shape.switchesOn ? "是" : "否", lines = shape.switchesOn ? "双上线" : "单上线";
  TypeSettings(*system.findModelSheet("三线版"), students, classes,
               {yes, yes, yes, lines, "单上线", lines, lines, 1, 2, 1.5, 1});
  for (const char* name : {"双线版", "四率版", "赋分版"})
    TypeSettings(*system.findModelSheet(name), students, classes, {yes, yes, yes, lines, 30, 20, 20, 15, 15});
  TypeSettings(*system.findModelSheet("图表版"), students, classes, {"否", yes, yes, "单上线", lines});
  if (auto* analysis = system.findModelSheet("分析版")) TypeSettings(*analysis, students, classes, {"五等级"});
  if (shape.numericClasses)
    for (const char* name : {"三线版", "双线版", "四率版", "赋分版", "图表版", "分析版"})
      if (auto* sheet = system.findModelSheet(name))
        for (int c = 0; c < classes; ++c) Put(*sheet, 73 + c, 2, c + 1);
}

// The score table: 姓名, 班级, then the subjects (and 总分 if the shape
// says so).
inline host::Grid ScoreTable(int students, int classes, const SchoolShape& shape = {}) {
  const int columns = 2 + kSubjectCount + (shape.totalColumn ? 1 : 0);
  host::Grid g(students + 1, columns);
  g.at(0, 0) = "姓名";
  g.at(0, 1) = "班级";
  for (int j = 0; j < kSubjectCount; ++j) g.at(0, 2 + j) = kSubjects[j];
  if (shape.totalColumn) g.at(0, columns - 1) = "总分";
  unsigned x = 7;
  for (int r = 1; r <= students; ++r) {
    g.at(r, 0) = "学生" + std::to_string(r);
    const int c = shape.sortedRows ? 1 + static_cast<int>(static_cast<long long>(r - 1) * classes / students)
                                   : 1 + (r * 7919) % classes;
    g.at(r, 1) = shape.numericClasses ? host::Value(c) : host::Value(std::to_string(c) + "班");
    double total = 0;
    for (int j = 0; j < kSubjectCount; ++j) {
      x = x * 1103515245u + 12345u;
      const double score = static_cast<double>((x >> 8) % 301) / 2;
      g.at(r, 2 + j) = score;
      total += score;
    }
    if (shape.totalColumn) g.at(r, columns - 1) = total;
  }
  return g;
}

// The same students in an earlier exam: every score moved a little, the
// last in a hundred not yet there; other columns as they are.
inline host::Grid EarlierExam(const host::Grid& now) {
  const int kept = 1 + (now.rows - 1) * 99 / 100;
  host::Grid g(kept, now.cols);
  unsigned x = 11;
  for (int r = 0; r < kept; ++r)
    for (int c = 0; c < now.cols; ++c) {
      const host::Value& v = now.at(r, c);
      if (r == 0 || !v.isNumber()) {
        g.at(r, c) = v;
        continue;
      }
      x = x * 1103515245u + 12345u;
      const double moved = v.number() + static_cast<double>(static_cast<int>((x >> 8) % 41) - 20) / 2;
      g.at(r, c) = std::clamp(moved, 0.0, 150.0);
    }
  return g;
}

// A school as the commands meet it: the system workbook with every settings
// sheet typed and the layout store, the score workbook "考试.xlsx" in its
// data folder, listed and selected in the dialog.
template <class App, class Dialog>
void OpenSchool(App& app, Dialog& dialog, int students, int classes) {
  auto& system = app.createWorkbook("成绩统计.xlsx", "/school");
  system.modelSheet(1).setName("三线版");
  for (const char* name : {"双线版", "四率版", "赋分版", "图表版"}) system.appendSheet(name);
  TypeAllSettings(system, students, classes);
  system.appendSheet("DTB");
  auto& book = app.createWorkbook("考试.xlsx", "/school/数据");
  auto& data = book.modelSheet(1);
  data.setName("数据表");
  data.setValues({1, 1}, ScoreTable(students, classes));
  dialog.addItem("考试.xlsx");
}

}  // namespace tavo::bench
