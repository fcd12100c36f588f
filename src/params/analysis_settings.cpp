#include "params/analysis_settings.h"

#include <algorithm>

#include "host/constants.h"
#include "params/settings_sheet.h"
#include "sheetutil/sheet_routines.h"
#include "sheetutil/skip_failures.h"
#include "sheetutil/system_paths.h"

namespace tavo::params {

namespace {

using host::Cell;
using host::Rect;
using host::Value;

constexpr const char* kYes = "是";
constexpr int kReadColumns = 200;  // questions and grades read per row

// Texts of a row from `first` up to its last filled cell.
std::vector<Value> RowValues(host::Worksheet& sheet, int row, int first, int count = kReadColumns) {
  std::vector<Value> cells = sheet.values({row, first, row, first + count - 1}).cells;
  while (!cells.empty() && cells.back().isEmpty()) cells.pop_back();
  return cells;
}

std::optional<double> NumberIn(const Value& v) {
  if (v.isNumber()) return v.number();
  if (v.isText()) return host::parseDecimal(v.text());
  return std::nullopt;
}

// The scheme typed in rows 32-35, when any grade is typed there.
std::optional<GradeScheme> TypedScheme(host::Worksheet& sheet, const std::string& name) {
  const host::Grid g = sheet.values({kGradeNameRow, kFirstGradeColumn, kGradeLowRow, kFirstGradeColumn + 30});
  GradeScheme s{name, {}};
  for (int c = 0; c < g.cols; ++c) {
    const Value& grade = g.at(0, c);
    if (grade.isEmpty()) break;
    s.grades.push_back({host::toText(grade), NumberIn(g.at(1, c)).value_or(-1), NumberIn(g.at(2, c)).value_or(-1),
                        NumberIn(g.at(3, c)).value_or(1e9)});
  }
  if (s.grades.empty()) return std::nullopt;
  return s;
}

void WriteScheme(host::Worksheet& sheet, const GradeScheme& s) {
  const int width = std::max(30, static_cast<int>(s.grades.size()));
  host::Grid g(4, width);
  for (std::size_t i = 0; i < s.grades.size(); ++i) {
    const int c = static_cast<int>(i);
    g.at(0, c) = s.grades[i].name;
    g.at(1, c) = s.grades[i].share;
    g.at(2, c) = s.grades[i].high;
    g.at(3, c) = s.grades[i].low;
  }
  sheet.setValues({kGradeNameRow, kFirstGradeColumn}, g);
}

}  // namespace

bool ConvertedByDefault(const std::string& subject) {
  for (const char* s : {"化学", "生物", "政治", "思想政治", "地理"})
    if (subject == s) return true;
  return false;
}

AnalysisSettings ReadAnalysisSettings(host::Worksheet& sheet) {
  AnalysisSettings out;
  const std::string schemeName = host::toText(sheet.value({kSettingsRow, kSchemeColumn}));
  const GradeScheme* preset = FindGradeScheme(schemeName.empty() ? GradeSchemes().front().name : schemeName);
  const std::optional<GradeScheme> typed = TypedScheme(sheet, schemeName.empty() ? kCustomScheme : schemeName);
  const host::Grid row13 = sheet.values({kSettingsRow, kEarlierExamColumn, kSettingsRow, kBorderlineLinesColumn});
  out.earlierExam = host::toText(row13.at(0, 0));
  out.borderlineByPlaces = host::toText(row13.at(0, 1)) == "按名次";
  if (auto margin = NumberIn(row13.at(0, 2)); margin && *margin >= 0) out.borderlineMargin = *margin;
  if (auto n = NumberIn(row13.at(0, 3)); n && *n >= 0) out.listSize = static_cast<int>(*n);
  out.noRanks = host::toText(row13.at(0, 4)) == kYes;
  if (host::toText(row13.at(0, 5)) == "双线版") out.borderlineLines = "双线版";
  if (typed) out.scheme = *typed;
  else if (preset) out.scheme = *preset;
  else out.scheme = GradeSchemes().front();
  out.schemeProblem = SchemeProblem(out.scheme);

  const host::Grid q = sheet.values({kQuestionRow, kFirstQuestionColumn, kQuestionSubjectRow,
                                     kFirstQuestionColumn + host::kMaxCol / 16 - 1});
  for (int c = 0; c < q.cols; ++c) {
    const std::string header = host::toText(q.at(0, c));
    if (header.empty()) continue;
    out.questions.push_back({header, NumberIn(q.at(1, c)), host::toText(q.at(2, c))});
  }

  const std::vector<Value> subjects = RowValues(sheet, kClassHeaderRow, kFirstSubjectColumn);
  const std::vector<Value> switches = RowValues(sheet, kConvertSwitchRow, kFirstSubjectColumn);
  const std::vector<Value> named = RowValues(sheet, kConvertSubjectRow, kFirstSubjectColumn);
  for (std::size_t i = 0; i < subjects.size(); ++i) {
    const std::string subject = host::toText(subjects[i]);
    if (subject.empty()) continue;
    // The switch belongs to the subject named above it; a subject added to
    // the class table since the last layout takes its default.
    std::optional<bool> on;
    for (std::size_t j = 0; j < named.size(); ++j)
      if (host::toText(named[j]) == subject && j < switches.size() && !switches[j].isEmpty())
        on = host::toText(switches[j]) == kYes;
    if (on.value_or(ConvertedByDefault(subject))) out.convertedSubjects.push_back(subject);
  }
  return out;
}

bool PupilRanksOff(host::Workbook& system) {
  return sheetutil::SheetExists(system, kAnalysisSheet) &&
         host::toText(system.sheet(kAnalysisSheet).value({kSettingsRow, kNoRanksColumn})) == kYes;
}

void LayOutAnalysisSections(host::Application& app, host::Worksheet& sheet, int lastColumn) {
  sheetutil::SkipFailures step;
  // Row 13's settings beyond the scheme: defaults where empty, and the data
  // folder's score files to choose the earlier exam from.
  const Value defaults[] = {Value(), "按分数", 10, 10, "否", "三线版"};
  for (int i = 0; i < 6; ++i)
    step([&] {
      if (!defaults[i].isEmpty() && sheet.value({kSettingsRow, kEarlierExamColumn + i}).isEmpty())
        sheet.setValue(Rect::of(Cell{kSettingsRow, kEarlierExamColumn + i}), defaults[i]);
    });
  step([&] {
    std::string files;
    for (const std::string& f : app.platform().listFiles(sheetutil::DataFolder(app)))
      if (f.find(',') == std::string::npos) files += (files.empty() ? "" : ",") + f;
    if (files.empty()) return;
    const Rect cell = Rect::of(Cell{kSettingsRow, kEarlierExamColumn});
    host::Validation v;
    v.type = host::code::kValidateList;
    v.formula1 = files;
    v.ignoreBlank = true;
    v.inputMessage = "选择数据文件夹里上一次考试的成绩文件";
    sheet.deleteValidation(cell);
    sheet.addValidation(cell, v);
  });
  auto put = [&](int row, int col, const Value& v) { step([&] { sheet.setValue(Rect::of(Cell{row, col}), v); }); };
  auto note = [&](const Rect& r, const std::string& message) {
    host::Validation v;
    v.inputMessage = message;
    step([&] { sheet.deleteValidation(r); });
    step([&] { sheet.addValidation(r, v); });
  };
  put(kQuestionTitleRow, 2, "试题参数");
  put(kQuestionRow, 1, "题号");
  put(kFullMarkRow, 1, "满分");
  put(kQuestionSubjectRow, 1, "科目");
  note({kQuestionRow, kFirstQuestionColumn, kQuestionSubjectRow, kFirstQuestionColumn + 99},
       "留空则按表头自动识别试题列（1、题1、第1题、Q1、1(5分)）；满分可写在表头的括号里，都没有时按最高得分");

  put(kGradeTitleRow, 2, "赋分参数");
  put(kGradeNameRow, 1, "等级");
  put(kGradeShareRow, 1, "比例%");
  put(kGradeHighRow, 1, "赋分上限");
  put(kGradeLowRow, 1, "赋分下限");
  // The chosen scheme's table, unless a teacher's own table stands there.
  step([&] {
    const std::string chosen = host::toText(sheet.value({kSettingsRow, kSchemeColumn}));
    if (chosen.empty()) sheet.setValue(Rect::of(Cell{kSettingsRow, kSchemeColumn}), GradeSchemes().front().name);
    const GradeScheme* preset = FindGradeScheme(chosen.empty() ? GradeSchemes().front().name : chosen);
    const std::optional<GradeScheme> typed = TypedScheme(sheet, chosen);
    bool isPreset = !typed;
    for (const GradeScheme& s : GradeSchemes())
      if (typed && typed->grades == s.grades) isPreset = true;
    if (preset && isPreset) {
      sheet.clearContents({kGradeNameRow, kFirstGradeColumn, kGradeLowRow, kFirstGradeColumn + 29});
      WriteScheme(sheet, *preset);
    }
  });

  put(kConvertTitleRow, 2, "赋分科目");
  put(kConvertSubjectRow, 1, "科目");
  put(kConvertSwitchRow, 1, "是否赋分");
  for (int col = kFirstSubjectColumn; col <= lastColumn; ++col) {
    step([&] {
      const std::string subject = host::toText(sheet.value({kClassHeaderRow, col}));
      const std::string before = host::toText(sheet.value({kConvertSubjectRow, col}));
      sheet.setValue(Rect::of(Cell{kConvertSubjectRow, col}), subject);
      if (subject != before || sheet.value({kConvertSwitchRow, col}).isEmpty())
        sheet.setValue(Rect::of(Cell{kConvertSwitchRow, col}), ConvertedByDefault(subject) ? "是" : "否");
    });
  }
  if (lastColumn >= kFirstSubjectColumn) {
    const Rect switches{kConvertSwitchRow, kFirstSubjectColumn, kConvertSwitchRow, lastColumn};
    host::Validation v;
    v.type = host::code::kValidateList;
    v.formula1 = "是,否";
    v.ignoreBlank = false;
    v.inputMessage = "选择该科是否等级赋分";
    step([&] { sheet.deleteValidation(switches); });
    step([&] { sheet.addValidation(switches, v); });
  }
}

}  // namespace tavo::params
