// What sets the five settings sheets apart. One layout algorithm reads
// these descriptions; a version is data, not code.
#pragma once

#include <string>
#include <vector>

namespace tavo::host {
class Application;
class Worksheet;
}

namespace tavo::params {

// A setting of row 13. Texts may name a line as {N1}, {N2}, {N3}: the line
// names the teacher gave in A63:A65.
struct SettingColumn {
  enum class Kind { List, Number };
  int column;
  std::vector<std::string> headerParts;  // joined with line feeds in row 12
  Kind kind;
  std::string formula1;  // the list's choices, or the lower bound
  std::string inputMessage;
};

struct SettingsTemplate {
  std::string sheetName;                  // "三线版"
  std::string clearedRows;                // step 4, after A12:A13
  std::string extraCleared;               // "" or a range cleared with A12:A13
  std::string hiddenRows;                 // rows given height 0
  bool keepsGrade;                        // A72 holds "级部"; otherwise it is emptied
  std::vector<std::string> lineNameDefaults;  // one per line
  std::vector<SettingColumn> settings;
  std::string plannedSizeNote;            // the input message of C72
  bool hasLines = true;                   // the line table of rows 61-67
  // Sections of its own between the settings row and the class table,
  // laid out after the common parts; the class table ends at `lastColumn`.
  void (*layOutSections)(host::Application&, host::Worksheet&, int lastColumn) = nullptr;
  // A sheet newer than the system workbooks teachers have: when it is
  // missing it is added, with the class table of this sheet ("" = never).
  std::string classTableFrom = {};

  int lineCount() const { return static_cast<int>(lineNameDefaults.size()); }
  std::string missingSheetMessage() const { return "系统工作簿缺少 " + sheetName + "，请检查！"; }
};

const SettingsTemplate& ThreeLineTemplate();   // "三线版"
const SettingsTemplate& TwoLineTemplate();     // "双线版"
const SettingsTemplate& FourRatesTemplate();   // "四率版"
const SettingsTemplate& AssignedScoreTemplate();  // "赋分版"
const SettingsTemplate& ChartTemplate();       // "图表版"
const SettingsTemplate& AnalysisTemplate();    // "分析版"

// {N1}, {N2}, {N3} replaced by the line names (index 0 is N1).
std::string WithLineNames(const std::string& text, const std::vector<std::string>& lineNames);

}  // namespace tavo::params
