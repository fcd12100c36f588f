// The demo's numbers checked against a plain count over the generated
// students: no work copy, no sorting of sheets, no engine code.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "cli/sample_workbooks.h"
#include "engine/zupo.h"
#include "host/model/application.h"
#include "host/model/dialog.h"
#include "host/model/recording_platform.h"

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
  model::Workbook& system = app.adopt(cli::NewSystemWorkbook(app, "/school"));
  const cli::SampleScores sample = cli::GenerateSampleScores();
  std::vector<std::vector<double>> scores;
  std::map<std::string, std::vector<std::size_t>> members;

  DemoCrossCheck() {
    app.setThisWorkbook(system);
    cli::TypeSampleSettings(system);
    app.setLoader([&](model::Application& a, const std::string&) {
      return cli::SampleScoreWorkbook(a, "/school/数据", sample);
    });
    platform.folders["/school/数据/"] = {cli::kSampleScoresName};
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
  void run(const std::string& command, const std::string& csb = "") {
    engine::zupo engine;
    engine.MyFunClick(app, dialog, "cmdSanXianSZ_Click");
    engine.MyFunClick(app, dialog, "UFInitialize");
    ASSERT_TRUE(dialog.select(cli::kSampleScoresName));
    engine.MyFunClick(app, dialog, "ltbCJBChange");
    engine.MyFunClick(app, dialog, command, csb);
    ASSERT_TRUE(platform.messages.empty()) << platform.messages[0].prompt;
  }
  model::Sheet& report(const char* name) {
    auto& data = dynamic_cast<model::Workbook&>(app.workbook(cli::kSampleScoresName));
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
    for (int c = 1; c < 40; ++c)
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

}  // namespace
}  // namespace tavo::testing
