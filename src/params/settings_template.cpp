#include "params/settings_template.h"

#include "params/analysis_settings.h"
#include "params/grade_schemes.h"

namespace tavo::params {

namespace {

using Kind = SettingColumn::Kind;

constexpr const char* kYesNo = "是,否";
constexpr const char* kSingleDouble = "单上线,双上线";
constexpr const char* kWeightBound = "-1000";
constexpr const char* kSizeNote = "若人数为空，则按数据表中的实际人数统计";

SettingColumn List(int column, std::vector<std::string> header, const char* choices, std::string message) {
  return {column, std::move(header), Kind::List, choices, std::move(message)};
}
SettingColumn Weight(int column, std::vector<std::string> header, std::string message = "输入系数") {
  return {column, std::move(header), Kind::Number, kWeightBound, std::move(message)};
}

// B13 to D13 as the line reports share them.
std::vector<SettingColumn> Switches() {
  return {List(2, {"是否", "调序"}, kYesNo, "选择是否按教师名单调整班级顺序"),
          List(3, {"是否带", "底色"}, kYesNo, "选择是否添加填充色"),
          List(4, {"是否带", "得分"}, kYesNo, "选择是否带教师得分")};
}

// The two-line layout and its relatives: F13:J13 weigh the average and the
// single and double counts of both lines.
SettingsTemplate TwoLineFamily(std::string name, const std::string& single, const std::string& twice,
                               const std::string& weight, const std::string& message) {
  SettingsTemplate t{std::move(name), "1:1,4:11,14:61,65:71", "", "1:10,14:60,65:70", false,
                     {"重点", "一般"}, Switches(), kSizeNote};
  t.settings.push_back(List(5, {"平均分", "统计"}, kSingleDouble, "选择平均分统计的方法"));
  t.settings.push_back(Weight(6, {"平均分", weight}, message));
  t.settings.push_back(Weight(7, {"{N1}", single, weight}, message));
  t.settings.push_back(Weight(8, {"{N1}", twice, weight}, message));
  t.settings.push_back(Weight(9, {"{N2}", single, weight}, message));
  t.settings.push_back(Weight(10, {"{N2}", twice, weight}, message));
  return t;
}

}  // namespace

const SettingsTemplate& ThreeLineTemplate() {
  static const SettingsTemplate t = [] {
    SettingsTemplate s{"三线版", "1:1,4:11,14:61,68:71", "", "1:10,14:60,66:70", true,
                       {"优秀", "重点", "一般"}, Switches(), kSizeNote};
    s.settings.push_back(List(5, {"平均分", "统计"}, kSingleDouble, "选择平均分的统计方法"));
    for (int k = 1; k <= 3; ++k) {
      std::string n = "{N" + std::to_string(k) + "}";
      s.settings.push_back(List(5 + k, {n, "人数", "统计"}, kSingleDouble, "选择" + n + "人数的统计方法"));
    }
    s.settings.push_back(Weight(9, {"平均分", "系数"}));
    for (int k = 1; k <= 3; ++k)
      s.settings.push_back(Weight(9 + k, {"{N" + std::to_string(k) + "}", "人数", "系数"}));
    return s;
  }();
  return t;
}

const SettingsTemplate& TwoLineTemplate() {
  static const SettingsTemplate t = [] {
    SettingsTemplate s = TwoLineFamily("双线版", "上线", "双上线", "系数", "输入系数");
    s.keepsGrade = true;
    return s;
  }();
  return t;
}

const SettingsTemplate& FourRatesTemplate() {
  static const SettingsTemplate t = TwoLineFamily("四率版", "上线率", "双线率", "系数", "输入系数");
  return t;
}

const SettingsTemplate& AssignedScoreTemplate() {
  static const SettingsTemplate t = TwoLineFamily("赋分版", "上线率", "双线率", "赋分", "输入最高赋分");
  return t;
}

const SettingsTemplate& ChartTemplate() {
  static const SettingsTemplate t = [] {
    SettingsTemplate s{"图表版", "1:1,4:11,14:61,65:71", "G12:K13", "1:10,14:60,65:70", false,
                       {"重点", "一般"}, {}, std::string(kSizeNote) + "。"};
    s.settings = {List(2, {"是否", "调序"}, kYesNo, "不用"),
                  List(3, {"是否带", "底色"}, kYesNo, "选择是否添加填充色"),
                  List(4, {"是否带", "名单"}, kYesNo, "选择是否带教师名单"),
                  List(5, {"{N1}", "上线", "统计"}, kSingleDouble, "选择{N1}上线的统计方法"),
                  List(6, {"{N2}", "上线", "统计"}, kSingleDouble, "选择{N2}上线的统计方法")};
    return s;
  }();
  return t;
}

const SettingsTemplate& AnalysisTemplate() {
  static const SettingsTemplate t = [] {
    SettingsTemplate s{kAnalysisSheet, "1:1,4:11,14:21,25:31,36:41,44:71", "", "1:10,14:20,25:30,36:40,44:70",
                       false, {}, {}, kSizeNote};
    std::string schemes;
    for (const GradeScheme& g : GradeSchemes()) schemes += g.name + ",";
    static const std::string choices = schemes + kCustomScheme;
    s.settings = {List(2, {"赋分", "方案"}, choices.c_str(), "选择等级赋分的方案；改动第32至35行即为自定义"),
                  // The earlier exam's choices are the data folder's files, listed by the layout.
                  {kEarlierExamColumn, {"上次", "考试"}, Kind::List, "", "选择数据文件夹里上一次考试的成绩文件"},
                  List(kBorderlineModeColumn, {"临界", "方式"}, "按分数,按名次", "临界生按离线的分数或名次"),
                  {kBorderlineMarginColumn, {"临界", "幅度"}, Kind::Number, "0", "离线多少分（或多少名）以内算临界生"},
                  {kListSizeColumn, {"前后", "名单"}, Kind::Number, "0", "进退步最大、尖子和后进名单的人数"},
                  List(kNoRanksColumn, {"是否", "不排名"}, kYesNo, "选“是”则学生的名次一律不写"),
                  List(kBorderlineLinesColumn, {"临界", "分数线"}, "三线版,双线版", "临界生按哪个参数表的分数线")};
    s.hasLines = false;
    s.layOutSections = &LayOutAnalysisSections;
    s.classTableFrom = "三线版";
    return s;
  }();
  return t;
}

std::string WithLineNames(const std::string& text, const std::vector<std::string>& lineNames) {
  std::string out = text;
  for (std::size_t k = 0; k < lineNames.size(); ++k) {
    const std::string mark = "{N" + std::to_string(k + 1) + "}";
    for (auto at = out.find(mark); at != std::string::npos; at = out.find(mark, at + lineNames[k].size()))
      out.replace(at, mark.size(), lineNames[k]);
  }
  return out;
}

}  // namespace tavo::params
