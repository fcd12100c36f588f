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

TEST(DemoCrossCheck, EveryClassCountMaximumAndAverageOfTheThreeLineReport) {
  model::RecordingPlatform platform;
  model::Application app(platform);
  model::Dialog dialog;
  auto& system = app.adopt(cli::NewSystemWorkbook(app, "/school"));
  app.setThisWorkbook(system);
  cli::TypeSampleSettings(system);
  const cli::SampleScores sample = cli::GenerateSampleScores();
  app.setLoader([&](model::Application& a, const std::string&) {
    return cli::SampleScoreWorkbook(a, "/school/数据", sample);
  });
  platform.folders["/school/数据/"] = {cli::kSampleScoresName};
  engine::zupo engine;
  engine.MyFunClick(app, dialog, "cmdSanXianSZ_Click");
  engine.MyFunClick(app, dialog, "UFInitialize");
  ASSERT_TRUE(dialog.select(cli::kSampleScoresName));
  engine.MyFunClick(app, dialog, "ltbCJBChange");
  engine.MyFunClick(app, dialog, "cmdSanXianTJ_Click");
  ASSERT_TRUE(platform.messages.empty()) << platform.messages[0].prompt;

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

  // Scores per student: the total first; an absence counts 0.
  std::vector<std::vector<double>> scores;
  std::map<std::string, std::vector<std::size_t>> members;
  for (const auto& st : sample.students) {
    std::vector<double> row{0};
    for (double x : st.scores) {
      row.push_back(std::isnan(x) ? 0 : x);
      row[0] += row.back();
    }
    members[st.className].push_back(scores.size());
    scores.push_back(row);
  }
  auto column = [&](std::size_t field, const std::vector<std::size_t>& who) {
    std::vector<double> v;
    for (std::size_t i : who) v.push_back(scores[i][field]);
    return v;
  };
  std::vector<std::size_t> everyone(scores.size());
  for (std::size_t i = 0; i < everyone.size(); ++i) everyone[i] = i;
  std::vector<std::vector<double>> lineScore(3, std::vector<double>(subjects + 1));
  for (int k = 0; k < 3; ++k)
    for (std::size_t f = 0; f <= subjects; ++f)
      lineScore[static_cast<std::size_t>(k)][f] =
          lines[static_cast<std::size_t>(k)].byScore
              ? lines[static_cast<std::size_t>(k)].values[f]
              : NthBest(column(f, everyone), static_cast<int>(lines[static_cast<std::size_t>(k)].values[f]));

  model::Workbook& data = dynamic_cast<model::Workbook&>(app.workbook(cli::kSampleScoresName));
  model::Sheet& total = *data.findModelSheet("总分1");
  model::Sheet& single = *data.findModelSheet("单科1");
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

}  // namespace
}  // namespace tavo::testing
