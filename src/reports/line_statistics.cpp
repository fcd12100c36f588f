#include "reports/line_statistics.h"

#include <cmath>

#include "params/settings_sheet.h"
#include "sheetutil/messages.h"
#include "sheetutil/sheet_routines.h"

namespace tavo::reports {

using host::Cell;
using host::Rect;
using host::Value;

namespace {

const Value& SettingsCell(const LineSettings& s, int row, int col) {
  static const Value kEmpty;
  auto r = s.classTable.find(row);
  if (r == s.classTable.end()) return kEmpty;
  auto c = r->second.find(col);
  return c == r->second.end() ? kEmpty : c->second;
}

const Value& LineValue(const LineSettings& s, int line, int paramColumn) {
  static const Value kEmpty;
  const auto& values = s.lineValues[static_cast<std::size_t>(line)];
  auto it = values.find(paramColumn);
  return it == values.end() ? kEmpty : it->second;
}

// A head count: a whole number of students, at least 1.
std::optional<int> HeadCount(const Value& v) {
  std::optional<double> x;
  if (v.isNumber()) x = v.number();
  else if (v.isText()) x = host::parseDecimal(v.text());
  if (!x || !std::isfinite(*x) || std::abs(*x) > 2e9) return std::nullopt;
  int n = host::roundToInteger(*x);
  return n >= 1 ? std::optional<int>(n) : std::nullopt;
}

}  // namespace

std::vector<GradeGroup> GradeGroups(const ScoreData& data, const LineSettings& settings) {
  std::vector<GradeGroup> groups;
  for (int c = 0; c < static_cast<int>(data.classes.size()); ++c) {
    const Value& grade = SettingsCell(settings, data.classes[static_cast<std::size_t>(c)].paramRow, params::kGradeColumn);
    if (c > 0) {
      const Value& before =
          SettingsCell(settings, data.classes[static_cast<std::size_t>(c - 1)].paramRow, params::kGradeColumn);
      if (grade == before) {
        ++groups.back().size;
        continue;
      }
    }
    groups.push_back({host::toText(grade), c, 1});
  }
  return groups;
}

std::optional<std::vector<std::vector<double>>> ComputeLineScores(host::Application& app, ScoreData& data,
                                                                  const LineSettings& settings) {
  host::Worksheet& sheet = *data.dataSheet;
  const int lines = settings.lineCount;
  // Every head count is checked before anything is sorted or written.
  for (int k = 0; k < lines; ++k) {
    if (settings.byScore[static_cast<std::size_t>(k)]) continue;
    for (const Field& f : data.fields)
      if (!HeadCount(LineValue(settings, k, f.paramColumn))) {
        sheetutil::Warn(app, data.versionSheet->name() + "中" + settings.lineNames[static_cast<std::size_t>(k)] +
                                 "线的" + f.name + "人数应为不小于1的数，请检查！");
        return std::nullopt;
      }
  }
  std::vector<std::vector<double>> scores(static_cast<std::size_t>(lines), std::vector<double>(data.fields.size(), 0));
  for (int k = 0; k < lines; ++k)
    for (std::size_t s = 0; s < data.fields.size(); ++s) {
      const Field& f = data.fields[s];
      const Value& v = LineValue(settings, k, f.paramColumn);
      if (settings.byScore[static_cast<std::size_t>(k)]) {
        scores[static_cast<std::size_t>(k)][s] = host::toNumber(v);
      } else {
        // The N-th best score of the grade.
        sheetutil::SortDescendingBy(sheet, f.column);
        scores[static_cast<std::size_t>(k)][s] = host::toNumber(sheet.value({*HeadCount(v) + 1, f.column}));
      }
    }
  return scores;
}

ClassTable ClassMaxima(ScoreData& data) {
  host::Worksheet& sheet = *data.dataSheet;
  ClassTable maxima(data.classes.size(), std::vector<double>(data.fields.size(), 0));
  for (std::size_t s = 0; s < data.fields.size(); ++s) {
    sheetutil::SortByTwoKeys(sheet, data.classColumn, data.fields[s].column);
    for (std::size_t c = 0; c < data.classes.size(); ++c)
      maxima[c][s] = host::toNumber(sheet.value({data.classes[c].firstRow, data.fields[s].column}));
  }
  return maxima;
}

ClassTable TopAverages(ScoreData& data, bool perSubject) {
  host::Worksheet& sheet = *data.dataSheet;
  ClassTable averages(data.classes.size(), std::vector<double>(data.fields.size(), 0));
  // The host computes it in the scratch cell over the class's best
  // students, as many as its student count.
  auto average = [&](std::size_t c, std::size_t s) {
    const ClassBlock& b = data.classes[c];
    const int q = data.fields[s].column - kScratchColumn;
    const std::string from = "R[" + std::to_string(b.firstRow - 1) + "]C[" + std::to_string(q) + "]";
    const std::string to = "R[" + std::to_string(b.firstRow + b.studentCount - 2) + "]C[" + std::to_string(q) + "]";
    sheet.setFormulaR1C1(Rect::of(Cell{1, kScratchColumn}), "=AVERAGE(" + from + ":" + to + ")");
    averages[c][s] = host::toNumber(sheet.value({1, kScratchColumn}));
  };
  if (perSubject) {
    for (std::size_t s = 0; s < data.fields.size(); ++s) {
      sheetutil::SortByTwoKeys(sheet, data.classColumn, data.fields[s].column);
      for (std::size_t c = 0; c < data.classes.size(); ++c) average(c, s);
    }
  } else {
    sheetutil::SortByTwoKeys(sheet, data.classColumn, data.fields.front().column);
    for (std::size_t s = 0; s < data.fields.size(); ++s)
      for (std::size_t c = 0; c < data.classes.size(); ++c) average(c, s);
  }
  return averages;
}

CountTable SingleCounts(ScoreData& data, const std::vector<double>& lineScores) {
  host::Worksheet& sheet = *data.dataSheet;
  CountTable counts(data.classes.size(), std::vector<int>(data.fields.size(), 0));
  for (std::size_t s = 0; s < data.fields.size(); ++s) {
    sheetutil::SortByTwoKeys(sheet, data.classColumn, data.fields[s].column);
    for (std::size_t c = 0; c < data.classes.size(); ++c)
      counts[c][s] = sheetutil::CountRunAtOrAbove(sheet, data.classes[c].firstRow, data.classes[c].lastRow,
                                                  data.fields[s].column, lineScores[s]);
  }
  return counts;
}

CountTable DoubleCounts(ScoreData& data, const std::vector<double>& lineScores) {
  host::Worksheet& sheet = *data.dataSheet;
  const int total = data.fields.front().column;
  CountTable counts(data.classes.size(), std::vector<int>(data.fields.size(), 0));
  sheetutil::SortByTwoKeys(sheet, data.classColumn, total);
  for (std::size_t s = 0; s < data.fields.size(); ++s)
    for (std::size_t c = 0; c < data.classes.size(); ++c)
      counts[c][s] = sheetutil::CountRunBothAtOrAbove(sheet, data.classes[c].firstRow, data.classes[c].lastRow, total,
                                                      data.fields[s].column, lineScores[0], lineScores[s]);
  return counts;
}

std::vector<GradeWide> GradeWideCounts(ScoreData& data, const std::vector<std::vector<double>>& lineScores) {
  host::Worksheet& sheet = *data.dataSheet;
  std::vector<GradeWide> out;
  for (std::size_t s = 0; s < data.fields.size(); ++s) {
    const int column = data.fields[s].column;
    sheetutil::SortDescendingBy(sheet, column);
    GradeWide g;
    g.best = host::toNumber(sheet.value({2, column}));
    for (const auto& line : lineScores) g.atOrAbove.push_back(sheetutil::CountAtOrAbove(sheet, column, line[s]));
    out.push_back(std::move(g));
  }
  return out;
}

std::vector<std::vector<std::string>> Teachers(const ScoreData& data, const LineSettings& settings) {
  std::vector<std::vector<std::string>> teachers(data.classes.size(), std::vector<std::string>(data.fields.size()));
  for (std::size_t c = 0; c < data.classes.size(); ++c)
    for (std::size_t s = 0; s < data.fields.size(); ++s)
      teachers[c][s] = host::toText(SettingsCell(settings, data.classes[c].paramRow, data.fields[s].paramColumn));
  return teachers;
}

std::optional<LineBasics> ComputeLineBasics(host::Application& app, ScoreData& data, const LineSettings& settings) {
  auto lineScores = ComputeLineScores(app, data, settings);
  if (!lineScores) return std::nullopt;
  LineBasics basics;
  basics.lineScores = std::move(*lineScores);
  basics.maxima = ClassMaxima(data);
  basics.averages = TopAverages(data, settings.averagesPerSubject);
  basics.teachers = Teachers(data, settings);
  return basics;
}

std::optional<LineStatistics> ComputeLineStatistics(host::Application& app, ScoreData& data,
                                                    const LineSettings& settings) {
  auto basics = ComputeLineBasics(app, data, settings);
  if (!basics) return std::nullopt;
  LineStatistics st;
  static_cast<LineBasics&>(st) = std::move(*basics);
  st.groups = GradeGroups(data, settings);
  for (int k = 0; k < settings.lineCount; ++k) {
    const auto& scores = st.lineScores[static_cast<std::size_t>(k)];
    if (settings.bothCounts) {
      st.counts.push_back(SingleCounts(data, scores));
      st.counts.push_back(DoubleCounts(data, scores));
    } else {
      st.counts.push_back(settings.singleCount[static_cast<std::size_t>(k)] ? SingleCounts(data, scores)
                                                                            : DoubleCounts(data, scores));
    }
  }
  for (const CountTable& counts : st.counts) {
    std::vector<int> totals(data.fields.size(), 0);
    for (const auto& perClass : counts)
      for (std::size_t s = 0; s < data.fields.size(); ++s) totals[s] += perClass[s];
    st.countTotals.push_back(std::move(totals));
  }
  return st;
}

}  // namespace tavo::reports
