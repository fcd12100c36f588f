// The settings sheet "分析版": besides the class table every settings sheet
// has, the questions (which data columns, their full marks and subjects),
// the grade conversion scheme and the subjects it converts. This grid is
// the contract between its layout and the analysis commands.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/worksheet.h"
#include "params/grade_schemes.h"

namespace tavo::params {

inline constexpr const char* kAnalysisSheet = "分析版";
inline constexpr const char* kCustomScheme = "自定义";

inline constexpr int kSchemeColumn = 2;           // B13: the scheme's name
inline constexpr int kEarlierExamColumn = 3;      // C13: the earlier exam's file
inline constexpr int kBorderlineModeColumn = 4;   // D13: "按分数" or "按名次"
inline constexpr int kBorderlineMarginColumn = 5; // E13: points or places
inline constexpr int kListSizeColumn = 6;         // F13: N of the top, bottom and moved lists
inline constexpr int kNoRanksColumn = 7;          // G13: "是": no pupil ranks anywhere
inline constexpr int kBorderlineLinesColumn = 8;  // H13: the settings sheet whose lines 临界生 uses

inline constexpr int kQuestionTitleRow = 21;
inline constexpr int kQuestionRow = 22;      // headers of question columns, from B
inline constexpr int kFullMarkRow = 23;      // their full marks
inline constexpr int kQuestionSubjectRow = 24;  // their subjects
inline constexpr int kFirstQuestionColumn = 2;

inline constexpr int kGradeTitleRow = 31;
inline constexpr int kGradeNameRow = 32;  // grades from B
inline constexpr int kGradeShareRow = 33;
inline constexpr int kGradeHighRow = 34;
inline constexpr int kGradeLowRow = 35;
inline constexpr int kFirstGradeColumn = 2;

inline constexpr int kConvertTitleRow = 41;
inline constexpr int kConvertSubjectRow = 42;  // subject names from E, as row 72
inline constexpr int kConvertSwitchRow = 43;   // "是" or "否"

// Subjects converted when nothing is typed: the elective subjects that the
// schemes convert.
bool ConvertedByDefault(const std::string& subject);

// A question typed in the sheet.
struct TypedQuestion {
  std::string header;
  std::optional<double> fullMark;
  std::string subject;
};

struct AnalysisSettings {
  std::vector<TypedQuestion> questions;  // empty: found by their headers
  GradeScheme scheme;
  std::string schemeProblem;  // "" when the scheme can be used
  std::vector<std::string> convertedSubjects;
  std::string earlierExam;       // a file of the data folder, "" for none
  bool borderlineByPlaces = false;
  double borderlineMargin = 10;  // points, or places
  int listSize = 10;
  bool noRanks = false;
  std::string borderlineLines = "三线版";  // "三线版" or "双线版"
};
AnalysisSettings ReadAnalysisSettings(host::Worksheet&);

// Whether pupils' ranks are switched off: G13 of "分析版", when the system
// workbook has that sheet. Every report that lists pupils asks.
bool PupilRanksOff(host::Workbook& system);

// The sections of rows 21-43; see AnalysisTemplate.
void LayOutAnalysisSections(host::Application&, host::Worksheet&, int lastColumn);

}  // namespace tavo::params
