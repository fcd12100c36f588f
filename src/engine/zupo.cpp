#include "engine/zupo.h"

#include <exception>

#include "engine/dialog_commands.h"
#include "engine/error_box.h"
#include "engine/help_command.h"
#include "params/layout_command.h"
#include "reports/chart_report.h"
#include "reports/line_reports.h"
#include "reports/score_bands_report.h"
#include "reports/subject_blocks_report.h"

namespace tavo::engine {

// The dialog's event names, looked up in this order.
const zupo::CommandEntry zupo::kCommands[14] = {
    {"cmdCJ_Click", &zupo::ScoreBands},
    {"cmdSanXianSZ_Click", &zupo::LayOutThreeLine},
    {"cmdSanXianTJ_Click", &zupo::ThreeLineReport},
    {"cmdTwoXianSZ_Click", &zupo::LayOutTwoLine},
    {"cmdTwoXianTJ_Click", &zupo::TwoLineReport},
    {"cmdSiLvSZ_Click", &zupo::LayOutFourRates},
    {"cmdSiLvTJ_Click", &zupo::FourRatesReport},
    {"cmdFuFenSZ_Click", &zupo::LayOutAssignedScore},
    {"cmdFuFenTJ_Click", &zupo::AssignedScoreReport},
    {"cmdTuBiaoSZ_Click", &zupo::LayOutChart},
    {"cmdTuBiaoTJ_Click", &zupo::ChartReport},
    {"ltbCJBChange", &zupo::DataWorkbookSelected},
    {"UFInitialize", &zupo::DialogStartUp},
    {"MyHelp", &zupo::Help},
};

std::vector<std::string> zupo::CommandNames() {
  std::vector<std::string> names;
  for (const CommandEntry& e : kCommands) names.push_back(e.name);
  return names;
}

bool zupo::IsBuilt(const std::string& name) {
  for (const CommandEntry& e : kCommands)
    if (name == e.name) return e.run != nullptr;
  return false;
}

bool zupo::IsReport(const std::string& name) { return name == "cmdCJ_Click" || name.ends_with("TJ_Click"); }

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
    if (entry.run) (this->*entry.run)(call);
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

void zupo::ScoreBands(const Call& c) { reports::ScoreBandsReport(c.EA, c.UF, dataWorkbookName, c.CSB); }
void zupo::ThreeLineReport(const Call& c) { reports::ThreeLineReport(c.EA, c.UF, dataWorkbookName); }

void zupo::TwoLineReport(const Call& c) { reports::TwoLineReport(c.EA, c.UF, dataWorkbookName); }
void zupo::FourRatesReport(const Call& c) { reports::FourRatesReport(c.EA, c.UF, dataWorkbookName); }
void zupo::AssignedScoreReport(const Call& c) { reports::AssignedScoreReport(c.EA, c.UF, dataWorkbookName); }

void zupo::ChartReport(const Call& c) { reports::ChartReport(c.EA, c.UF, dataWorkbookName); }

void zupo::Help(const Call& call) { OpenHelpDocument(call.EA); }

}  // namespace tavo::engine
