#include "reports/commands/subject_blocks_report.h"

#include "reports/sheets/plan_writer.h"
#include "reports/sheets/sheet_writing.h"
#include "reports/sheets/subject_blocks_plan.h"
#include "sheetutil/layout_store.h"

namespace tavo::reports {

namespace {

std::vector<std::string> FirstHeaders(const std::string& n1, const std::string& n2) {
  return {"学科", Lines({n1, "分"}), Lines({n2, "分"}), "班级", "人数", Lines({"最高", "分"}), Lines({"平均", "分"})};
}

void AppendLastHeaders(std::vector<std::string>& h) {
  for (const std::string& more : {std::string("总分"), Lines({"总分", "平均"}), std::string("名次"), std::string("教师")})
    h.push_back(more);
}

// Counts and rates of both lines, then the five weighted scores.
std::vector<std::string> FourRatesHeaders(const std::string& n1, const std::string& n2) {
  std::vector<std::string> h = FirstHeaders(n1, n2);
  for (const std::string& n : {n1, n2})
    for (const char* kind : {"上线", "双线"}) {
      h.push_back(Lines({n, kind, "人数"}));
      h.push_back(Lines({n, kind, "率/%"}));
    }
  h.push_back(Lines({"平均", "分", "得分"}));
  for (const std::string& n : {n1, n2})
    for (const char* kind : {"上线率", "双线率"}) h.push_back(Lines({n, kind, "得分"}));
  AppendLastHeaders(h);
  return h;
}

// Each indicator followed by its points.
std::vector<std::string> AssignedScoreHeaders(const std::string& n1, const std::string& n2) {
  std::vector<std::string> h = FirstHeaders(n1, n2);
  h.push_back(Lines({"平均", "分", "得分"}));
  for (const std::string& n : {n1, n2})
    for (const char* kind : {"上线", "双线"}) {
      h.push_back(Lines({n, kind, "人数"}));
      h.push_back(Lines({n, kind, "率/%"}));
      h.push_back(Lines({n, std::string(kind) + "率", "得分"}));
    }
  AppendLastHeaders(h);
  return h;
}

const SubjectBlocksLayout kFourRates{"各科3",
                                    sheetutil::kSubjects3,
                                    {8, 10, 12, 14},
                                    {16, 17, 18, 19, 20},
                                    Weighting::Coefficient,
                                    {7, 9, 11, 13, 15},
                                    {16, 17, 18, 19, 20, 21, 22},
                                    &FourRatesHeaders};

const SubjectBlocksLayout kAssignedScore{"各科4",
                                         sheetutil::kSubjects4,
                                         {9, 12, 15, 18},
                                         {8, 11, 14, 17, 20},
                                         Weighting::PointsOfBest,
                                         {7, 8, 10, 11, 13, 14, 16, 17},
                                         {19, 20, 21, 22},
                                         &AssignedScoreHeaders};

void SubjectBlocksReport(host::Application& app, const host::Dialog& dialog, const std::string& dataWorkbookName,
                         const ReportKind& kind, const SubjectBlocksLayout& layout) {
  LineSettings settings;
  auto data = PrepareScoreData(app, dialog, kind, dataWorkbookName,
                               [&](host::Worksheet& version) { settings = ReadSubjectBlocksSettings(version); });
  if (!data) return;
  auto statistics = ComputeSubjectBlockStatistics(app, *data, settings);
  if (!statistics) return;
  WriteReportSheet(app, dataWorkbookName, *data->layoutStore, *data->dataSheet,
                   SubjectBlocksSheetPlan(dataWorkbookName, app.platform().today(), *data, settings, *statistics, layout));
  SoundReportFinished(app);
}

}  // namespace

void FourRatesReport(host::Application& app, const host::Dialog& dialog, const std::string& dataWorkbookName) {
  SubjectBlocksReport(app, dialog, dataWorkbookName, FourRatesKind(), kFourRates);
}

void AssignedScoreReport(host::Application& app, const host::Dialog& dialog, const std::string& dataWorkbookName) {
  SubjectBlocksReport(app, dialog, dataWorkbookName, AssignedScoreKind(), kAssignedScore);
}

}  // namespace tavo::reports
