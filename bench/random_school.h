// A school drawn from a seed: switches, weights, line methods, grade groups,
// teachers and extra columns differ from school to school, so that two
// builds compared over many schools meet every branch of the reports.
#pragma once

#include <algorithm>
#include <string>
#include <utility>

#include "host/grid.h"
#include "school.h"

namespace tavo::bench {

class Draw {
 public:
  explicit Draw(unsigned seed) : x_(seed * 2654435761u + 1) {}
  int below(int n) {
    x_ = x_ * 1103515245u + 12345u;
    return static_cast<int>((x_ >> 8) % static_cast<unsigned>(n));
  }
  bool coin() { return below(2) == 1; }

 private:
  unsigned x_;
};

inline void DrawShape(unsigned seed, SchoolShape& shape) {
  Draw d(seed ^ 0x5bd1u);
  shape.numericClasses = d.coin();
  shape.sortedRows = d.below(4) == 0;
  shape.totalColumn = d.coin();
}

// Row 13 of every settings sheet, the lines' methods and values, the grade
// groups and the teachers, typed over what TypeAllSettings left.
template <class Book>
void DrawSettings(Book& system, unsigned seed, int classes) {
  Draw d(seed);
  auto yesNo = [&] { return host::Value(d.coin() ? "是" : "否"); };
  auto count = [&] { return host::Value(d.coin() ? "单上线" : "双上线"); };
  auto weight = [&] { return host::Value(d.below(5) == 0 ? 0.0 : 0.5 * d.below(6)); };
  const int groups = 1 + d.below(3), perGroup = (classes + groups - 1) / groups;
  const char* groupNames[] = {"一部", "二部", "三部"};
  const int teachers = 1 + d.below(classes + 1);
  const bool planned = d.coin();
  for (const char* name : {"三线版", "双线版", "四率版", "赋分版", "图表版"}) {
    auto& s = *system.findModelSheet(name);
    const std::string sheet = name;
    std::vector<host::Value> row13;
    if (sheet == "三线版") row13 = {yesNo(), yesNo(), yesNo(), count(), count(), count(), count(),
                                   weight(), weight(), weight(), weight()};
    else if (sheet == "图表版") row13 = {"否", yesNo(), yesNo(), count(), count()};
    else row13 = {yesNo(), yesNo(), yesNo(), count(), weight(), weight(), weight(), weight(), weight()};
    for (std::size_t i = 0; i < row13.size(); ++i) Put(s, 13, 2 + static_cast<int>(i), row13[i]);
    for (int k = 0; k < 3; ++k) {
      const bool byScore = d.below(3) == 0;
      Put(s, 63 + k, 3, byScore ? "按分数" : "按人数");
      for (int j = 0; j <= kSubjectCount; ++j) {
        if (byScore) Put(s, 63 + k, 4 + j, j == 0 ? 900.0 - 150 * k - d.below(40) : 110.0 - 15 * k - d.below(10));
        else Put(s, 63 + k, 4 + j, 1 + d.below(30) * (k + 1));
      }
    }
    for (int c = 0; c < classes; ++c) {
      Put(s, 73 + c, 1, groupNames[std::min(c / perGroup, 2)]);
      if (planned) Put(s, 73 + c, 3, 20 + d.below(30));
      for (int j = 0; j < kSubjectCount; ++j) Put(s, 73 + c, 5 + j, "教师" + std::to_string(d.below(teachers)));
    }
  }
}

// A 考号 column first, and question columns and a note after the table.
// `questions` columns headed "1(5分)", ... right of the table, 0 to 5 points
// each, higher for the students with the better first subject.
inline host::Grid WithQuestions(host::Grid table, int questions) {
  host::Grid wide(table.rows, table.cols + questions);
  unsigned x = 11;
  for (int r = 0; r < table.rows; ++r) {
    for (int c = 0; c < table.cols; ++c) wide.at(r, c) = std::move(table.at(r, c));
    const double first = r > 0 && wide.at(r, 2).isNumber() ? wide.at(r, 2).number() : 0;
    for (int q = 0; q < questions; ++q) {
      x = x * 1103515245u + 12345u;
      const int noise = static_cast<int>((x >> 16) % 4);
      const int points = std::clamp(static_cast<int>(first / 40) + noise - 1, 0, 5);
      wide.at(r, table.cols + q) = r == 0 ? host::Value(std::to_string(q + 1) + "(5分)") : host::Value(points);
    }
  }
  return wide;
}

inline host::Grid Widened(host::Grid table, unsigned seed) {
  Draw d(seed ^ 0x77u);
  const int questions = d.below(3) == 0 ? 30 : 0;
  host::Grid wide(table.rows, table.cols + 2 + questions);
  for (int r = 0; r < table.rows; ++r) {
    wide.at(r, 0) = r == 0 ? host::Value("考号") : host::Value(std::to_string(100000 + r));
    for (int c = 0; c < table.cols; ++c) wide.at(r, 1 + c) = std::move(table.at(r, c));
    for (int q = 0; q < questions; ++q)
      wide.at(r, 1 + table.cols + q) = r == 0 ? host::Value(std::to_string(q + 1)) : host::Value(d.below(6));
    wide.at(r, wide.cols - 1) = r == 0 ? host::Value("备注") : (d.below(9) == 0 ? host::Value("缺考") : host::Value());
  }
  return wide;
}

}  // namespace tavo::bench
