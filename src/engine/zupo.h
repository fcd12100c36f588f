// The engine's one class and its one entry point. The dialog of the system
// workbook keeps one instance for its whole life and calls MyFunClick once
// per user action with the name of the event.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/dialog.h"
#include "host/value.h"

namespace tavo::engine {

// What a command is to those who run it: a layout command refreshes a
// settings sheet of the system workbook, a report writes sheets into the
// selected score workbook, the others serve the dialog.
enum class CommandKind { Layout, Report, Dialog };

struct CommandInfo {
  std::string name;
  CommandKind kind;
  // The settings sheet it lays out or reads; for the score bands, which
  // read the sheet the dialog names, the one a dialog names by default.
  std::string settingsSheet;
  // What its button says in the dialog, the ribbon and the page; empty for
  // the dialog's own events.
  std::string caption;
  // A layout command's sheet holds lines: the score bands may read it.
  bool holdsLines = false;
};

class zupo {
 public:
  // Switches the host's alerts, screen updating and events off, runs the
  // command named by strFlag (exact, case-sensitive; unknown names run
  // nothing), shows any error that escapes it in one error box and switches
  // the host back on. Never throws; the result is always empty.
  host::Value MyFunClick(host::Application& EA, host::Dialog& UF, const std::string& strFlag,
                         const std::string& CSB = "");

  // The command table in lookup order, and one command of it.
  static std::vector<CommandInfo> Commands();
  static std::optional<CommandInfo> FindCommand(const std::string& name);

  // The file name of the score workbook last selected in the dialog.
  const std::string& selectedDataWorkbook() const { return dataWorkbookName; }

 private:
  struct Call {
    host::Application& EA;
    host::Dialog& UF;
    const std::string& CSB;
  };
  using Command = void (zupo::*)(const Call&);
  struct CommandEntry {
    const char* name;
    Command run;
    CommandKind kind;
    const char* settingsSheet;
    const char* caption;
    bool holdsLines = false;
    CommandInfo info() const { return {name, kind, settingsSheet, caption, holdsLines}; }
  };
  static const CommandEntry kCommands[19];

  void RunCommand(const std::string& name, const Call&);
  void DialogStartUp(const Call&);
  void DataWorkbookSelected(const Call&);
  void Help(const Call&);
  void LayOutThreeLine(const Call&);
  void LayOutTwoLine(const Call&);
  void LayOutFourRates(const Call&);
  void LayOutAssignedScore(const Call&);
  void LayOutChart(const Call&);
  void LayOutAnalysis(const Call&);
  void ScoreBands(const Call&);
  void ThreeLineReport(const Call&);
  void TwoLineReport(const Call&);
  void FourRatesReport(const Call&);
  void AssignedScoreReport(const Call&);
  void ChartReport(const Call&);
  void QuestionReport(const Call&);
  void StandardScoreReport(const Call&);
  void ProgressReport(const Call&);
  void BorderlineReport(const Call&);

  std::string dataWorkbookName;
};

}  // namespace tavo::engine
