// The workbooks `tavo init` and `tavo demo` start from: an empty system
// workbook with its settings sheets and layout store, the demo's settings,
// and a generated score workbook.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/model/application.h"
#include "host/model/workbook.h"

namespace tavo::workbooks {

inline constexpr const char* kSystemWorkbookName = "成绩统计.xlsx";
inline constexpr const char* kDataFolderName = "数据";
inline constexpr const char* kSampleScoresName = "示例成绩.xlsx";
inline constexpr const char* kEarlierSampleScoresName = "示例上次成绩.xlsx";

// Sheets "三线版" ... "图表版" (still to be laid out) and "DTB" with sensible
// row heights, margins, A4 paper and the two format templates.
std::unique_ptr<model::Workbook> NewSystemWorkbook(model::Application&, const std::string& folder);
// The same sheets made in a workbook the host has just created; sheets
// beyond its first are deleted.
void FillSystemWorkbook(host::Workbook&);

// Settings a teacher might type: line names and values, two grade sections,
// classes with planned sizes and teachers, switches and coefficients.
void TypeSampleSettings(model::Workbook& system);

// One student of the sample; a score is empty when the student was absent.
struct SampleStudent {
  std::string id, name, className;
  std::vector<double> scores;        // one per subject; NaN when absent
  std::vector<std::string> entered;  // as typed into the score file
  std::vector<double> questions;     // the marking system's points per question; NaN left blank
};
struct SampleScores {
  std::vector<std::string> subjects;
  // One column per question of the subject `questionsOf`, headed "1(5分)".
  std::string questionsOf;
  std::vector<std::string> questionHeaders;
  std::vector<std::string> classes;
  std::vector<SampleStudent> students;
};
// Deterministic: the same students on every machine.
SampleScores GenerateSampleScores();
// The same school's earlier exam: every score moved a little, no question
// columns, the last two students not yet at the school.
SampleScores EarlierSampleScores(const SampleScores&);
std::unique_ptr<model::Workbook> SampleScoreWorkbook(model::Application&, const std::string& folder,
                                                     const SampleScores&,
                                                     const std::string& name = kSampleScoresName);

}  // namespace tavo::workbooks
