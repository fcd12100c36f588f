// Where the three-line and the two-line report put their columns: the
// three-line sheets show one count per line (single or double as set), the
// two-line sheets both counts of each line on the single-subject sheet.
#include "reports/sheets/cell_text.h"
#include "reports/sheets/line_sheet_layouts.h"
#include "sheetutil/layout_store.h"

namespace tavo::reports {

namespace {

const std::vector<std::string> kClassHeaders = {"级部", "班级", "人数", "最高分", "平均分"};
// The columns every line sheet starts with.
constexpr int kSize = 3, kAverage = 5, kFirstCount = 6;

// The count as a percentage of the class's students.
std::string Rate(int at, int count) { return "=" + LeftInRow(at, count) + "/" + LeftInRow(at, kSize) + "*100"; }
std::string Weighted(int at, int source, double weight) {
  return "=" + LeftInRow(at, source) + "*" + host::numberToText(weight);
}
// The sum of the columns first..at-1.
std::string SumLeft(int at, int first) {
  std::vector<int> columns;
  for (int col = first; col < at; ++col) columns.push_back(col);
  return SumInRow(at, columns);
}

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
  enum : int {
    kCount1 = kFirstCount, kCount2, kCount3, kRate2, kRate3, kHeadTeacher,
    kScoreOfAverage, kScoreOfCount1, kScoreOfCount2, kScoreOfCount3, kScore, kRank
  };
  return {"总分1",
          sheetutil::kTotal1,
          With(kClassHeaders, {Lines({n[0], "生数"}), Lines({n[1], "上线"}), Lines({n[2], "上线"}),
                               Lines({n[1], "上线", "率(%)"}), Lines({n[2], "上线", "率(%)"}), "班主任",
                               Lines({"平均", "分", "得分"}), Lines({n[0], "生数", "得分"}), Lines({n[1], "上线", "得分"}),
                               Lines({n[2], "上线", "得分"}), "总分", "名次"}),
          {0, 1, 2},
          kHeadTeacher,
          {{kRate2, Rate(kRate2, kCount2)},
           {kRate3, Rate(kRate3, kCount3)},
           {kScoreOfAverage, Weighted(kScoreOfAverage, kAverage, c[0])},
           {kScoreOfCount1, Weighted(kScoreOfCount1, kCount1, c[1])},
           {kScoreOfCount2, Weighted(kScoreOfCount2, kCount2, c[2])},
           {kScoreOfCount3, Weighted(kScoreOfCount3, kCount3, c[3])},
           {kScore, SumLeft(kScore, kScoreOfAverage)}},
          {kRate2, kRate3},
          {kRate2, kRate3, kScoreOfAverage, kScore},
          {{kScoreOfAverage, c[0]}, {kScoreOfCount1, c[1]}, {kScoreOfCount2, c[2]}, {kScoreOfCount3, c[3]}},
          kScoreOfAverage,
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
  enum : int { kCount1 = kFirstCount, kCount2, kHeadTeacher, kScoreOfAverage, kScoreOfCount1, kScoreOfCount2, kScore, kRank };
  return {"总分2",
          sheetutil::kTotal2,
          With(kClassHeaders, {Lines({n[0], "上线"}), Lines({n[1], "上线"}), "班主任", Lines({"平均", "分", "得分"}),
                               Lines({n[0], "上线", "得分"}), Lines({n[1], "上线", "得分"}), "总分", "名次"}),
          {0, 2},
          kHeadTeacher,
          {{kScoreOfAverage, Weighted(kScoreOfAverage, kAverage, c[0])},
           {kScoreOfCount1, Weighted(kScoreOfCount1, kCount1, c[1])},
           {kScoreOfCount2, Weighted(kScoreOfCount2, kCount2, c[3])},
           {kScore, SumLeft(kScore, kScoreOfAverage)}},
          {},
          {kScoreOfAverage, kScore},
          {{kScoreOfAverage, c[0]}, {kScoreOfCount1, c[1]}, {kScoreOfCount2, c[3]}},
          kScoreOfAverage,
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
