#include "reports/compute/line_settings.h"

#include "host/grid.h"
#include "params/settings_sheet.h"

namespace tavo::reports {

using host::Value;
using namespace params;

namespace {

bool Is(const host::Worksheet& s, int col, const char* text) {
  Value v = s.value({kSettingsRow, col});
  return v.isText() && v.text() == text;
}

// The line rows and the class table, each in one read.
void ReadLinesAndClasses(const host::Worksheet& version, LineSettings& out) {
  const host::Rect region = version.currentRegion({kClassHeaderRow, 1});
  const int lastColumn = region.right;
  const host::Grid lines = version.values({kFirstLineRow, 1, kFirstLineRow + out.lineCount - 1, lastColumn});
  out.byScore.clear();
  out.lineValues.assign(static_cast<std::size_t>(out.lineCount), {});
  for (int k = 0; k < out.lineCount; ++k) {
    const Value& mode = lines.at(k, kLineModeColumn - 1);
    out.byScore.push_back(mode.isText() && mode.text() == "按分数");
    for (int col = kLineTotalColumn; col <= lastColumn; ++col)
      out.lineValues[static_cast<std::size_t>(k)][col] = lines.at(k, col - 1);
  }
  if (region.bottom < kFirstClassRow) return;
  const host::Grid classes = version.values({kFirstClassRow, 1, region.bottom, lastColumn});
  for (int r = 0; r < classes.rows; ++r)
    for (int col = 1; col <= lastColumn; ++col) out.classTable[kFirstClassRow + r][col] = classes.at(r, col - 1);
}

}  // namespace

LineSettings ReadLines(const host::Worksheet& version, int lineCount) {
  LineSettings s;
  s.lineCount = lineCount;
  for (int k = 0; k < s.lineCount; ++k) {
    std::string name = host::toText(version.value({kFirstLineRow + k, kLineNameColumn}));
    s.lineNames.push_back(name.empty() ? "线" + std::to_string(k + 1) : name);
  }
  ReadLinesAndClasses(version, s);
  return s;
}

LineSettings ReadThreeLineSettings(const host::Worksheet& version) {
  LineSettings s = ReadLines(version, 3);
  s.orderByTeacher = Is(version, 2, "是");
  s.fill = Is(version, 3, "是");
  s.teacherScores = Is(version, 4, "是");
  s.averagesPerSubject = Is(version, 5, "单上线");
  for (int k = 0; k < s.lineCount; ++k) s.singleCount.push_back(Is(version, 6 + k, "单上线"));
  for (int c = 9; c <= 12; ++c) s.coefficients.push_back(host::toNumber(version.value({kSettingsRow, c})));
  return s;
}

LineSettings ReadTwoLineSettings(const host::Worksheet& version) {
  LineSettings s = ReadSubjectBlocksSettings(version);
  s.orderByTeacher = Is(version, 2, "是");
  s.fill = Is(version, 3, "是");
  s.bothCounts = true;
  return s;
}

LineSettings ReadChartSettings(const host::Worksheet& version) {
  LineSettings s = ReadLines(version, 2);
  s.fill = Is(version, 3, "是");
  s.teacherScores = Is(version, 4, "是");
  for (int k = 0; k < 2; ++k) {
    s.countKinds.push_back(host::toText(version.value({kSettingsRow, 5 + k})));
    s.singleCount.push_back(s.countKinds.back() == "单上线");
  }
  return s;
}

LineSettings ReadSubjectBlocksSettings(const host::Worksheet& version) {
  LineSettings s = ReadLines(version, 2);
  s.teacherScores = Is(version, 4, "是");
  s.averagesPerSubject = Is(version, 5, "单上线");
  for (int c = 6; c <= 10; ++c) s.coefficients.push_back(host::toNumber(version.value({kSettingsRow, c})));
  return s;
}

}  // namespace tavo::reports
