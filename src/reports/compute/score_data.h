// The preparation every report shares: checks, the settings' fields and
// classes, the total column when the data lack one, and the score table in
// memory from which the reports count. The teacher's data sheet receives
// the total column and nothing else.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/dialog.h"
#include "reports/compute/score_table.h"

namespace tavo::reports {

inline constexpr const char* kDataSheetName = "数据表";
inline constexpr const char* kTotalField = "总分";
inline constexpr const char* kClassField = "班级";
inline constexpr const char* kRankField = "名次";
// How one report command prepares: which settings sheet, whether it checks
// the dialog's selection and opens the data workbook itself, which row of
// the settings holds the subject names, and its messages.
struct ReportKind {
  std::string versionSheet;
  bool checksSelection;
  bool opensWorkbook;
  int subjectRow;  // 72 or 62
  std::string missingSheetMessage;
  std::string missingClassMessage;
};
ReportKind ThreeLineKind();
ReportKind TwoLineKind();
ReportKind FourRatesKind();
ReportKind AssignedScoreKind();
ReportKind ChartKind();
ReportKind AnalysisKind();
ReportKind ScoreBandsKind(const std::string& versionSheet);

// A field of the settings found in the data: the total first, then subjects.
struct Field {
  std::string name;
  int paramColumn;  // its column in the settings sheet (4 for the total)
  int column;       // its 0-based column in the score table
};

// A class of the settings found in the data, and its students.
struct ClassBlock {
  std::string name;
  int paramRow;
  int plannedCount;
  std::vector<int> students;  // in the report order: best total first
  int studentCount = 0;       // the planned count, or the class size when that is 0 or larger
  int size() const { return static_cast<int>(students.size()); }
};

// What the reports count from, free of any host: the fields, the classes
// and their students, the score table.
struct ScoreData {
  std::string settingsSheet;  // the settings sheet's name, for messages
  std::vector<Field> fields;
  int classColumn = 0;  // 0-based, in the score table
  std::vector<ClassBlock> classes;
  ScoreTable table;     // scores[f] belongs to fields[f]

  const std::vector<double>& scores(std::size_t field) const { return table.scores[field]; }
};

// Where a report reads and writes: the data workbook, its data sheet, and
// the system workbook's layout store.
struct ReportPlace {
  std::string dataWorkbookName;
  host::Workbook* dataBook = nullptr;
  host::Worksheet* dataSheet = nullptr;
  host::Worksheet* layoutStore = nullptr;
};

struct PreparedScores {
  ReportPlace place;
  ScoreData data;
};

// Runs the preparation; nothing when a message stopped the command. The
// report reads its own settings in `readSettings`, before the data workbook
// is opened. Host errors propagate.
std::optional<PreparedScores> PrepareScoreData(host::Application&, const host::Dialog&, const ReportKind&,
                                          const std::string& dataWorkbookName,
                                          const std::function<void(host::Worksheet& versionSheet)>& readSettings);

// Students first..first+count-1 (0-based, below the header) of a data
// column (0-based): one piece of ForEachPiece.
std::vector<host::Value> ReadColumnPiece(const host::Worksheet&, int column, int first, int count);

// Where pupils are not ranked, lists them by class and name instead of best
// first (the data's 姓名 column; without one, the data's order in a class).
void OrderWithoutRanks(const ReportPlace&, ScoreData&);

// The tone at the end of every report.
void SoundReportFinished(host::Application&);

}  // namespace tavo::reports
