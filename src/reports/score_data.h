// The preparation every report shares: checks, the settings' fields and
// classes, the total column, and the sorted work copy of the data table at
// column 123 of the data sheet, from which the reports count.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/dialog.h"

namespace tavo::reports {

inline constexpr int kWorkColumn = 123;   // the work copy's first column
inline constexpr int kWorkOffset = 122;   // data column + offset = work-copy column
inline constexpr int kScratchColumn = 121;  // (1, 121): where the host computes a value for us
inline constexpr const char* kDataSheetName = "数据表";
inline constexpr const char* kTotalField = "总分";

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
ReportKind ScoreBandsKind(const std::string& versionSheet);

// A field of the settings found in the data: the total first, then subjects.
struct Field {
  std::string name;
  int paramColumn;  // its column in the settings sheet (4 for the total)
  int column;       // its column in the work copy
};

// A class of the settings found in the data, and its block of rows in the
// work copy (sorted by class, then total descending).
struct ClassBlock {
  std::string name;
  int paramRow;
  int plannedCount;
  int firstRow = 0, lastRow = 0;
  int studentCount = 0;  // the planned count, or the class size when that is 0 or larger
  int size() const { return lastRow - firstRow + 1; }
};

struct ScoreData {
  host::Workbook* dataBook = nullptr;
  host::Worksheet* dataSheet = nullptr;
  host::Worksheet* layoutStore = nullptr;
  host::Worksheet* versionSheet = nullptr;
  int recordCount = 0;  // rows of the data table, header included
  std::vector<Field> fields;
  int classColumn = 0;
  std::vector<ClassBlock> classes;
};

// Runs the preparation; nothing when a message stopped the command. The
// report reads its own settings in `readSettings`, before the data workbook
// is opened. Host errors propagate (after the work copy is cleared away).
std::optional<ScoreData> PrepareScoreData(host::Application&, const host::Dialog&, const ReportKind&,
                                          const std::string& dataWorkbookName,
                                          const std::function<void(host::Worksheet& versionSheet)>& readSettings);

// Clears the scratch cell and the work copy; never fails.
void CleanUpWorkCopy(host::Worksheet& dataSheet);

// Clears the work copy when it goes out of scope, also when the report ends
// in an error, so that the data sheet never keeps it; unless released.
class WorkCopyCleanUp {
 public:
  explicit WorkCopyCleanUp(host::Worksheet& dataSheet) : sheet_(&dataSheet) {}
  ~WorkCopyCleanUp() {
    try {
      if (sheet_) CleanUpWorkCopy(*sheet_);
    } catch (...) {
      // Already on the way out of a failed command: its own error is the one to show.
    }
  }
  WorkCopyCleanUp(const WorkCopyCleanUp&) = delete;
  WorkCopyCleanUp& operator=(const WorkCopyCleanUp&) = delete;
  // The work copy stays: the report goes on with it.
  void release() { sheet_ = nullptr; }

 private:
  host::Worksheet* sheet_;
};

// The tone at the end of every report, before the clean-up.
void SoundReportFinished(host::Application&);

}  // namespace tavo::reports
