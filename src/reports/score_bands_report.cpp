#include "reports/score_bands_report.h"

#include "reports/line_settings.h"
#include "reports/line_statistics.h"
#include "reports/score_bands_sheets.h"
#include "reports/sheets/band_plan.h"
#include "reports/sheets/plan_writer.h"

namespace tavo::reports {

namespace {

// Per field its two line scores, its best score and the grade-wide counts
// at or above each line.
std::vector<FieldLines> CountFieldLines(const ScoreData& data, const std::vector<std::vector<double>>& lineScores) {
  const std::vector<GradeWide> grade = GradeWideCounts(data, lineScores);
  std::vector<FieldLines> out;
  for (std::size_t s = 0; s < data.fields.size(); ++s)
    out.push_back({lineScores[0][s], lineScores[1][s], grade[s].best, grade[s].atOrAbove[0], grade[s].atOrAbove[1]});
  return out;
}

}  // namespace

void ScoreBandsReport(host::Application& app, const host::Dialog& dialog, const std::string& dataWorkbookName,
                      const std::string& versionSheet) {
  LineSettings settings;
  auto data = PrepareScoreData(app, dialog, ScoreBandsKind(versionSheet), dataWorkbookName,
                               [&](host::Worksheet& version) { settings = ReadLines(version, 2); });
  if (!data) return;
  auto lineScores = ComputeLineScores(app, *data, settings);
  if (!lineScores) return;
  const std::vector<FieldLines> fields = CountFieldLines(*data, *lineScores);
  WriteReportSheet(app, dataWorkbookName, *data->layoutStore, *data->dataSheet,
                   BandSheetPlan(dataWorkbookName, *data, fields));
  WriteScoreSheet(app, dataWorkbookName, *data, fields);
  SoundReportFinished(app);
}

}  // namespace tavo::reports
