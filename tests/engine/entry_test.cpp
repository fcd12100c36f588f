// The entry point: switches, the command table and the error box.
#include <gtest/gtest.h>

#include <map>

#include "engine/zupo.h"
#include "host_fixture.h"

namespace tavo::testing {
namespace {

// Records the switches in the order they are set; can refuse to switch one
// back on, as a host in trouble would.
class SwitchLog final : public host::Application {
 public:
  SwitchLog(host::Application& inner, std::vector<std::string>& log) : in_(inner), log_(log) {}
  bool failRestore = false;

  bool displayAlerts() const override { return in_.displayAlerts(); }
  void setDisplayAlerts(bool b) override { record("DisplayAlerts", b), in_.setDisplayAlerts(b); }
  bool screenUpdating() const override { return in_.screenUpdating(); }
  void setScreenUpdating(bool b) override { record("ScreenUpdating", b), in_.setScreenUpdating(b); }
  bool enableEvents() const override { return in_.enableEvents(); }
  void setEnableEvents(bool b) override { record("EnableEvents", b), in_.setEnableEvents(b); }
  std::string version() const override { return in_.version(); }
  host::ChartPlacement chartPlacement() const override { return in_.chartPlacement(); }
  host::Workbook& thisWorkbook() override { return in_.thisWorkbook(); }
  int workbookCount() const override { return in_.workbookCount(); }
  host::Workbook& workbook(int i) override { return in_.workbook(i); }
  host::Workbook* findWorkbook(const std::string& n) override { return in_.findWorkbook(n); }
  host::Workbook& workbook(const std::string& n) override { return in_.workbook(n); }
  host::Workbook& openWorkbook(const std::string& p) override { return in_.openWorkbook(p); }
  host::Workbook& activeWorkbook() override { return in_.activeWorkbook(); }
  host::Worksheet& activeSheet() override { return in_.activeSheet(); }
  host::Window& activeWindow() override { return in_.activeWindow(); }
  host::Platform& platform() override { return in_.platform(); }

 private:
  void record(const char* name, bool on) {
    log_.push_back(std::string(name) + (on ? "=on" : "=off"));
    if (on && failRestore) throw host::HostError::refused("宿主拒绝了 " + std::string(name));
  }
  host::Application& in_;
  std::vector<std::string>& log_;
};

struct EntryTest : HostFixture {
  std::vector<std::string> log;
  SwitchLog host{app, log};
  engine::zupo engine;

  host::Value click(const std::string& name, const std::string& csb = "") {
    return engine.MyFunClick(host, dialog, name, csb);
  }
  const std::vector<std::string> kOffThenOn = {"DisplayAlerts=off", "ScreenUpdating=off",
                                               "EnableEvents=off",  "EnableEvents=on",
                                               "DisplayAlerts=on",  "ScreenUpdating=on"};
};

TEST_F(EntryTest, NamesOutsideTheTableStillSwitchOffAndOnAndShowNothing) {
  for (const char* name : {"", "nosuch", "ufinitialize", "UFINITIALIZE", " UFInitialize"}) {
    log.clear();
    EXPECT_TRUE(click(name).isEmpty());
    EXPECT_EQ(log, kOffThenOn) << '"' << name << '"';
  }
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(dialog.itemCount(), 0) << "UFInitialize in other letter case ran";
}

TEST_F(EntryTest, TheCommandTableSaysWhatEachCommandIs) {
  const auto commands = engine::zupo::Commands();
  ASSERT_EQ(commands.size(), 19u);
  EXPECT_EQ(commands.front().name, "cmdCJ_Click");
  EXPECT_EQ(commands.back().name, "MyHelp");
  std::map<engine::CommandKind, std::vector<std::string>> byKind;
  for (const auto& c : commands) byKind[c.kind].push_back(c.name);
  EXPECT_EQ(byKind[engine::CommandKind::Layout],
            (std::vector<std::string>{"cmdSanXianSZ_Click", "cmdTwoXianSZ_Click", "cmdSiLvSZ_Click", "cmdFuFenSZ_Click",
                                      "cmdTuBiaoSZ_Click", "cmdFenXiSZ_Click"}));
  EXPECT_EQ(byKind[engine::CommandKind::Report].size(), 10u);
  EXPECT_EQ(byKind[engine::CommandKind::Dialog], (std::vector<std::string>{"ltbCJBChange", "UFInitialize", "MyHelp"}));
  EXPECT_EQ(engine::zupo::FindCommand("cmdFuFenTJ_Click")->settingsSheet, "赋分版");
  EXPECT_EQ(engine::zupo::FindCommand("cmdDengJiTJ_Click")->caption, "标准分与赋分");
  EXPECT_EQ(engine::zupo::FindCommand("cmdCJ_Click")->settingsSheet, "三线版") << "the dialog's default";
  EXPECT_FALSE(engine::zupo::FindCommand("cmdfufentj_click")) << "names are exact";
}

TEST_F(EntryTest, AnErrorInsideACommandGivesOneBoxAndTheSwitchesComeBack) {
  platform.folders[kDataFolder] = {"一模.xlsx"};
  click("UFInitialize");
  dialog.setListIndex(0);  // the file is listed but cannot be opened
  log.clear();
  EXPECT_TRUE(click("ltbCJBChange").isEmpty());
  ASSERT_EQ(platform.messages.size(), 1u);
  const auto& box = platform.messages[0];
  EXPECT_EQ(box.title, "错误");
  EXPECT_EQ(box.style, 16);
  EXPECT_EQ(box.prompt, "错误[1004]\r无法打开文件: /school/数据/一模.xlsx");
  EXPECT_EQ(log, kOffThenOn);
  EXPECT_TRUE(app.displayAlerts() && app.screenUpdating() && app.enableEvents());
  EXPECT_EQ(engine.selectedDataWorkbook(), "一模.xlsx") << "the name is kept though the open failed";
}

TEST_F(EntryTest, AFailedRestoreIsReportedOnceAndEveryOtherSwitchIsStillTried) {
  host.failRestore = true;
  click("nosuch");
  EXPECT_EQ(log, kOffThenOn);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].prompt, "错误[1004]\r宿主拒绝了 EnableEvents");
}

TEST_F(EntryTest, HelpShowsTheGuideBesideTheSystemWorkbook) {
  platform.documents.insert("/school/帮助.doc");
  click("MyHelp");
  EXPECT_EQ(platform.documentsOpened, std::vector<std::string>{"/school/帮助.doc"});
  EXPECT_TRUE(platform.messages.empty());

  platform.documents.clear();
  log.clear();
  click("MyHelp");
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].prompt.find("/school/帮助.doc"), std::string::npos)
      << platform.messages[0].prompt;
  EXPECT_EQ(platform.messages[0].prompt.rfind("错误[", 0), 0u);
  EXPECT_EQ(log, kOffThenOn);
}

}  // namespace
}  // namespace tavo::testing
