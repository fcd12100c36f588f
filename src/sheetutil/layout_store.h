// The layout store: the sheet "DTB" of the system workbook, one row per kind
// of report sheet holding the heights of its first three rows (columns 1-3)
// and its page set-up (columns 11-19); cells (1, 26) and (2, 26) are format
// templates for marked scores.
#pragma once

#include <array>
#include <string_view>

#include "host/page_setup.h"

namespace tavo::host {
class Worksheet;
}

namespace tavo::sheetutil {

inline constexpr std::string_view kLayoutStoreSheet = "DTB";

enum LayoutRow : int {
  kTotal1 = 1,       // "总分1"
  kSingle1 = 2,      // "单科1"
  kTotal2 = 3,       // "总分2"
  kSingle2 = 4,      // "单科2"
  kSubjects3 = 5,    // "各科3"
  kSubjects4 = 6,    // "各科4"
  kChart = 7,        // "统计图"
  kChartTable = 8,   // "统计表"
  kBands = 9,        // "分段表"
  kScoreSheet = 10,  // "成绩表"
  kQuestions = 11,   // "试题分析"
  kStandardScores = 12,  // "标准分与赋分"
};

inline constexpr std::array<std::string_view, 12> kLayoutRowSheets = {
    "总分1", "单科1", "总分2", "单科2", "各科3", "各科4", "统计图", "统计表", "分段表", "成绩表", "试题分析",
    "标准分与赋分"};
inline constexpr int kLayoutNameColumn = 5;

inline constexpr int kRow1HeightColumn = 1;
inline constexpr int kRow2HeightColumn = 2;
inline constexpr int kBodyHeightColumn = 3;
inline constexpr double kBodyHeightWhenZero = 15;

// Columns 11 to 19, in this order.
inline constexpr int kFirstPageColumn = 11;
inline constexpr std::array<host::PageField, 9> kStoredPageFields = {
    host::PageField::TopMargin,   host::PageField::BottomMargin, host::PageField::FooterMargin,
    host::PageField::Orientation, host::PageField::PaperSize,    host::PageField::Zoom,
    host::PageField::CenterHorizontally, host::PageField::LeftMargin, host::PageField::RightMargin};

// Cells of the format templates pasted onto scores above line 1 and line 2.
inline constexpr int kTemplateColumn = 26;

// The row's heights and page set-up as a new system workbook holds them;
// with `onlyWhenEmpty`, only where the row names no sheet yet (a system
// workbook older than the kind of sheet).
void WriteDefaultLayoutRow(host::Worksheet& store, LayoutRow, bool onlyWhenEmpty = false);

}  // namespace tavo::sheetutil
