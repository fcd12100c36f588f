// The demo's numbers checked against a plain count over the generated
// students: no sorting of sheets, no engine code.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>

#include "engine/zupo.h"
#include "host/model/application.h"
#include "host/model/dialog.h"
#include "host/model/recording_platform.h"
#include "workbooks/starting_workbooks.h"

namespace tavo::testing {
namespace {

using host::Value;

struct Line {
  bool byScore;
  std::vector<double> values;  // the total, then each subject
  bool single;
};

// The N-th best of a list, 0 beyond its end.
double NthBest(std::vector<double> v, int n) {
  std::sort(v.rbegin(), v.rend());
  return n <= static_cast<int>(v.size()) ? v[static_cast<std::size_t>(n - 1)] : 0;
}

double MeanOfBest(std::vector<double> v, int z) {
  std::sort(v.rbegin(), v.rend());
  double sum = 0;
  for (int i = 0; i < z; ++i) sum += v[static_cast<std::size_t>(i)];
  return sum / z;
}

// The demo school with every report run, and its students' scores: the
// total first; an absence counts 0.
struct DemoCrossCheck : ::testing::Test {
  model::RecordingPlatform platform;
  model::Application app{platform};
  model::Dialog dialog;
  model::Workbook& system = app.adopt(workbooks::NewSystemWorkbook(app, "/school"));
  const workbooks::SampleScores sample = workbooks::GenerateSampleScores();
  std::vector<std::vector<double>> scores;
  std::map<std::string, std::vector<std::size_t>> members;

  DemoCrossCheck() {
    app.setThisWorkbook(system);
    workbooks::TypeSampleSettings(system);
    app.setLoader([&](model::Application& a, const std::string&) {
      return workbooks::SampleScoreWorkbook(a, "/school/数据", sample);
    });
    platform.folders["/school/数据/"] = {workbooks::kSampleScoresName};
    for (const auto& st : sample.students) {
      std::vector<double> row{0};
      for (double x : st.scores) {
        row.push_back(std::isnan(x) ? 0 : x);
        row[0] += row.back();
      }
      members[st.className].push_back(scores.size());
      scores.push_back(row);
    }
  }
  engine::zupo engine;
  void run(const std::string& command, const std::string& csb = "") {
    engine.MyFunClick(app, dialog, "cmdSanXianSZ_Click");
    engine.MyFunClick(app, dialog, "UFInitialize");
    ASSERT_TRUE(dialog.select(workbooks::kSampleScoresName));
    engine.MyFunClick(app, dialog, "ltbCJBChange");
    engine.MyFunClick(app, dialog, command, csb);
    ASSERT_TRUE(platform.messages.empty()) << platform.messages[0].prompt;
  }
  model::Sheet& report(const char* name) {
    auto& data = dynamic_cast<model::Workbook&>(app.workbook(workbooks::kSampleScoresName));
    return *data.findModelSheet(name);
  }
  std::vector<double> column(std::size_t field, const std::vector<std::size_t>& who) const {
    std::vector<double> v;
    for (std::size_t i : who) v.push_back(scores[i][field]);
    return v;
  }
  std::vector<std::size_t> everyone() const {
    std::vector<std::size_t> all(scores.size());
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
    return all;
  }
};

TEST_F(DemoCrossCheck, EveryClassCountMaximumAndAverageOfTheThreeLineReport) {
  run("cmdSanXianTJ_Click");

  // The settings as the teacher typed them.
  model::Sheet& settings = *system.findModelSheet("三线版");
  const std::size_t subjects = sample.subjects.size();
  std::vector<Line> lines;
  for (int k = 0; k < 3; ++k) {
    Line line{settings.value({63 + k, 3}) == Value("按分数"), {}, settings.value({13, 6 + k}) == Value("单上线")};
    for (std::size_t j = 0; j <= subjects; ++j) line.values.push_back(settings.value({63 + k, 4 + static_cast<int>(j)}).number());
    lines.push_back(line);
  }
  ASSERT_EQ(settings.value({13, 5}), Value("单上线")) << "the demo takes top averages per subject";

  const std::vector<std::size_t> all = everyone();
  std::vector<std::vector<double>> lineScore(3, std::vector<double>(subjects + 1));
  for (int k = 0; k < 3; ++k)
    for (std::size_t f = 0; f <= subjects; ++f)
      lineScore[static_cast<std::size_t>(k)][f] =
          lines[static_cast<std::size_t>(k)].byScore
              ? lines[static_cast<std::size_t>(k)].values[f]
              : NthBest(column(f, all), static_cast<int>(lines[static_cast<std::size_t>(k)].values[f]));

  model::Sheet& total = report("总分1");
  model::Sheet& single = report("单科1");
  auto rowOf = [](model::Sheet& s, int from, const std::string& cls) {
    for (int r = from; r < from + 30; ++r)
      if (s.value({r, 2}) == Value(cls)) return r;
    return 0;
  };
  auto sectionOf = [&](const std::string& subject) {
    for (int r = 1; r < 400; ++r) {
      Value v = single.value({r, 2});
      if (v.isText() && v.text().rfind(subject + "统计", 0) == 0) return r;
    }
    return 0;
  };

  int checked = 0;
  for (int row = 73; !settings.value({row, 2}).isEmpty(); ++row) {
    const std::string cls = settings.value({row, 2}).text();
    const auto& who = members[cls];
    const int size = static_cast<int>(who.size());
    const int planned = settings.value({row, 3}).isEmpty() ? 0 : static_cast<int>(settings.value({row, 3}).number());
    const int z = planned == 0 || planned > size ? size : planned;
    for (std::size_t f = 0; f <= subjects; ++f) {
      model::Sheet& sheet = f == 0 ? total : single;
      const int r = f == 0 ? rowOf(total, 3, cls) : rowOf(single, sectionOf(sample.subjects[f - 1]), cls);
      ASSERT_GT(r, 0) << cls << " field " << f;
      std::vector<double> v = column(f, who);
      EXPECT_EQ(sheet.value({r, 3}), Value(z)) << cls;
      EXPECT_DOUBLE_EQ(sheet.value({r, 4}).number(), *std::max_element(v.begin(), v.end())) << cls << " " << f;
      EXPECT_NEAR(sheet.value({r, 5}).number(), MeanOfBest(v, z), 1e-9) << cls << " " << f;
      for (int k = 0; k < 3; ++k) {
        const double lineOfField = lineScore[static_cast<std::size_t>(k)][f];
        const double lineOfTotal = lineScore[static_cast<std::size_t>(k)][0];
        int count = 0;
        for (std::size_t i : who)
          if (scores[i][f] >= lineOfField && (lines[static_cast<std::size_t>(k)].single || scores[i][0] >= lineOfTotal))
            ++count;
        EXPECT_EQ(sheet.value({r, 6 + k}), Value(count)) << cls << " field " << f << " line " << k + 1;
      }
      ++checked;
    }
  }
  EXPECT_EQ(checked, 8 * 7);
}

// Band bounds by the report's own rule: the best score less its whole
// part modulo 5, each rounded half to even.
std::vector<double> LowerBounds(double best, std::size_t limit) {
  const double top = std::nearbyint(best - std::fmod(std::nearbyint(best), 5));
  std::vector<double> lows;
  for (double low = top; low >= 0 && lows.size() < limit; low -= 5) lows.push_back(low);
  return lows;
}

TEST_F(DemoCrossCheck, EveryBandCountAndRankOfTheScoreBands) {
  run("cmdCJ_Click", "三线版");
  model::Sheet& bands = report("分段表");
  const std::vector<std::size_t> all = everyone();
  int cells = 0;
  for (std::size_t f = 0; f <= sample.subjects.size(); ++f) {
    const std::string name = f == 0 ? "总分" : sample.subjects[f - 1];
    std::vector<int> headers;  // one per block of 16 bands
    for (int r = 3; r < 400; ++r)
      if (bands.value({r, 1}) == Value(name)) headers.push_back(r);
    const std::vector<double> grade = column(f, all);
    const auto lows = LowerBounds(*std::max_element(grade.begin(), grade.end()), f == 0 ? 64 : 16);
    ASSERT_EQ(headers.size(), (lows.size() + 15) / 16) << name;
    for (std::size_t c = 0; c <= sample.classes.size(); ++c) {
      // The classes in settings order, then the sum row.
      const bool sum = c == sample.classes.size();
      const std::vector<double> v = sum ? grade : column(f, members[sample.classes[c]]);
      for (std::size_t b = 0; b < lows.size(); ++b) {
        const int row = headers[b / 16] + 1 + static_cast<int>(c), col = static_cast<int>(b % 16) + 2;
        ASSERT_EQ(bands.value({row, 1}), Value(sum ? "合计|累计" : sample.classes[c]));
        const long in = std::count_if(v.begin(), v.end(), [&](double x) { return x >= lows[b] && (b == 0 || x < lows[b] + 5); });
        const long atOrAbove = std::count_if(v.begin(), v.end(), [&](double x) { return x >= lows[b]; });
        const Value expected = b == 0 ? Value(static_cast<double>(in)) : Value(std::to_string(in) + "|" + std::to_string(atOrAbove));
        EXPECT_EQ(bands.value({row, col}), expected) << name << " " << c << " band " << b;
        ++cells;
      }
    }
  }
  EXPECT_GT(cells, 9 * 16 * 7);

  model::Sheet& sheet = report("成绩表");
  auto columnOf = [&](const std::string& header) {
    for (int c = 1; c < 80; ++c)
      if (sheet.value({2, c}).isText() && sheet.value({2, c}).text().rfind(header, 0) == 0) return c;
    return 0;
  };
  std::map<std::string, std::size_t> byId;
  for (std::size_t i = 0; i < sample.students.size(); ++i) byId[sample.students[i].id] = i;
  const int idColumn = columnOf("考号"), classColumn = columnOf("班级");
  ASSERT_GT(idColumn, 0);
  int ranks = 0;
  for (int row = 3; row < 3 + static_cast<int>(scores.size()); ++row) {
    const std::size_t i = byId.at(sheet.value({row, idColumn}).text());
    const std::string& cls = sample.students[i].className;
    EXPECT_EQ(sheet.value({row, classColumn}), Value(cls));
    for (std::size_t f = 0; f <= sample.subjects.size(); ++f) {
      const std::string name = f == 0 ? "总分" : sample.subjects[f - 1];
      const double x = scores[i][f];
      auto better = [&](const std::vector<std::size_t>& who) {
        return std::count_if(who.begin(), who.end(), [&](std::size_t j) { return scores[j][f] > x; });
      };
      EXPECT_EQ(sheet.value({row, columnOf(name + "\n班\n名次")}), Value(static_cast<double>(better(members[cls]) + 1)));
      EXPECT_EQ(sheet.value({row, columnOf(name + "\n级\n名次")}), Value(static_cast<double>(better(all) + 1)));
      ranks += 2;
    }
    // Each class begins a printed page.
    const bool first = sheet.value({row - 1, classColumn}) != Value(cls);
    const auto breaks = sheet.pageBreaks();
    if (row > 3) {
      EXPECT_EQ(std::count(breaks.begin(), breaks.end(), row), first ? 1 : 0) << row;
    }
  }
  EXPECT_EQ(ranks, static_cast<int>(scores.size()) * 14);
}

// Every indicator of "各科3" or "各科4" from the students, after the rows
// were grouped by teacher: counts, rates, averages, weighted scores or
// points, totals, teacher averages and ranks.
void CheckSubjectBlocks(DemoCrossCheck& t, const char* version, const char* sheetName, bool points) {
  model::Sheet& settings = *t.system.findModelSheet(version);
  model::Sheet& s = t.report(sheetName);
  const std::size_t fields = t.sample.subjects.size() + 1, classes = t.sample.classes.size();
  std::vector<double> weights;
  for (int c = 6; c <= 10; ++c) weights.push_back(settings.value({13, c}).number());
  const std::vector<int> counted = points ? std::vector<int>{9, 12, 15, 18} : std::vector<int>{8, 10, 12, 14};
  const std::vector<int> weighted = points ? std::vector<int>{8, 11, 14, 17, 20} : std::vector<int>{16, 17, 18, 19, 20};
  const std::vector<std::size_t> all = t.everyone();
  int checked = 0;
  for (std::size_t f = 0; f < fields; ++f) {
    std::vector<double> line(2);
    for (int k = 0; k < 2; ++k) {
      const double v = settings.value({63 + k, 4 + static_cast<int>(f)}).number();
      line[static_cast<std::size_t>(k)] = settings.value({63 + k, 3}) == Value("按分数") ? v : NthBest(t.column(f, all), static_cast<int>(v));
    }
    std::vector<double> totalLine(2);
    for (int k = 0; k < 2; ++k) {
      const double v = settings.value({63 + k, 4}).number();
      totalLine[static_cast<std::size_t>(k)] = settings.value({63 + k, 3}) == Value("按分数") ? v : NthBest(t.column(0, all), static_cast<int>(v));
    }
    // Indicators per class in settings order: average, then the four rates.
    std::vector<std::array<double, 5>> indicator(classes);
    std::vector<int> rowOf(classes);
    const int top = 3 + static_cast<int>(f * classes);
    for (std::size_t c = 0; c < classes; ++c) {
      const std::string& cls = t.sample.classes[c];
      const auto& who = t.members[cls];
      const int size = static_cast<int>(who.size());
      const Value planned = settings.value({73 + static_cast<int>(c), 3});
      const int n = planned.isEmpty() || planned.number() > size ? size : static_cast<int>(planned.number());
      for (int r = top; r < top + static_cast<int>(classes); ++r)
        if (s.value({r, 4}) == Value(cls)) rowOf[c] = r;
      const int row = rowOf[c];
      ASSERT_GT(row, 0) << sheetName << " " << cls;
      const std::vector<double> v = t.column(f, who);
      EXPECT_EQ(s.value({row, 5}), Value(n));
      EXPECT_DOUBLE_EQ(s.value({row, 6}).number(), *std::max_element(v.begin(), v.end()));
      indicator[c][0] = MeanOfBest(v, n);
      EXPECT_NEAR(s.value({row, 7}).number(), indicator[c][0], 1e-9);
      for (int k = 0; k < 2; ++k) {
        int single = 0, both = 0;
        for (std::size_t i : who) {
          single += t.scores[i][f] >= line[static_cast<std::size_t>(k)];
          both += t.scores[i][f] >= line[static_cast<std::size_t>(k)] && t.scores[i][0] >= totalLine[static_cast<std::size_t>(k)];
        }
        const int counts[] = {single, both};
        for (int d = 0; d < 2; ++d) {
          const int col = counted[static_cast<std::size_t>(2 * k + d)];
          EXPECT_EQ(s.value({row, col}), Value(counts[d])) << sheetName << " " << cls << " field " << f;
          indicator[c][static_cast<std::size_t>(1 + 2 * k + d)] = 100.0 * counts[d] / n;
          EXPECT_NEAR(s.value({row, col + 1}).number(), indicator[c][static_cast<std::size_t>(1 + 2 * k + d)], 1e-9);
        }
      }
      checked += 6;
    }
    // Weighted scores or points, and their total.
    std::vector<double> total(classes, 0);
    for (std::size_t k = 0; k < 5; ++k) {
      double best = 0;
      for (const auto& x : indicator) best = std::max(best, x[k]);
      for (std::size_t c = 0; c < classes; ++c) {
        const double expected = !points ? indicator[c][k] * weights[k]
                                : best == 0 ? (k == 0 ? 0 : weights[k])
                                            : indicator[c][k] / best * weights[k];
        EXPECT_NEAR(s.value({rowOf[c], weighted[k]}).number(), expected, 1e-9) << sheetName << " " << c << " " << k;
        total[c] += expected;
      }
    }
    // Teacher averages of the totals, ranked within the block.
    std::map<std::string, std::vector<double>> byTeacher;
    for (std::size_t c = 0; c < classes; ++c) {
      EXPECT_NEAR(s.value({rowOf[c], 21}).number(), total[c], 1e-9);
      byTeacher[settings.value({73 + static_cast<int>(c), 4 + static_cast<int>(f)}).text()].push_back(total[c]);
    }
    std::map<std::string, double> mean;
    for (const auto& [teacher, totals] : byTeacher)
      mean[teacher] = std::accumulate(totals.begin(), totals.end(), 0.0) / static_cast<double>(totals.size());
    for (std::size_t c = 0; c < classes; ++c) {
      const std::string teacher = settings.value({73 + static_cast<int>(c), 4 + static_cast<int>(f)}).text();
      const int first = s.mergeArea({rowOf[c], 22}).top;
      EXPECT_EQ(s.value({first, 24}), Value(teacher));
      EXPECT_NEAR(s.value({first, 22}).number(), mean[teacher], 1e-9);
      const long above = std::count_if(mean.begin(), mean.end(), [&](const auto& m) { return m.second > mean[teacher]; });
      EXPECT_EQ(s.value({first, 23}), Value(static_cast<double>(above + 1)));
    }
  }
  EXPECT_EQ(checked, static_cast<int>(fields * classes) * 6);
}

TEST_F(DemoCrossCheck, EveryIndicatorPointAndTeacherAverageOfTheSubjectBlocks) {
  // Averages over each subject's own best students: no ties by total decide them.
  engine.MyFunClick(app, dialog, "cmdSiLvSZ_Click");
  engine.MyFunClick(app, dialog, "cmdFuFenSZ_Click");
  for (const char* version : {"四率版", "赋分版"})
    system.findModelSheet(version)->setValue(host::Rect::of(host::Cell{13, 5}), Value("单上线"));
  run("cmdSiLvTJ_Click");
  run("cmdFuFenTJ_Click");
  CheckSubjectBlocks(*this, "四率版", "各科3", false);
  CheckSubjectBlocks(*this, "赋分版", "各科4", true);
}

}  // namespace
}  // namespace tavo::testing
