// Where the three-line and the two-line report put their columns: the
// three-line sheets show one count per line (single or double as set), the
// two-line sheets both counts of each line on the single-subject sheet.
#include "reports/line_report_sheets.h"
#include "reports/sheet_writing.h"
#include "sheetutil/layout_store.h"

namespace tavo::reports {

namespace {

const std::vector<std::string> kClassHeaders = {"级部", "班级", "人数", "最高分", "平均分"};

std::string Times(int back, double weight) { return "=RC[-" + std::to_string(back) + "]*" + host::numberToText(weight); }

std::vector<std::string> With(std::vector<std::string> first, const std::vector<std::string>& more) {
  first.insert(first.end(), more.begin(), more.end());
  return first;
}

}  // namespace

std::string LinesOfTitle(const LineSettings& s, const LineStatistics& st, const TitleCounts& counts,
                         std::size_t field, const std::string& within) {
  std::string out;
  for (std::size_t k = 0; k < counts.size(); ++k) {
    const std::string& name = s.lineNames[k];
    out += (k ? "   " : "") + name + "线:" + host::numberToText(st.lineScores[k][field]);
    for (const auto& [label, count] : counts[k]) out += within + name + label + std::to_string(st.countTotals[count][field]);
  }
  return out;
}

TotalSheetLayout ThreeLineTotalLayout(const LineSettings& s) {
  const auto& n = s.lineNames;
  const auto& c = s.coefficients;
  return {"总分1",
          sheetutil::kTotal1,
          With(kClassHeaders, {Lines({n[0], "生数"}), Lines({n[1], "上线"}), Lines({n[2], "上线"}),
                               Lines({n[1], "上线", "率(%)"}), Lines({n[2], "上线", "率(%)"}), "班主任",
                               Lines({"平均", "分", "得分"}), Lines({n[0], "生数", "得分"}), Lines({n[1], "上线", "得分"}),
                               Lines({n[2], "上线", "得分"}), "总分", "名次"}),
          {0, 1, 2},
          11,
          {{9, "=RC[-2]/RC[-6]*100"}, {10, "=RC[-2]/RC[-7]*100"}, {12, Times(7, c[0])}, {13, Times(7, c[1])},
           {14, Times(7, c[2])}, {15, Times(7, c[3])}, {16, "=RC[-4]+RC[-3]+RC[-2]+RC[-1]"}},
          {9, 10},
          {9, 10, 12, 16},
          {{12, c[0]}, {13, c[1]}, {14, c[2]}, {15, c[3]}},
          12,
          {{{"生数:", 0}}, {{"上线:", 1}}, {{"上线:", 2}}}};
}

SingleSheetLayout ThreeLineSingleLayout(const LineSettings& s) {
  const auto& n = s.lineNames;
  return {"单科1",
          sheetutil::kSingle1,
          With(kClassHeaders, {Lines({n[0], "生数"}), Lines({n[1], "上线"}), Lines({n[2], "上线"}),
                               Lines({"平均", "分", "平均"}), Lines({n[0], "生数", "平均"}), Lines({n[1], "上线", "平均"}),
                               Lines({n[2], "上线", "平均"}), "教师", Lines({"平均", "分", "得分"}),
                               Lines({n[0], "生数", "得分"}), Lines({n[1], "上线", "得分"}), Lines({n[2], "上线", "得分"}),
                               "总分", "名次"}),
          {0, 1, 2},
          13,
          s.coefficients,
          {},
          {5, 9, 10, 11, 12, 14, 15, 16, 17, 18},
          {{{"生数:", 0}}, {{"上线:", 1}}, {{"上线:", 2}}}};
}

// The total's single and double counts coincide: one count per line.
TotalSheetLayout TwoLineTotalLayout(const LineSettings& s) {
  const auto& n = s.lineNames;
  const auto& c = s.coefficients;  // the average, then single and double of each line
  return {"总分2",
          sheetutil::kTotal2,
          With(kClassHeaders, {Lines({n[0], "上线"}), Lines({n[1], "上线"}), "班主任", Lines({"平均", "分", "得分"}),
                               Lines({n[0], "上线", "得分"}), Lines({n[1], "上线", "得分"}), "总分", "名次"}),
          {0, 2},
          8,
          {{9, Times(4, c[0])}, {10, Times(4, c[1])}, {11, Times(4, c[3])}, {12, "=RC[-3]+RC[-2]+RC[-1]"}},
          {},
          {9, 12},
          {{9, c[0]}, {10, c[1]}, {11, c[3]}},
          9,
          {{{"上线:", 0}}, {{"上线:", 2}}}};
}

SingleSheetLayout TwoLineSingleLayout(const LineSettings& s) {
  const auto& n = s.lineNames;
  return {"单科2",
          sheetutil::kSingle2,
          With(kClassHeaders, {Lines({n[0], "上线"}), Lines({n[0], "双", "上线"}), Lines({n[1], "上线"}),
                               Lines({n[1], "双", "上线"}), Lines({"平均", "分", "平均"}), Lines({n[0], "上线", "平均"}),
                               Lines({n[0], "双线", "平均"}), Lines({n[1], "上线", "平均"}), Lines({n[1], "双线", "平均"}),
                               "教师", Lines({"平均", "分", "得分"}), Lines({n[0], "上线", "得分"}),
                               Lines({n[0], "双线", "得分"}), Lines({n[1], "上线", "得分"}), Lines({n[1], "双线", "得分"}),
                               "总分", "名次"}),
          {0, 1, 2, 3},
          15,
          s.coefficients,
          {5, 10, 11, 12, 13, 14},
          {16, 17, 18, 19, 20, 21},
          {{{"上线:", 0}, {"双线:", 1}}, {{"上线:", 2}, {"双线:", 3}}}};
}

}  // namespace tavo::reports
