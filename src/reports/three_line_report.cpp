#include "reports/three_line_report.h"

#include "reports/line_statistics.h"
#include "reports/score_data.h"
#include "reports/three_line_sheets.h"

namespace tavo::reports {

void ThreeLineReport(host::Application& app, const host::Dialog& dialog, const std::string& dataWorkbookName) {
  LineSettings settings;
  auto data = PrepareScoreData(app, dialog, ThreeLineKind(), dataWorkbookName,
                               [&](host::Worksheet& version) { settings = ReadThreeLineSettings(version); });
  if (!data) return;
  WorkCopyCleanUp cleanUp(*data->dataSheet);
  auto statistics = ComputeLineStatistics(app, *data, settings);
  if (!statistics) return;
  WriteTotalScoreSheet(app, dataWorkbookName, *data, settings, *statistics);
  WriteSingleSubjectSheet(app, dataWorkbookName, *data, settings, *statistics);
  SoundReportFinished(app);
}

}  // namespace tavo::reports
