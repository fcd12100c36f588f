// The five layout commands: what they write, and what they must keep.
#include <gtest/gtest.h>

#include "engine/zupo.h"
#include "host_fixture.h"
#include "params/settings_template.h"
#include "sheet_snapshot.h"

namespace tavo::testing {
namespace {

using host::Value;

struct Version {
  const char* sheet;
  const char* command;
};
const Version kVersions[] = {{"三线版", "cmdSanXianSZ_Click"},
                             {"双线版", "cmdTwoXianSZ_Click"},
                             {"四率版", "cmdSiLvSZ_Click"},
                             {"赋分版", "cmdFuFenSZ_Click"},
                             {"图表版", "cmdTuBiaoSZ_Click"}};

struct LayoutTest : HostFixture {
  engine::zupo engine;
  model::Sheet& sheetOf(const char* name) {
    model::Sheet* s = system.findModelSheet(name);
    return s ? *s : system.appendSheet(name);
  }
  void click(const char* command) { engine.MyFunClick(app, dialog, command); }

  // What a teacher typed: settings, a line table and three classes with
  // gaps in their sizes and teachers.
  void typeSettings(model::Sheet& s) {
    auto put = [&](int r, int c, const Value& v) { HostFixture::put(s, r, c, v); };
    put(13, 2, "是");
    put(13, 3, "否");
    put(13, 5, "双上线");
    put(13, 9, 2);
    put(63, 3, "按分数");
    put(63, 4, 500);
    put(63, 5, 100);
    put(64, 3, "按人数");
    put(64, 4, 120);
    put(72, 1, "级部");
    put(72, 2, "班级");
    put(72, 3, "人数");
    put(72, 4, "班主任");
    put(72, 5, "语文");
    put(72, 6, "数学");
    put(73, 1, "高一");
    put(73, 2, "1班");
    put(73, 4, "王老师");
    put(73, 5, "张");
    put(74, 2, "2班");
    put(74, 3, 45);
    put(75, 1, "高二");
    put(75, 2, "3班");
    put(75, 6, "李");
  }
};

TEST_F(LayoutTest, EveryVersionRunTwiceEqualsRunOnce) {
  for (const Version& v : kVersions) {
    model::Sheet& s = sheetOf(v.sheet);
    typeSettings(s);
    click(v.command);
    SheetSnapshot once = SheetSnapshot::of(s);
    click(v.command);
    SheetSnapshot twice = SheetSnapshot::of(s);
    EXPECT_TRUE(once == twice) << v.sheet << ": " << SheetSnapshot::diff(once, twice);
  }
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(LayoutTest, AFirstRunOnABlankSheetEqualsEveryLaterRun) {
  for (const Version& v : kVersions) {
    model::Sheet& s = sheetOf(v.sheet);
    click(v.command);
    SheetSnapshot once = SheetSnapshot::of(s);
    click(v.command);
    EXPECT_TRUE(once == SheetSnapshot::of(s)) << v.sheet << ": " << SheetSnapshot::diff(once, SheetSnapshot::of(s));
    EXPECT_EQ(s.validation({63, 1})->inputMessage, "名称可以修改") << v.sheet;
  }
}

TEST_F(LayoutTest, TheTeachersSettingsAndLineNamesSurviveAndShowEverywhere) {
  model::Sheet& s = sheetOf("三线版");
  typeSettings(s);
  put(s, 63, 1, "清北");
  put(s, 64, 1, "");  // left empty: the default comes back
  put(s, 200, 30, "keep");
  click("cmdSanXianSZ_Click");

  EXPECT_EQ(s.value({13, 2}), Value("是"));
  EXPECT_EQ(s.value({13, 5}), Value("双上线"));
  EXPECT_EQ(s.value({13, 9}), Value(2));
  EXPECT_EQ(s.value({63, 4}), Value(500));
  EXPECT_EQ(s.value({64, 4}), Value(120));
  EXPECT_EQ(s.value({200, 30}), Value("keep"));
  EXPECT_EQ(s.value({63, 1}), Value("清北"));
  EXPECT_EQ(s.value({64, 1}), Value("重点"));
  EXPECT_EQ(s.value({65, 1}), Value("一般"));
  EXPECT_EQ(s.value({63, 2}), Value("清北线"));
  EXPECT_EQ(s.value({64, 2}), Value("重点线"));
  EXPECT_EQ(s.value({65, 2}), Value("一般线"));
  EXPECT_EQ(s.value({12, 6}), Value("清北\n人数\n统计"));
  EXPECT_EQ(s.value({12, 12}), Value("一般\n人数\n系数"));
  EXPECT_EQ(s.validation({13, 6})->inputMessage, "选择清北人数的统计方法");
  EXPECT_EQ(s.validation({63, 3})->inputMessage, "选择按人数或按分数设置各科的清北线");
  EXPECT_EQ(s.value({11, 1}), Value("三线版"));
  EXPECT_EQ(s.value({11, 2}), Value("统计参数"));
  EXPECT_EQ(s.value({61, 2}), Value("划线参数"));
  EXPECT_EQ(s.value({62, 1}), Value("命名"));
  EXPECT_EQ(s.value({62, 4}), Value("总分"));
  EXPECT_EQ(s.value({62, 5}), Value("语文")) << "subject names come from row 72";
  EXPECT_EQ(s.value({62, 6}), Value("数学"));
  EXPECT_TRUE(s.value({62, 7}).isEmpty());
}

TEST_F(LayoutTest, GapsFillDownFromRow74InColumnsCOnward) {
  model::Sheet& s = sheetOf("三线版");
  typeSettings(s);
  click("cmdSanXianSZ_Click");
  EXPECT_TRUE(s.value({73, 3}).isEmpty()) << "row 73 is never filled";
  EXPECT_TRUE(s.value({74, 3}) == Value(45));
  EXPECT_EQ(s.value({75, 3}), Value(45));
  EXPECT_EQ(s.value({74, 4}), Value("王老师"));
  EXPECT_EQ(s.value({75, 4}), Value("王老师"));
  EXPECT_EQ(s.value({74, 5}), Value("张"));
  EXPECT_TRUE(s.value({73, 6}).isEmpty());
  EXPECT_TRUE(s.value({74, 6}).isEmpty());
  EXPECT_EQ(s.value({75, 6}), Value("李"));
  EXPECT_TRUE(s.value({74, 1}).isEmpty()) << "grades are not filled";
  EXPECT_TRUE(s.value({76, 3}).isEmpty()) << "the table ends at its first empty row";
}

TEST_F(LayoutTest, SpacesDisappearFromEveryCell) {
  model::Sheet& s = sheetOf("双线版");
  typeSettings(s);
  put(s, 74, 2, "2 班");
  put(s, 73, 4, "王\u3000老 师");
  put(s, 300, 40, " a b ");
  click("cmdTwoXianSZ_Click");
  EXPECT_EQ(s.value({74, 2}), Value("2班"));
  EXPECT_EQ(s.value({73, 4}), Value("王老师"));
  EXPECT_EQ(s.value({300, 40}), Value("ab"));
}

TEST_F(LayoutTest, FormatsTitlesAndHiddenRows) {
  model::Sheet& s = sheetOf("三线版");
  typeSettings(s);
  s.applyFormat(host::Rect::of(host::Cell{80, 8}), [] {
    host::FormatPatch p;
    p.bold = true;
    p.fill = host::Fill::Solid(3);
    return p;
  }());
  click("cmdSanXianSZ_Click");
  EXPECT_EQ(system.color(37), host::rgb(204, 236, 255));
  EXPECT_EQ(system.color(15), host::rgb(221, 221, 221));
  host::Format plain = s.format({80, 8});
  EXPECT_FALSE(plain.font.bold);
  EXPECT_EQ(plain.fill, host::Fill{});
  EXPECT_EQ(plain.font.size, 12);
  EXPECT_EQ(plain.horizontalAlignment, host::HorizontalAlignment::Center);
  EXPECT_EQ(s.rowHeight(80), 16);
  EXPECT_EQ(s.columnWidth(30), 8);
  for (int r : {1, 2, 10, 14, 60, 66, 70}) EXPECT_EQ(s.rowHeight(r), 0) << r;
  for (int r : {11, 61, 71}) EXPECT_EQ(s.rowHeight(r), 18) << r;
  EXPECT_EQ(s.rowHeight(12), 45);
  EXPECT_EQ(s.rowHeight(65), 16) << "the third line shows";
  EXPECT_EQ(s.format({71, 6}).fill, host::Fill::Solid(37)) << "title fill reaches the last class column";
  EXPECT_EQ(s.format({71, 7}).fill, host::Fill{});
  EXPECT_EQ(s.format({61, 2}).horizontalAlignment, host::HorizontalAlignment::Left);
  EXPECT_EQ(s.format({61, 2}).font.colorIndex, 10);
  EXPECT_EQ(s.format({12, 13}).font.colorIndex, 5);
  EXPECT_EQ(s.format({72, 4}).font.colorIndex, 5);
  EXPECT_EQ(s.format({73, 2}).numberFormat, "@");
  EXPECT_EQ(s.format({13, 9}).numberFormat, "G/通用格式");
  EXPECT_EQ(&system.activeSheet(), &s);

  model::Sheet& two = sheetOf("双线版");
  click("cmdTwoXianSZ_Click");
  EXPECT_EQ(two.rowHeight(65), 0) << "two lines: row 65 is spare";
}

TEST_F(LayoutTest, ChartVersionEmptiesG12ToK13AndKeepsB13ToF13) {
  model::Sheet& s = sheetOf("图表版");
  for (int c = 2; c <= 11; ++c) put(s, 13, c, "x" + std::to_string(c));
  host::FormatPatch bold;
  bold.bold = true;
  s.applyFormat({12, 7, 13, 11}, bold);
  s.setValue({12, 7, 12, 11}, "旧");
  click("cmdTuBiaoSZ_Click");
  for (int c = 2; c <= 6; ++c) EXPECT_EQ(s.value({13, c}), Value("x" + std::to_string(c)));
  for (int c = 7; c <= 11; ++c) {
    EXPECT_TRUE(s.value({13, c}).isEmpty()) << c;
    EXPECT_TRUE(s.value({12, c}).isEmpty()) << c;
    EXPECT_FALSE(s.validation({13, c}).has_value());
    EXPECT_EQ(s.format({13, c}).numberFormat, "G/通用格式");
  }
  EXPECT_EQ(s.value({12, 4}), Value("是否带\n名单"));
  EXPECT_EQ(s.value({12, 5}), Value("重点\n上线\n统计"));
  EXPECT_EQ(s.validation({13, 2})->inputMessage, "不用");
  EXPECT_EQ(s.validation({72, 3})->inputMessage, "若人数为空，则按数据表中的实际人数统计。");
}

TEST_F(LayoutTest, OnlyTheLineReportsKeepAGrade) {
  for (const Version& v : kVersions) {
    model::Sheet& s = sheetOf(v.sheet);
    typeSettings(s);
    put(s, 72, 1, "年级");
    click(v.command);
    bool keeps = std::string(v.sheet) == "三线版" || std::string(v.sheet) == "双线版";
    EXPECT_EQ(s.value({72, 1}), keeps ? Value("级部") : Value()) << v.sheet;
    EXPECT_EQ(s.validation({72, 1}).has_value(), keeps) << v.sheet;
    EXPECT_EQ(s.value({62, 6}), Value("数学")) << v.sheet << ": the table is still found from A72";
    EXPECT_EQ(s.validation({72, 6})->inputMessage, "学科可以增减") << v.sheet;
  }
}

// Type, operator, bound or list, message and ignore-blank of one cell.
std::string Rule(const model::Sheet& s, int r, int c) {
  auto v = s.validation({r, c});
  if (!v) return "none";
  return std::to_string(v->type) + " " + std::to_string(v->alertStyle) + " " + std::to_string(v->op) + " [" +
         v->formula1 + "] " + (v->ignoreBlank ? "blank-ok " : "") + v->inputMessage;
}

TEST_F(LayoutTest, ValidationOfTheThreeLineSheet) {
  model::Sheet& s = sheetOf("三线版");
  typeSettings(s);
  click("cmdSanXianSZ_Click");
  const std::vector<std::pair<int, std::string>> row13 = {
      {2, "3 1 1 [是,否] 选择是否按教师名单调整班级顺序"},
      {3, "3 1 1 [是,否] 选择是否添加填充色"},
      {4, "3 1 1 [是,否] 选择是否带教师得分"},
      {5, "3 1 1 [单上线,双上线] 选择平均分的统计方法"},
      {6, "3 1 1 [单上线,双上线] 选择优秀人数的统计方法"},
      {7, "3 1 1 [单上线,双上线] 选择重点人数的统计方法"},
      {8, "3 1 1 [单上线,双上线] 选择一般人数的统计方法"},
      {9, "2 1 7 [-1000] 输入系数"},
      {10, "2 1 7 [-1000] 输入系数"},
      {11, "2 1 7 [-1000] 输入系数"},
      {12, "2 1 7 [-1000] 输入系数"},
      {13, "none"}};
  for (const auto& [c, rule] : row13) EXPECT_EQ(Rule(s, 13, c), rule) << "column " << c;
  for (int r = 63; r <= 65; ++r) {
    EXPECT_EQ(Rule(s, r, 1), "0 1 1 [] blank-ok 名称可以修改");
    EXPECT_EQ(Rule(s, r, 3), "3 1 1 [按人数,按分数] 选择按人数或按分数设置各科的" + s.value({r, 1}).text() + "线");
    for (int c = 4; c <= 6; ++c) EXPECT_EQ(Rule(s, r, c), "2 1 7 [1] ") << r << "," << c;
    EXPECT_EQ(Rule(s, r, 7), "none");
  }
  EXPECT_EQ(Rule(s, 66, 4), "none");
  EXPECT_EQ(Rule(s, 72, 2), "0 1 1 [] blank-ok 班级可以增减");
  EXPECT_EQ(Rule(s, 72, 3), "0 1 1 [] blank-ok 若人数为空，则按数据表中的实际人数统计");
  EXPECT_EQ(Rule(s, 72, 4), "none");
  EXPECT_EQ(Rule(s, 73, 2), "none") << "every old rule goes first";
}

TEST_F(LayoutTest, HeadersAndRulesOfTheTwoLineFamily) {
  struct Expect {
    const char* sheet;
    const char* command;
    const char* g12;
    const char* j12;
    const char* f12;
    const char* message;
  };
  const Expect all[] = {
      {"双线版", "cmdTwoXianSZ_Click", "重点\n上线\n系数", "一般\n双上线\n系数", "平均分\n系数", "输入系数"},
      {"四率版", "cmdSiLvSZ_Click", "重点\n上线率\n系数", "一般\n双线率\n系数", "平均分\n系数", "输入系数"},
      {"赋分版", "cmdFuFenSZ_Click", "重点\n上线率\n赋分", "一般\n双线率\n赋分", "平均分\n赋分", "输入最高赋分"}};
  for (const Expect& e : all) {
    model::Sheet& s = sheetOf(e.sheet);
    click(e.command);
    EXPECT_EQ(s.value({12, 7}), Value(e.g12)) << e.sheet;
    EXPECT_EQ(s.value({12, 10}), Value(e.j12)) << e.sheet;
    EXPECT_EQ(s.value({12, 6}), Value(e.f12)) << e.sheet;
    EXPECT_EQ(Rule(s, 13, 5), "3 1 1 [单上线,双上线] 选择平均分统计的方法") << e.sheet;
    for (int c = 6; c <= 10; ++c) EXPECT_EQ(Rule(s, 13, c), std::string("2 1 7 [-1000] ") + e.message) << e.sheet;
    EXPECT_EQ(Rule(s, 13, 11), "none");
    EXPECT_EQ(Rule(s, 65, 3), "none") << "two lines only";
    EXPECT_TRUE(s.value({65, 2}).isEmpty());
  }
}

TEST_F(LayoutTest, AMissingSheetIsTheOnlyMessage) {
  for (const Version& v : kVersions) {
    platform.messages.clear();
    click(v.command);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].prompt, std::string("系统工作簿缺少 ") + v.sheet + "，请检查！");
    EXPECT_EQ(platform.messages[0].title, "警告");
    EXPECT_EQ(platform.messages[0].style, 48);
  }
}

}  // namespace
}  // namespace tavo::testing
