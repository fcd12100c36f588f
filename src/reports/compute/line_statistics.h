// Per class and field of a line report: class maxima, top averages and the
// students at or above each line; per field the line scores and totals.
// Computed from the score table before any report sheet is written.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/application.h"
#include "reports/compute/line_settings.h"
#include "reports/compute/score_data.h"

namespace tavo::reports {

// Consecutive classes of one grade value.
struct GradeGroup {
  std::string name;
  int firstClass;  // index into ScoreData::classes
  int size;
};

// [class][field]
using ClassTable = std::vector<std::vector<double>>;
using CountTable = std::vector<std::vector<int>>;

// What every report of lines starts from: each line's cut score per field
// ([line][field]), each class's best and its best students' average
// ([class][field]), and the teachers ([class][field]).
struct LineBasics {
  std::vector<std::vector<double>> lineScores;
  ClassTable maxima, averages;
  std::vector<std::vector<std::string>> teachers;
};

struct LineStatistics : LineBasics {
  std::vector<GradeGroup> groups;
  // Per line its one count (single or double as set), or with bothCounts
  // its single and then its double count: [count][class][field]; and their
  // sums over the classes, [count][field].
  std::vector<CountTable> counts;
  std::vector<std::vector<int>> countTotals;
};

std::vector<GradeGroup> GradeGroups(const ScoreData&, const LineSettings&);

// [line][field]: each line's cut score, typed or the N-th best of the
// grade. Nothing when a line given by head count has no usable number (a
// warning naming the sheet, the line and the field was shown).
std::optional<std::vector<std::vector<double>>> ComputeLineScores(host::Application&, const ScoreData&,
                                                                  const LineSettings&);

// Nothing when a line given by head count has no usable number.
std::optional<LineBasics> ComputeLineBasics(host::Application&, const ScoreData&, const LineSettings&);

// Averages are over a class's best students (as many as its student count)
// by the field itself (perSubject) or by the total.
ClassTable ClassMaxima(const ScoreData&);
ClassTable TopAverages(const ScoreData&, bool perSubject);
// Students of the class at or above the field's line; double counts also at
// or above the total's line.
CountTable SingleCounts(const ScoreData&, const std::vector<double>& lineScores);
CountTable DoubleCounts(const ScoreData&, const std::vector<double>& lineScores);
// Per field, over every student of the data (in the settings' classes or
// not): the best score and, per line, the students at or above it.
struct GradeWide {
  double best = 0;
  std::vector<int> atOrAbove;  // [line]
};
std::vector<GradeWide> GradeWideCounts(const ScoreData&, const std::vector<std::vector<double>>& lineScores);

// Each class's teacher of each field, from the class table.
std::vector<std::vector<std::string>> Teachers(const ScoreData&, const LineSettings&);

// Nothing when a line given by head count has no usable number (a warning
// naming the sheet, the line and the field was shown).
std::optional<LineStatistics> ComputeLineStatistics(host::Application&, const ScoreData&, const LineSettings&);

}  // namespace tavo::reports
