// The settings of a line report ("三线版" with three lines, "双线版" with
// two), read into memory before the data workbook is opened.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "host/value.h"
#include "host/worksheet.h"

namespace tavo::reports {

struct LineSettings {
  int lineCount = 3;
  std::vector<std::string> lineNames;  // an empty name reads "线" and the line's number
  bool orderByTeacher = false;         // B13 = "是"
  bool fill = false;                   // C13 = "是"
  bool teacherScores = false;          // D13 = "是": keep the weighted columns
  bool averagesPerSubject = false;     // E13 = "单上线": top students per subject, else by total
  std::vector<bool> singleCount;       // F13.. = "单上线" per line, else double count
  bool bothCounts = false;             // every line counted single and double
  std::vector<std::string> countKinds;  // the chart version's E13, F13 as typed ("单上线", "双上线")
  std::vector<double> coefficients;    // the average's weight, then the lines' (or the rates')
  std::vector<bool> byScore;           // C63.. = "按分数": the line's values are scores, else head counts
  // The value cell of line k (0-based) in each settings column.
  std::vector<std::map<int, host::Value>> lineValues;
  // The class table by settings row: every cell of the row by column.
  std::map<int, std::map<int, host::Value>> classTable;
};

// The names, methods and values of the first `lineCount` lines and the
// class table, without the switches of row 13.
LineSettings ReadLines(const host::Worksheet& version, int lineCount);

// Three lines: B13:L13 as "三线版" lays them out.
LineSettings ReadThreeLineSettings(const host::Worksheet& version);

// Two lines, B13:J13 as "双线版" lays them out: the switches of the
// three-line version, and the five weights of the average and of the single
// and double count of each line.
LineSettings ReadTwoLineSettings(const host::Worksheet& version);

// Two lines and C13:F13 as "图表版" lays them out: C13 fills, D13 teacher
// names under the counts, E13 and F13 how each line counts.
LineSettings ReadChartSettings(const host::Worksheet& version);

// Two lines and D13:J13 as "四率版" and "赋分版" lay them out: D13 keeps the
// weighted columns, E13 averages per subject, F13..J13 the five weights of
// the average and the four rates.
LineSettings ReadSubjectBlocksSettings(const host::Worksheet& version);

}  // namespace tavo::reports
