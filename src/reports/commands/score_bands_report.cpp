#include "reports/commands/score_bands_report.h"

#include "params/analysis_settings.h"
#include "reports/compute/field_lines.h"
#include "reports/compute/line_settings.h"
#include "reports/compute/line_statistics.h"
#include "reports/sheets/band_plan.h"
#include "reports/sheets/plan_writer.h"
#include "reports/sheets/score_sheet.h"

namespace tavo::reports {

void ScoreBandsReport(host::Application& app, const host::Dialog& dialog, const std::string& dataWorkbookName,
                      const std::string& versionSheet) {
  LineSettings settings;
  auto prepared = PrepareScoreData(app, dialog, ScoreBandsKind(versionSheet), dataWorkbookName,
                                   [&](host::Worksheet& version) { settings = ReadLines(version, 2); });
  if (!prepared) return;
  const bool noRanks = params::PupilRanksOff(app.thisWorkbook());
  if (noRanks) OrderWithoutRanks(prepared->place, prepared->data);
  const auto& [place, data] = *prepared;
  auto lineScores = ComputeLineScores(app, data, settings);
  if (!lineScores) return;
  const std::vector<FieldLines> fields = CountFieldLines(data, *lineScores);
  WriteReportSheet(app, place, BandSheetPlan(dataWorkbookName, data, fields));
  WriteScoreSheet(app, place, data, PlanScoreSheet(dataWorkbookName, data, fields, noRanks));
  SoundReportFinished(app);
}

}  // namespace tavo::reports
