#include "reports/score_bands_report.h"

#include "reports/line_settings.h"
#include "reports/line_statistics.h"
#include "reports/score_bands_sheets.h"
#include "sheetutil/sheet_routines.h"

namespace tavo::reports {

namespace {

// The line scores, then per field its best score and the grade-wide counts
// at or above each line, on the work copy sorted by the field.
std::vector<FieldLines> CountFieldLines(ScoreData& data, const std::vector<std::vector<double>>& lineScores) {
  host::Worksheet& sheet = *data.dataSheet;
  std::vector<FieldLines> out;
  for (std::size_t s = 0; s < data.fields.size(); ++s) {
    const int column = data.fields[s].column;
    FieldLines f;
    f.line1 = lineScores[0][s];
    f.line2 = lineScores[1][s];
    sheetutil::SortDescendingBy(sheet, column);
    f.best = host::toNumber(sheet.value({2, column}));
    f.count1 = sheetutil::CountAtOrAbove(sheet, column, f.line1);
    f.count2 = sheetutil::CountAtOrAbove(sheet, column, f.line2);
    out.push_back(f);
  }
  return out;
}

}  // namespace

void ScoreBandsReport(host::Application& app, const host::Dialog& dialog, const std::string& dataWorkbookName,
                      const std::string& versionSheet) {
  LineSettings settings;
  auto data = PrepareScoreData(app, dialog, ScoreBandsKind(versionSheet), dataWorkbookName,
                               [&](host::Worksheet& version) { settings = ReadLines(version, 2); });
  if (!data) return;
  WorkCopyCleanUp cleanUp(*data->dataSheet);
  auto lineScores = ComputeLineScores(app, *data, settings);
  if (!lineScores) return;
  const std::vector<FieldLines> fields = CountFieldLines(*data, *lineScores);
  WriteBandSheet(app, dataWorkbookName, *data, fields);
  WriteScoreSheet(app, dataWorkbookName, *data, fields);
  SoundReportFinished(app);
}

}  // namespace tavo::reports
