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

std::optional<LineStatistics> ComputeLineStatistics(host::Application& app, ScoreData& data,
                                                    const LineSettings& settings) {
  host::Worksheet& sheet = *data.dataSheet;
  const int lines = settings.lineCount;
  const std::size_t fieldCount = data.fields.size(), classCount = data.classes.size();
  const int total = data.fields.front().column;

  LineStatistics st;
  auto lineScores = ComputeLineScores(app, data, settings);
  if (!lineScores) return std::nullopt;
  st.lineScores = std::move(*lineScores);
  st.groups = GradeGroups(data, settings);

  st.maxima.assign(classCount, std::vector<double>(fieldCount, 0));
  for (std::size_t s = 0; s < fieldCount; ++s) {
    sheetutil::SortByTwoKeys(sheet, data.classColumn, data.fields[s].column);
    for (std::size_t c = 0; c < classCount; ++c)
      st.maxima[c][s] = host::toNumber(sheet.value({data.classes[c].firstRow, data.fields[s].column}));
  }

  // The top average: the host computes it in the scratch cell over the
  // class's best students, as many as its student count.
  st.averages.assign(classCount, std::vector<double>(fieldCount, 0));
  auto average = [&](std::size_t c, std::size_t s) {
    const ClassBlock& b = data.classes[c];
    const int q = data.fields[s].column - kScratchColumn;
    const std::string from = "R[" + std::to_string(b.firstRow - 1) + "]C[" + std::to_string(q) + "]";
    const std::string to = "R[" + std::to_string(b.firstRow + b.studentCount - 2) + "]C[" + std::to_string(q) + "]";
    sheet.setFormulaR1C1(Rect::of(Cell{1, kScratchColumn}), "=AVERAGE(" + from + ":" + to + ")");
    st.averages[c][s] = host::toNumber(sheet.value({1, kScratchColumn}));
  };
  if (settings.averagesPerSubject) {
    for (std::size_t s = 0; s < fieldCount; ++s) {
      sheetutil::SortByTwoKeys(sheet, data.classColumn, data.fields[s].column);
      for (std::size_t c = 0; c < classCount; ++c) average(c, s);
    }
  } else {
    sheetutil::SortByTwoKeys(sheet, data.classColumn, total);
    for (std::size_t s = 0; s < fieldCount; ++s)
      for (std::size_t c = 0; c < classCount; ++c) average(c, s);
  }

  st.counts.assign(static_cast<std::size_t>(lines), std::vector<std::vector<int>>(classCount, std::vector<int>(fieldCount, 0)));
  for (int k = 0; k < lines; ++k) {
    auto& counts = st.counts[static_cast<std::size_t>(k)];
    const auto& scores = st.lineScores[static_cast<std::size_t>(k)];
    if (settings.singleCount[static_cast<std::size_t>(k)]) {
      for (std::size_t s = 0; s < fieldCount; ++s) {
        sheetutil::SortByTwoKeys(sheet, data.classColumn, data.fields[s].column);
        for (std::size_t c = 0; c < classCount; ++c)
          counts[c][s] = sheetutil::CountRunAtOrAbove(sheet, data.classes[c].firstRow, data.classes[c].lastRow,
                                                      data.fields[s].column, scores[s]);
      }
    } else {
      sheetutil::SortByTwoKeys(sheet, data.classColumn, total);
      for (std::size_t s = 0; s < fieldCount; ++s)
        for (std::size_t c = 0; c < classCount; ++c)
          counts[c][s] = sheetutil::CountRunBothAtOrAbove(sheet, data.classes[c].firstRow, data.classes[c].lastRow,
                                                          total, data.fields[s].column, scores[0], scores[s]);
    }
  }

  st.lineTotals.assign(static_cast<std::size_t>(lines), std::vector<int>(fieldCount, 0));
  for (int k = 0; k < lines; ++k)
    for (std::size_t c = 0; c < classCount; ++c)
      for (std::size_t s = 0; s < fieldCount; ++s)
        st.lineTotals[static_cast<std::size_t>(k)][s] += st.counts[static_cast<std::size_t>(k)][c][s];

  st.teachers.assign(classCount, std::vector<std::string>(fieldCount));
  for (std::size_t c = 0; c < classCount; ++c)
    for (std::size_t s = 0; s < fieldCount; ++s)
      st.teachers[c][s] = host::toText(SettingsCell(settings, data.classes[c].paramRow, data.fields[s].paramColumn));
  return st;
}

}  // namespace tavo::reports
