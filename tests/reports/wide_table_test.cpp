// Score exports of marking systems: a column per question right of the
// scores, 300 columns in all, and a teacher's note beyond. Every report
// reads the table and writes nothing on it but the total, and its sheets
// are those of the same scores without the questions.
#include <gtest/gtest.h>

#include <map>

#include "engine/zupo.h"
#include "host/model/application.h"
#include "host/model/dialog.h"
#include "host/model/recording_platform.h"
#include "sheet_snapshot.h"
#include "workbooks/starting_workbooks.h"

namespace tavo::testing {
namespace {

using host::Value;

constexpr int kWidth = 300;
constexpr int kNoteColumn = kWidth + 3;
const std::vector<std::pair<std::string, std::string>> kReports = {
    {"cmdCJ_Click", "三线版"}, {"cmdSanXianTJ_Click", ""}, {"cmdTwoXianTJ_Click", ""},
    {"cmdSiLvTJ_Click", ""},   {"cmdFuFenTJ_Click", ""},   {"cmdTuBiaoTJ_Click", ""}};

// The demo school, its score file made `width` columns wide.
struct School {
  model::RecordingPlatform platform;
  model::Application app{platform};
  model::Dialog dialog;
  engine::zupo engine;
  model::Workbook& system = app.adopt(workbooks::NewSystemWorkbook(app, "/school"));

  explicit School(bool wide) {
    app.setThisWorkbook(system);
    workbooks::TypeSampleSettings(system);
    app.setLoader([wide](model::Application& a, const std::string&) {
      auto book = workbooks::SampleScoreWorkbook(a, "/school/数据", workbooks::GenerateSampleScores());
      if (wide) Widen(book->modelSheet(1));
      return book;
    });
    platform.folders["/school/数据/"] = {workbooks::kSampleScoresName};
    for (const char* layout : {"cmdSanXianSZ_Click", "cmdTwoXianSZ_Click", "cmdSiLvSZ_Click", "cmdFuFenSZ_Click",
                               "cmdTuBiaoSZ_Click", "UFInitialize"})
      engine.MyFunClick(app, dialog, layout);
    dialog.select(workbooks::kSampleScoresName);
    engine.MyFunClick(app, dialog, "ltbCJBChange");
  }

  static void Widen(model::Sheet& s) {
    const int last = s.currentRegion({1, 1}).bottom, first = s.currentRegion({1, 1}).right + 1;
    for (int c = first; c <= kWidth; ++c) {
      s.setValue(host::Rect::of({1, c}), Value("题" + std::to_string(c - first + 1)));
      for (int r = 2; r <= last; ++r) s.setValue(host::Rect::of({r, c}), Value((r * 7 + c) % 6));
    }
    s.setValue(host::Rect::of({1, kNoteColumn}), Value("备注：第3题送分"));
    s.setValue(host::Rect::of({5, kNoteColumn}), Value("补考"));
  }

  model::Workbook& data() { return dynamic_cast<model::Workbook&>(app.workbook(workbooks::kSampleScoresName)); }
  model::Sheet& sheet(const std::string& name) { return *data().findModelSheet(name); }
  void runReports() {
    for (const auto& [command, csb] : kReports) {
      engine.MyFunClick(app, dialog, command, csb);
      ASSERT_TRUE(platform.messages.empty()) << command << ": " << platform.messages[0].prompt;
    }
  }
};

TEST(WideTableTest, TheReportsKeepEveryCellOfTheTableAndMatchTheNarrowTable) {
  School wide(true), narrow(false);
  const SheetSnapshot before = SheetSnapshot::of(wide.sheet("数据表"));
  ASSERT_TRUE(before.cells.at({1, kNoteColumn}).starts_with("备注")) << "the note is there to begin with";
  wide.runReports();
  narrow.runReports();

  // The table gains its total right of the last question, and nothing else changes.
  const model::Sheet& table = wide.sheet("数据表");
  EXPECT_EQ(table.value({1, kWidth + 1}), Value("总分"));
  EXPECT_EQ(table.value({1, kNoteColumn}), Value("备注：第3题送分"));
  SheetSnapshot after = SheetSnapshot::of(table);
  int changed = 0;
  for (auto& [at, text] : after.cells) {
    if (at.second == kWidth + 1) continue;
    auto was = before.cells.find(at);
    EXPECT_TRUE(was != before.cells.end() && was->second == text)
        << "cell (" << at.first << "," << at.second << ") changed";
    changed += was == before.cells.end() || was->second != text;
    if (changed > 5) break;
  }
  const int narrowTotal = narrow.sheet("数据表").currentRegion({1, 1}).right;
  ASSERT_EQ(narrow.sheet("数据表").value({1, narrowTotal}), Value("总分"));
  EXPECT_EQ(narrow.sheet("数据表").value({2, narrowTotal}), table.value({2, kWidth + 1})) << "the same totals";

  for (const char* name : {"分段表", "总分1", "单科1", "总分2", "单科2", "各科3", "各科4", "统计图", "统计表"}) {
    const SheetSnapshot w = SheetSnapshot::of(wide.sheet(name)), n = SheetSnapshot::of(narrow.sheet(name));
    EXPECT_TRUE(w == n) << name << ": " << SheetSnapshot::diff(n, w);
  }
  // The score sheet carries every column of the table: the narrow sheet's
  // columns stand in the wide one under the same header, with the same cells.
  const model::Sheet& ws = wide.sheet("成绩表");
  const model::Sheet& ns = narrow.sheet("成绩表");
  std::map<std::string, int> wideColumns;
  for (int c = 1; c <= ws.usedRange().right; ++c) wideColumns.emplace(host::displayText(ws.value({2, c})), c);
  const host::Rect used = ns.usedRange();
  for (int c = 1; c <= used.right; ++c) {
    const std::string header = host::displayText(ns.value({2, c}));
    ASSERT_TRUE(wideColumns.count(header)) << header;
    const int w = wideColumns[header];
    EXPECT_EQ(ns.values({3, c, used.bottom, c}).cells, ws.values({3, w, used.bottom, w}).cells) << header;
  }
}

}  // namespace
}  // namespace tavo::testing
