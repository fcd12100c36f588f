// "单科1": a section per subject, a block per grade group in each, built in
// rows 2.. of columns 1-19 and copied to the staging area from column 51;
// classes of one teacher form a run with merged cells and the teacher's
// averages.
#include <set>

#include "host/constants.h"
#include "reports/line_report_blocks.h"
#include "reports/sheet_writing.h"
#include "reports/three_line_sheets.h"
#include "sheetutil/layout_store.h"
#include "sheetutil/sheet_routines.h"

namespace tavo::reports {

using host::Cell;
using host::Rect;
using host::Value;

namespace {

constexpr int kColumns = 19;
constexpr int kTeacherColumn = 13;
constexpr int kRankColumn = 19;

std::string N(const LineSettings& s, int k) { return s.lineNames[static_cast<std::size_t>(k)]; }

void WriteHeaders(host::Worksheet& w, const LineSettings& s) {
  std::vector<std::string> h = ClassHeaders(s);
  for (const std::string& more :
       {Lines({"平均", "分", "平均"}), Lines({N(s, 0), "生数", "平均"}), Lines({N(s, 1), "上线", "平均"}),
        Lines({N(s, 2), "上线", "平均"}), std::string("教师"), Lines({"平均", "分", "得分"}),
        Lines({N(s, 0), "生数", "得分"}), Lines({N(s, 1), "上线", "得分"}), Lines({N(s, 2), "上线", "得分"}),
        std::string("总分"), std::string("名次")})
    h.push_back(more);
  for (int c = 0; c < kColumns; ++c) Put(w, 2, c + 1, h[static_cast<std::size_t>(c)]);
}

// Each teacher's classes move up under the teacher's first class, keeping
// their order; every second teacher run is filled grey.
void OrderByTeacher(host::Worksheet& w, int n) {
  const int end = n + 3;
  bool toggle = false;
  int a = 3, k = 4;
  while (a < end) {
    const Value teacher = w.value({a, kTeacherColumn});
    int g = 0;
    for (; k < end; ++k) {
      if (w.value({k, kTeacherColumn}) != teacher) continue;
      ++g;
      if (k - a > 1) w.insertCut({k, 1, k, kTeacherColumn}, {a + 1, 1}, host::Shift::Down);
      ++a;
    }
    if (toggle) Fill(w, {a - g, 1, a, kColumns}, 15);
    toggle = !toggle;
    ++a;
    k = a + 1;
  }
}

// Neighbouring classes of one teacher: merged cells, and the teacher's
// averages of columns 5 to 8 in columns 9 to 12.
void MarkTeacherRuns(host::Worksheet& w, int n) {
  int g = 0;
  for (int a = 3; a < n + 3; ++a) {
    const bool ends = a == n + 2 || w.value({a + 1, kTeacherColumn}) != w.value({a, kTeacherColumn});
    if (!ends) {
      ++g;
      continue;
    }
    for (int col : {13, 9, 10, 11, 12, 14, 15, 16, 17, 18, 19}) w.merge({a - g, col, a, col});
    for (int col = 9; col <= 12; ++col)
      Formula(w, Rect::of(Cell{a - g, col}), "=AVERAGE(RC[-4]:R[" + std::to_string(g) + "]C[-4])");
    g = 0;
  }
}

void WriteBlock(host::Worksheet& w, const ScoreData& data, const LineSettings& s, const LineStatistics& st,
                const GradeGroup& g, std::size_t field) {
  const int n = g.size, last = n + 2;
  WriteClassRows(w, data, st, g, field, kTeacherColumn);
  WriteSubtotal(w, n, 3);
  Borders(w, {2, 1, n + 3, kColumns});
  if (s.orderByTeacher) OrderByTeacher(w, n);
  MarkTeacherRuns(w, n);
  for (int k = 0; k < 4; ++k)
    Formula(w, {3, 14 + k, last, 14 + k}, "=RC[-5]*" + host::numberToText(s.coefficients[static_cast<std::size_t>(k)]));
  Formula(w, {3, 18, last, 18}, "=RC[-4]+RC[-3]+RC[-2]+RC[-1]");
}

std::string SectionTitle(const Field& f, std::size_t field, const LineSettings& s, const LineStatistics& st) {
  auto line = [&](int k, const char* count) {
    return N(s, k) + "线:" + host::numberToText(st.lineScores[static_cast<std::size_t>(k)][field]) + " " + N(s, k) +
           count + std::to_string(st.lineTotals[static_cast<std::size_t>(k)][field]);
  };
  return f.name + "统计" + kLf + line(0, "生数:") + "   " + line(1, "上线:") + "   " + line(2, "上线:");
}

}  // namespace

void WriteSingleSubjectSheet(host::Application& app, const std::string& dataWorkbookName, const ScoreData& data,
                             const LineSettings& s, const LineStatistics& st) {
  host::Worksheet& store = *data.layoutStore;
  host::Worksheet& w =
      sheetutil::RecreateReportSheet(app, dataWorkbookName, store, *data.dataSheet, "单科1", sheetutil::kSingle1);
  WriteHeaders(w, s);
  Fill(w, {2, 1, 2, kColumns}, 37);

  int staging = 2;
  for (std::size_t f = 1; f < data.fields.size(); ++f) {
    w.merge({staging - 1, kStagingColumn + 1, staging - 1, kStagingColumn + kColumns - 1});
    Put(w, staging - 1, kStagingColumn + 1, SectionTitle(data.fields[f], f, s, st));
    for (const GradeGroup& g : st.groups) {
      WriteBlock(w, data, s, st, g, f);
      staging = StageBlock(w, staging, g.size, kColumns);
    }
    Put(w, staging, kStagingColumn + 1, " ");
    staging += 2;
  }
  w.cut(w.currentRegion({1, kStagingColumn}), w, {1, 1});

  CentreAllCells(w);
  NumberFormat(w, Rect::columns(2, 2), "@");
  for (int col : {5, 9, 10, 11, 12, 14, 15, 16, 17, 18}) NumberFormat(w, Rect::columns(col, col), "0.00");

  const int n = static_cast<int>(data.classes.size());
  const int groups = static_cast<int>(st.groups.size());
  const int sections = static_cast<int>(data.fields.size()) - 1;
  std::set<int> titles{1}, headers{2}, spacers{st.groups.front().size + 4};
  if (groups == 1) {
    int t = 1;
    for (int i = 0; i < sections; ++i) {
      FontSize(w, Rect::of(Cell{t, 2}), 14);
      titles.insert(t);
      headers.insert(t + 1);
      spacers.insert(t + n + 3);
      Formula(w, {t + 2, kRankColumn, t + n + 1, kRankColumn},
              "=RANK(RC[-1],R" + std::to_string(t + 2) + "C[-1]:R" + std::to_string(t + n + 1) + "C[-1])");
      t += n + 5;
    }
  } else {
    std::string sum = "=SUM(";
    const int b = n + 3 * groups + 1;
    int x = 3;
    for (const GradeGroup& g : st.groups) {
      x += g.size;
      sum += "R[" + std::to_string(x - b) + "]C,";
      x += 3;
    }
    sum.back() = ')';
    int f = 3;
    for (int i = 0; i < sections; ++i) {
      const int e = f + n + 3 * groups - 4;
      FontSize(w, Rect::of(Cell{f - 2, 2}), 14);
      titles.insert(f - 2);
      int a = f, j = f;
      for (int gi = 0; gi < groups; ++gi) {
        const GradeGroup& g = st.groups[static_cast<std::size_t>(gi)];
        j = a + g.size;
        headers.insert(a - 1);
        if (gi + 1 < groups) spacers.insert(j + 1);
        w.merge({a, 1, j, 1});
        Put(w, a, 1, g.name);
        Formula(w, {a, kRankColumn, j - 1, kRankColumn},
                "=RANK(RC[-1],R" + std::to_string(f) + "C[-1]:R" + std::to_string(e) + "C[-1])");
        a = j + 3;
      }
      Put(w, j + 1, 2, "共计");
      for (int col : {3, 6, 7, 8}) Formula(w, Rect::of(Cell{j + 1, col}), sum);
      Bold(w, {j + 1, 6, j + 1, 8});
      f = j + 5;
    }
  }

  SetAllRowHeights(w, StoredHeight(store, sheetutil::kSingle1, sheetutil::kBodyHeightColumn));
  const auto titleHeight = StoredHeight(store, sheetutil::kSingle1, sheetutil::kRow1HeightColumn);
  const auto headerHeight = StoredHeight(store, sheetutil::kSingle1, sheetutil::kRow2HeightColumn);
  for (int row : titles) SetRowHeight(w, row, titleHeight);
  for (int row : headers) SetRowHeight(w, row, headerHeight);
  for (int row : spacers) SetRowHeight(w, row, groups == 1 ? 0.0 : 6.0);

  if (!s.fill) {
    host::FormatPatch none;
    none.fillColorIndex = host::xl::kNone;
    w.applyFormat(w.currentRegion({1, 1}), none);
  }
  w.autoFitColumns(1, kColumns);
  for (int k = 0; k < 4; ++k)
    if (s.coefficients[static_cast<std::size_t>(k)] == 0) w.setColumnWidth(14 + k, 14 + k, 0);
  if (!s.teacherScores) w.remove(Rect::columns(14, 19), host::Shift::Left);
  if (groups == 1) w.remove(Rect::columns(1, 1), host::Shift::Left);
  sheetutil::ApplyPageSetup(w, store, sheetutil::kSingle1, "");
}

}  // namespace tavo::reports
