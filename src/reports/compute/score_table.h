// The data table as the reports count from it: read from the data sheet in
// one piece and kept in memory, so that the teacher's sheet is never sorted
// or written on. Everything here is plain computation, free of any host.
#pragma once

#include <algorithm>
#include <functional>
#include <limits>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/grid.h"

namespace tavo::reports {

// A score that was left empty: it sorts after every number and counts as 0
// against a line, but it is no number to an average or a rank.
inline constexpr double kBlank = std::numeric_limits<double>::quiet_NaN();
inline bool IsBlank(double score) { return score != score; }
inline double ScoreOrZero(double score) { return IsBlank(score) ? 0 : score; }
// Against a line: blanks are 0.
inline bool AtOrAbove(double score, double line) { return ScoreOrZero(score) >= line; }

// A cell of a score column as the reports count it: numbers and numeric
// text are numbers, empty cells blank, anything else (an absence mark, an
// error) 0.
double CleanScore(const host::Value&);
// The same where a student must have sat to count (standard scores,
// questions): an absence mark or an error is no score at all.
double ScoreIfSat(const host::Value&);

// A class cell as one key: exports hold class 5 as a number in some rows
// and as "5" in others. Text that would show otherwise ("05") stays text.
host::Value ClassKey(const host::Value&);

// 0-based column of the first header cell (row 0) holding exactly `name`; -1.
int FindHeader(const host::Grid& table, const std::string& name);

// Each student's total as "=SUM(...)" over the subject columns gives it:
// numbers and numeric text add up in column order, other text counts
// nothing, the first error is the total. Added a column at a time, so that
// no more than one column of cells is held.
class SubjectTotals {
 public:
  explicit SubjectTotals(int students);
  // One cell per student, from student `first` on.
  void add(std::span<const host::Value> cells, std::size_t first = 0);
  std::vector<host::Value> values() const;
  std::vector<host::Value> values(std::size_t first, std::size_t count) const;

 private:
  std::vector<double> sums_;
  std::vector<int> errors_;  // -1, or the first error's kind
};
// The same over columns of a table whose row 0 is its header; one entry per
// student row.
std::vector<host::Value> SumOfSubjects(const host::Grid& table, const std::vector<int>& subjectColumns);

// What the reports keep of the data table once it is read: its header and
// size, and per student the class and the cleaned scores.
struct ScoreTable {
  std::vector<host::Value> header;           // row 1, one per column
  // The class column: each distinct cell once, as the sheet holds it, and
  // its key (ClassKey); each student's class as an index into them. A
  // province's million students name 2,000 classes.
  std::vector<host::Value> distinctClassCells, distinctClassKeys;
  std::vector<int> classIds;                           // [student]
  std::unordered_map<std::string, int> classIdOfCell;  // what addStudent looks a cell up by
  std::vector<std::vector<double>> scores;   // [field][student], cleaned
  // [field]: the students whose cell holds a mark rather than a score (an
  // absence, an error), which `scores` counts as 0, in data order.
  std::vector<std::vector<int>> marked;
  std::vector<int> order;                    // every student in the report order (SortStudents)

  // A field's scores as ScoreIfSat reads the cells: the marked blank.
  std::vector<double> scoresIfSat(std::size_t field) const;

  int students() const { return static_cast<int>(classIds.size()); }
  int columns() const { return static_cast<int>(header.size()); }
  const host::Value& classCell(std::size_t student) const {
    return distinctClassCells[static_cast<std::size_t>(classIds[student])];
  }
  const host::Value& classKey(std::size_t student) const {
    return distinctClassKeys[static_cast<std::size_t>(classIds[student])];
  }
  // One student more, of the class in `classCell`.
  void addStudent(const host::Value& classCell);
};

// A data column is read this many rows at a time: a province's column as
// values at once would be 40 MB of fresh pages each time.
inline constexpr int kRowsPerPiece = 1 << 16;
// f(first, count) for each piece of `rows` rows, 0-based, in order.
template <class F>
void ForEachPiece(int rows, F&& f) {
  for (int first = 0; first < rows; first += kRowsPerPiece) f(first, std::min(kRowsPerPiece, rows - first));
}

// The cells of one 0-based column below the header, one per student from
// student `first` (0-based) on, `count` of them.
using ColumnReader = std::function<std::vector<host::Value>(int column, int first, int count)>;

// The table with this header, the fields at the given 0-based columns (the
// total first) and the class column; only those columns are read.
ScoreTable BuildScoreTable(std::vector<host::Value> header, int students, const ColumnReader&,
                           const std::vector<int>& fieldColumns, int classColumn);
// The same from the first `columns` columns of `cells` (header included).
ScoreTable BuildScoreTable(const host::Grid& cells, int columns, const std::vector<int>& fieldColumns,
                           int classColumn);
// 0-based column of the first header cell holding exactly `name`; -1.
int FindHeader(std::span<const host::Value> header, const std::string& name);

// The students in the order the reports list them: by class (the host's
// ascending order), then best total first, then best in each subject from
// the last to the first, then as the data list them.
std::vector<int> SortStudents(const ScoreTable&);
// The order where pupils are not ranked: by class as SortStudents has it,
// then by name (`names[student]`, in text order), then as the data list them.
std::vector<int> SortByClassAndName(const ScoreTable&, const std::vector<host::Value>& names);

// Every class of the data with its students in the report order, under
// ClassMatchKey of how it shows: a class of the settings is found by its
// name as a search finds it, letter case aside.
std::string ClassMatchKey(const std::string& shown);
std::unordered_map<std::string, std::vector<int>> StudentsByClass(const ScoreTable&);

}  // namespace tavo::reports
