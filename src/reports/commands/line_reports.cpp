#include "reports/commands/line_reports.h"

#include "reports/compute/line_statistics.h"
#include "reports/compute/score_data.h"
#include "reports/sheets/line_sheet_layouts.h"
#include "reports/sheets/plan_writer.h"
#include "reports/sheets/single_subject_plan.h"
#include "reports/sheets/total_score_plan.h"

namespace tavo::reports {

namespace {

using ReadSettings = LineSettings (*)(const host::Worksheet&);
using TotalLayout = TotalSheetLayout (*)(const LineSettings&);
using SingleLayout = SingleSheetLayout (*)(const LineSettings&);

void LineReport(host::Application& app, const host::Dialog& dialog, const std::string& dataWorkbookName,
                const ReportKind& kind, ReadSettings read, TotalLayout total, SingleLayout single) {
  LineSettings settings;
  auto prepared = PrepareScoreData(app, dialog, kind, dataWorkbookName,
                                   [&](host::Worksheet& version) { settings = read(version); });
  if (!prepared) return;
  const auto& [place, data] = *prepared;
  auto statistics = ComputeLineStatistics(app, data, settings);
  if (!statistics) return;
  WriteReportSheet(app, place, TotalScoreSheetPlan(dataWorkbookName, data, settings, *statistics, total(settings)));
  WriteReportSheet(app, place, SingleSubjectSheetPlan(data, settings, *statistics, single(settings)));
  SoundReportFinished(app);
}

}  // namespace

void ThreeLineReport(host::Application& app, const host::Dialog& dialog, const std::string& dataWorkbookName) {
  LineReport(app, dialog, dataWorkbookName, ThreeLineKind(), &ReadThreeLineSettings, &ThreeLineTotalLayout,
             &ThreeLineSingleLayout);
}

void TwoLineReport(host::Application& app, const host::Dialog& dialog, const std::string& dataWorkbookName) {
  LineReport(app, dialog, dataWorkbookName, TwoLineKind(), &ReadTwoLineSettings, &TwoLineTotalLayout,
             &TwoLineSingleLayout);
}

}  // namespace tavo::reports
