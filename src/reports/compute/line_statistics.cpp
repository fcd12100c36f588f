#include "reports/compute/line_statistics.h"

#include <cmath>

#include "params/settings_sheet.h"
#include "reports/compute/score_statistics.h"
#include "sheetutil/messages.h"

namespace tavo::reports {

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

std::optional<std::vector<std::vector<double>>> ComputeLineScores(host::Application& app, const ScoreData& data,
                                                                  const LineSettings& settings) {
  const int lines = settings.lineCount;
  // Every head count is checked before anything is written.
  for (int k = 0; k < lines; ++k) {
    if (settings.byScore[static_cast<std::size_t>(k)]) continue;
    for (const Field& f : data.fields)
      if (!HeadCount(LineValue(settings, k, f.paramColumn))) {
        sheetutil::Warn(app, data.settingsSheet + "中" + settings.lineNames[static_cast<std::size_t>(k)] +
                                 "线的" + f.name + "人数应为不小于1的数，请检查！");
        return std::nullopt;
      }
  }
  std::vector<std::vector<double>> scores(static_cast<std::size_t>(lines), std::vector<double>(data.fields.size(), 0));
  for (std::size_t s = 0; s < data.fields.size(); ++s) {
    std::vector<double> grade;  // every student's, best first, once a line needs it
    for (int k = 0; k < lines; ++k) {
      const Value& v = LineValue(settings, k, data.fields[s].paramColumn);
      if (settings.byScore[static_cast<std::size_t>(k)]) {
        scores[static_cast<std::size_t>(k)][s] = host::toNumber(v);
      } else {
        if (grade.empty()) grade = BestFirst(data.scores(s), data.table.order);
        scores[static_cast<std::size_t>(k)][s] = NthBest(grade, *HeadCount(v));
      }
    }
  }
  return scores;
}

ClassTable ClassMaxima(const ScoreData& data) {
  ClassTable maxima(data.classes.size(), std::vector<double>(data.fields.size(), 0));
  for (std::size_t c = 0; c < data.classes.size(); ++c)
    for (std::size_t s = 0; s < data.fields.size(); ++s)
      maxima[c][s] = BestOf(data.scores(s), data.classes[c].students);
  return maxima;
}

ClassTable TopAverages(const ScoreData& data, bool perSubject) {
  ClassTable averages(data.classes.size(), std::vector<double>(data.fields.size(), 0));
  for (std::size_t c = 0; c < data.classes.size(); ++c) {
    const ClassBlock& b = data.classes[c];
    for (std::size_t s = 0; s < data.fields.size(); ++s) {
      // By the total: the class's students stand best total first already.
      std::vector<double> scores;
      if (perSubject) {
        scores = BestFirst(data.scores(s), b.students);
      } else {
        for (int student : b.students) scores.push_back(data.scores(s)[static_cast<std::size_t>(student)]);
      }
      averages[c][s] = AverageOfFirst(scores, b.studentCount);
    }
  }
  return averages;
}

CountTable SingleCounts(const ScoreData& data, const std::vector<double>& lineScores) {
  CountTable counts(data.classes.size(), std::vector<int>(data.fields.size(), 0));
  for (std::size_t c = 0; c < data.classes.size(); ++c)
    for (std::size_t s = 0; s < data.fields.size(); ++s)
      counts[c][s] = CountAtOrAbove(data.scores(s), data.classes[c].students, lineScores[s]);
  return counts;
}

CountTable DoubleCounts(const ScoreData& data, const std::vector<double>& lineScores) {
  CountTable counts(data.classes.size(), std::vector<int>(data.fields.size(), 0));
  for (std::size_t c = 0; c < data.classes.size(); ++c)
    for (std::size_t s = 0; s < data.fields.size(); ++s)
      counts[c][s] = CountBothAtOrAbove(data.scores(0), data.scores(s), data.classes[c].students, lineScores[0],
                                        lineScores[s]);
  return counts;
}

std::vector<GradeWide> GradeWideCounts(const ScoreData& data, const std::vector<std::vector<double>>& lineScores) {
  std::vector<GradeWide> out;
  for (std::size_t s = 0; s < data.fields.size(); ++s) {
    GradeWide g;
    const std::vector<double>& scores = data.scores(s);
    g.best = BestOf(scores, data.table.order);
    for (const auto& line : lineScores) g.atOrAbove.push_back(CountAtOrAbove(scores, line[s]));
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

std::optional<LineBasics> ComputeLineBasics(host::Application& app, const ScoreData& data, const LineSettings& settings) {
  auto lineScores = ComputeLineScores(app, data, settings);
  if (!lineScores) return std::nullopt;
  LineBasics basics;
  basics.lineScores = std::move(*lineScores);
  basics.maxima = ClassMaxima(data);
  basics.averages = TopAverages(data, settings.averagesPerSubject);
  basics.teachers = Teachers(data, settings);
  return basics;
}

std::optional<LineStatistics> ComputeLineStatistics(host::Application& app, const ScoreData& data,
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
