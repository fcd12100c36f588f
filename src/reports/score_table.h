// The data table as the reports count from it: read from the data sheet in
// one piece and kept in memory, so that the teacher's sheet is never sorted
// or written on. Everything here is plain computation, free of any host.
#pragma once

#include <limits>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/grid.h"

namespace tavo::reports {

// A score that was left empty: it sorts after every number and counts as 0
// against a line, but it is no number to an average or a rank.
inline constexpr double kBlank = std::numeric_limits<double>::quiet_NaN();
bool IsBlank(double score);
double ScoreOrZero(double score);
// Against a line: blanks are 0.
bool AtOrAbove(double score, double line);

// A cell of a score column as the reports count it: numbers and numeric
// text are numbers, empty cells blank, anything else (an absence mark, an
// error) 0.
double CleanScore(const host::Value&);

// A class cell as one key: exports hold class 5 as a number in some rows
// and as "5" in others. Text that would show otherwise ("05") stays text.
host::Value ClassKey(const host::Value&);

// 0-based column of the first header cell (row 0) holding exactly `name`; -1.
int FindHeader(const host::Grid& table, const std::string& name);

// Each student's total as "=SUM(...)" over the subject columns gives it:
// numbers and numeric text add up in column order, other text counts
// nothing, the first error is the total. One entry per student row.
std::vector<host::Value> SumOfSubjects(const host::Grid& table, const std::vector<int>& subjectColumns);

struct ScoreTable {
  host::Grid cells;                          // the data table as read, header row first
  std::vector<host::Value> classKeys;        // [student]
  std::vector<std::vector<double>> scores;   // [field][student], cleaned
  std::vector<int> order;                    // every student in the report order (SortStudents)

  int students() const { return cells.rows > 0 ? cells.rows - 1 : 0; }
};

// The table of `cells` (header included) with the fields at the given
// 0-based columns (the total first) and the class column.
ScoreTable BuildScoreTable(host::Grid cells, const std::vector<int>& fieldColumns, int classColumn);

// The students in the order the reports list them: by class (the host's
// ascending order), then best total first, then best in each subject from
// the last to the first, then as the data list them.
std::vector<int> SortStudents(const ScoreTable&);

// Every class of the data with its students in the report order, under
// ClassMatchKey of how it shows: a class of the settings is found by its
// name as a search finds it, letter case aside.
std::string ClassMatchKey(const std::string& shown);
std::unordered_map<std::string, std::vector<int>> StudentsByClass(const ScoreTable&);

}  // namespace tavo::reports
