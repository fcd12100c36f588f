#include "engine/zupo.h"

#include <exception>

#include "engine/dialog_commands.h"
#include "engine/error_box.h"
#include "engine/help_command.h"
#include "params/layout_command.h"
#include "reports/commands/analysis_reports.h"
#include "reports/commands/chart_report.h"
#include "reports/commands/line_reports.h"
#include "reports/commands/score_bands_report.h"
#include "reports/commands/subject_blocks_report.h"

namespace tavo::engine {

using enum CommandKind;

// The dialog's event names, looked up in this order, with the captions
// every door shows them by.
const zupo::CommandEntry zupo::kCommands[19] = {
    {"cmdCJ_Click", &zupo::ScoreBands, Report, "三线版", "分数段"},
    {"cmdSanXianSZ_Click", &zupo::LayOutThreeLine, Layout, "三线版", "三线版", true},
    {"cmdSanXianTJ_Click", &zupo::ThreeLineReport, Report, "三线版", "三线统计"},
    {"cmdTwoXianSZ_Click", &zupo::LayOutTwoLine, Layout, "双线版", "双线版", true},
    {"cmdTwoXianTJ_Click", &zupo::TwoLineReport, Report, "双线版", "双线统计"},
    {"cmdSiLvSZ_Click", &zupo::LayOutFourRates, Layout, "四率版", "四率版", true},
    {"cmdSiLvTJ_Click", &zupo::FourRatesReport, Report, "四率版", "四率统计"},
    {"cmdFuFenSZ_Click", &zupo::LayOutAssignedScore, Layout, "赋分版", "赋分版", true},
    {"cmdFuFenTJ_Click", &zupo::AssignedScoreReport, Report, "赋分版", "赋分统计"},
    {"cmdTuBiaoSZ_Click", &zupo::LayOutChart, Layout, "图表版", "图表版", true},
    {"cmdTuBiaoTJ_Click", &zupo::ChartReport, Report, "图表版", "图表统计"},
    {"cmdFenXiSZ_Click", &zupo::LayOutAnalysis, Layout, "分析版", "分析版"},
    {"cmdShiTiTJ_Click", &zupo::QuestionReport, Report, "分析版", "试题分析"},
    {"cmdDengJiTJ_Click", &zupo::StandardScoreReport, Report, "分析版", "标准分与赋分"},
    {"cmdJinTuiTJ_Click", &zupo::ProgressReport, Report, "分析版", "进退步"},
    {"cmdLinJieTJ_Click", &zupo::BorderlineReport, Report, "分析版", "临界生"},
    {"ltbCJBChange", &zupo::DataWorkbookSelected, Dialog, "", ""},
    {"UFInitialize", &zupo::DialogStartUp, Dialog, "", ""},
    {"MyHelp", &zupo::Help, Dialog, "", "帮助"},
};

std::vector<CommandInfo> zupo::Commands() {
  std::vector<CommandInfo> commands;
  for (const CommandEntry& e : kCommands) commands.push_back(e.info());
  return commands;
}

std::optional<CommandInfo> zupo::FindCommand(const std::string& name) {
  for (const CommandEntry& e : kCommands)
    if (name == e.name) return e.info();
  return std::nullopt;
}

host::Value zupo::MyFunClick(host::Application& EA, host::Dialog& UF, const std::string& strFlag,
                             const std::string& CSB) {
  const std::string name = strFlag;
  Call call{EA, UF, CSB};
  try {
    EA.setDisplayAlerts(false);
    EA.setScreenUpdating(false);
    EA.setEnableEvents(false);
    RunCommand(name, call);
  } catch (...) {
    try {
      ShowErrorBox(EA.platform(), std::current_exception());
    } catch (...) {
      // Nowhere left to report to; the switches must still come back.
    }
  }

  // Each switch is restored on its own; a failure here is reported once and
  // never goes back through the trap above.
  std::exception_ptr restoreError;
  auto restore = [&](auto&& step) {
    try {
      step();
    } catch (...) {
      if (!restoreError) restoreError = std::current_exception();
    }
  };
  restore([&] { EA.setEnableEvents(true); });
  restore([&] { EA.setDisplayAlerts(true); });
  restore([&] { EA.setScreenUpdating(true); });
  restore([&] { EA.platform().endProgress(); });
  if (restoreError) {
    try {
      ShowErrorBox(EA.platform(), restoreError);
    } catch (...) {
    }
  }
  return {};
}

void zupo::RunCommand(const std::string& name, const Call& call) {
  for (const CommandEntry& entry : kCommands) {
    if (name != entry.name) continue;
    (this->*entry.run)(call);
    return;
  }
}

void zupo::DialogStartUp(const Call& call) {
  ListDataWorkbooks(call.EA, call.UF);
  EnableDialogResize(call.EA.platform(), call.UF);
}

void zupo::DataWorkbookSelected(const Call& call) { SelectDataWorkbook(call.EA, call.UF, dataWorkbookName); }

void zupo::LayOutThreeLine(const Call& c) { params::LayOutSettingsSheet(c.EA, params::ThreeLineTemplate()); }
void zupo::LayOutTwoLine(const Call& c) { params::LayOutSettingsSheet(c.EA, params::TwoLineTemplate()); }
void zupo::LayOutFourRates(const Call& c) { params::LayOutSettingsSheet(c.EA, params::FourRatesTemplate()); }
void zupo::LayOutAssignedScore(const Call& c) {
  params::LayOutSettingsSheet(c.EA, params::AssignedScoreTemplate());
}
void zupo::LayOutChart(const Call& c) { params::LayOutSettingsSheet(c.EA, params::ChartTemplate()); }
void zupo::LayOutAnalysis(const Call& c) { params::LayOutSettingsSheet(c.EA, params::AnalysisTemplate()); }

void zupo::ScoreBands(const Call& c) { reports::ScoreBandsReport(c.EA, c.UF, dataWorkbookName, c.CSB); }
void zupo::ThreeLineReport(const Call& c) { reports::ThreeLineReport(c.EA, c.UF, dataWorkbookName); }

void zupo::TwoLineReport(const Call& c) { reports::TwoLineReport(c.EA, c.UF, dataWorkbookName); }
void zupo::FourRatesReport(const Call& c) { reports::FourRatesReport(c.EA, c.UF, dataWorkbookName); }
void zupo::AssignedScoreReport(const Call& c) { reports::AssignedScoreReport(c.EA, c.UF, dataWorkbookName); }

void zupo::ChartReport(const Call& c) { reports::ChartReport(c.EA, c.UF, dataWorkbookName); }
void zupo::QuestionReport(const Call& c) { reports::QuestionReport(c.EA, c.UF, dataWorkbookName); }
void zupo::StandardScoreReport(const Call& c) { reports::StandardScoreReport(c.EA, c.UF, dataWorkbookName); }
void zupo::ProgressReport(const Call& c) { reports::ProgressReport(c.EA, c.UF, dataWorkbookName); }
void zupo::BorderlineReport(const Call& c) { reports::BorderlineReport(c.EA, c.UF, dataWorkbookName); }

void zupo::Help(const Call& call) { OpenHelpDocument(call.EA); }

}  // namespace tavo::engine
