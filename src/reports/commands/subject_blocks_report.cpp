#include "reports/commands/subject_blocks_report.h"

#include "reports/sheets/plan_writer.h"
#include "reports/sheets/subject_blocks_plan.h"

namespace tavo::reports {

namespace {

void SubjectBlocksReport(host::Application& app, const host::Dialog& dialog, const std::string& dataWorkbookName,
                         const ReportKind& kind, const SubjectBlocksLayout& layout) {
  LineSettings settings;
  auto prepared = PrepareScoreData(app, dialog, kind, dataWorkbookName,
                                   [&](host::Worksheet& version) { settings = ReadSubjectBlocksSettings(version); });
  if (!prepared) return;
  const auto& [place, data] = *prepared;
  auto statistics = ComputeSubjectBlockStatistics(app, data, settings);
  if (!statistics) return;
  WriteReportSheet(app, place,
                   SubjectBlocksSheetPlan(dataWorkbookName, app.platform().today(), data, settings, *statistics, layout));
  SoundReportFinished(app);
}

}  // namespace

void FourRatesReport(host::Application& app, const host::Dialog& dialog, const std::string& dataWorkbookName) {
  SubjectBlocksReport(app, dialog, dataWorkbookName, FourRatesKind(), FourRatesLayout());
}

void AssignedScoreReport(host::Application& app, const host::Dialog& dialog, const std::string& dataWorkbookName) {
  SubjectBlocksReport(app, dialog, dataWorkbookName, AssignedScoreKind(), AssignedScoreLayout());
}

}  // namespace tavo::reports
