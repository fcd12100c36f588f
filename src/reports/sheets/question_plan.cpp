#include "reports/sheets/question_plan.h"

#include <algorithm>
#include <cmath>

#include "reports/sheets/cell_text.h"
#include "sheetutil/layout_store.h"

namespace tavo::reports {

using host::Cell;
using host::Rect;
using host::Value;

namespace {

constexpr int kSummaryFill = 15;
constexpr const char* kTwoPlaces = "0.00";
constexpr const char* kThreePlaces = "0.000";
constexpr int kQuestionsPerBlock = 15;  // the class table's questions a printed page holds


const std::vector<std::string> kQuestionHeaders = {"题号", "满分", "人数", "平均分", "得分率",
                                                   "标准差", "区分度", "相关系数", "提示"};
const std::vector<std::string> kSummaryHeaders = {"人数", "平均分", "中位数", "标准差",
                                                  "偏度", "峰度", "信度", "标准误"};

void PutRow(SheetPlan& plan, int row, int col, const std::vector<std::string>& texts) {
  for (std::size_t i = 0; i < texts.size(); ++i) plan.put(row, col + static_cast<int>(i), Value(texts[i]));
}

// One test's three tables from row `top`; the row after them.
int PutTest(SheetPlan& plan, const QuestionAnalysis& a, int top) {
  const std::string& section = a.subject;
  const int questions = static_cast<int>(a.questions.size());
  int row = top;
  plan.row(row, RowRole::Header, "科目", section);
  plan.put(row, 1, Value(a.subject + " 试题分析"));
  host::FormatPatch title = BoldPatch();
  title.horizontalAlignment = host::HorizontalAlignment::Left;  // it runs on to the right
  plan.format({row, 1, row, 1}, title);

  // One row per question.
  ++row;
  plan.row(row, RowRole::Header, "试题", section);
  PutRow(plan, row, 1, kQuestionHeaders);
  const int first = row + 1;
  for (const QuestionResult& q : a.questions) {
    ++row;
    plan.row(row, RowRole::Item, q.label, section);
    std::string hints = q.hints;
    if (q.fullMarkObserved) hints += (hints.empty() ? "" : "、") + std::string("满分按最高得分");
    const Value cells[] = {Value(q.label),   Value(q.fullMark), Value(q.students),          NumberOrEmpty(q.mean),
                           NumberOrEmpty(q.rate),   NumberOrEmpty(q.sd),      NumberOrEmpty(q.discrimination), NumberOrEmpty(q.correlation),
                           Value(hints)};
    for (int c = 0; c < 9; ++c) plan.put(row, 1 + c, cells[c]);
  }
  plan.format({top + 1, 1, row, 9}, BordersPatch());
  plan.format({top + 1, 1, top + 1, 9}, FillPatch(kHeaderFill));
  if (questions) plan.format({first, 4, row, 8}, NumberFormatPatch(kTwoPlaces));

  // The test as a whole.
  row += 2;
  plan.row(row, RowRole::Header, "整卷", section);
  PutRow(plan, row, 1, kSummaryHeaders);
  ++row;
  plan.row(row, RowRole::GrandTotal, "整卷", section);
  const TestSummary& t = a.summary;
  const Value summary[] = {Value(t.students), NumberOrEmpty(t.mean),     NumberOrEmpty(t.median), NumberOrEmpty(t.sd),
                           NumberOrEmpty(t.skewness), NumberOrEmpty(t.kurtosis), NumberOrEmpty(t.alpha),  NumberOrEmpty(t.standardError)};
  for (int c = 0; c < 8; ++c) plan.put(row, 1 + c, summary[c]);
  plan.format({row - 1, 1, row, 8}, BordersPatch());
  plan.format({row - 1, 1, row - 1, 8}, FillPatch(kSummaryFill));
  plan.format({row, 2, row, 6}, NumberFormatPatch(kTwoPlaces));
  plan.format({row, 7, row, 8}, NumberFormatPatch(kThreePlaces));
  ++row;
  plan.row(row, RowRole::Note, "整卷", section);
  plan.put(row, 1,
           Value(std::isnan(t.alpha) ? std::string("信度：答全各题的学生不足2人或试题不足2道，无法计算")
                                     : "信度（克龙巴赫α）按答全各题的 " + std::to_string(t.alphaStudents) +
                                           " 名学生计算；标准误 = 标准差 × √(1 − 信度)"));

  // Each class's rate per question, in blocks a page wide.
  ++row;
  for (int from = 0; from == 0 || from < questions; from += kQuestionsPerBlock) {
    const int inBlock = std::min(kQuestionsPerBlock, questions - from);
    ++row;
    plan.row(row, RowRole::Header, "班级得分率", section);
    plan.put(row, 1, Value("班级"));
    plan.put(row, 2, Value("人数"));
    for (int q = 0; q < inBlock; ++q)
      plan.put(row, 3 + q, Value(a.questions[static_cast<std::size_t>(from + q)].label));
    const int header = row;
    for (const ClassQuestionRates& c : a.classes) {
      ++row;
      plan.row(row, RowRole::Class, c.name, section);
      plan.put(row, 1, Value(c.name));
      plan.put(row, 2, Value(c.students));
      for (int q = 0; q < inBlock; ++q) {
        const double rate = c.rates[static_cast<std::size_t>(from + q)];
        plan.put(row, 3 + q, NumberOrEmpty(rate));
        if (const int fill = RateFill(rate)) plan.format(Rect::of(Cell{row, 3 + q}), FillPatch(fill));
      }
    }
    plan.format({header, 1, row, 2 + inBlock}, BordersPatch());
    plan.format({header, 1, header, 2 + inBlock}, FillPatch(kHeaderFill));
    if (row > header) plan.format({header + 1, 3, row, 2 + inBlock}, NumberFormatPatch(kTwoPlaces));
    ++row;
  }
  plan.row(row, RowRole::Note, "色阶", section);
  plan.put(row, 1, Value("底色：红 <0.4，橙 0.4~0.6，黄 0.6~0.8，绿 ≥0.8"));
  return row + 1;
}

}  // namespace

int RateFill(double rate) {
  if (std::isnan(rate)) return 0;
  if (rate < 0.4) return 22;  // rose
  if (rate < 0.6) return 45;  // orange
  if (rate < 0.8) return 36;  // light yellow
  return 35;                  // light green
}

SheetPlan QuestionSheetPlan(const std::string& dataWorkbookName, const std::vector<QuestionAnalysis>& tests) {
  SheetPlan plan;
  plan.name = kQuestionSheet;
  plan.layoutRow = sheetutil::kQuestions;
  int widest = 9;
  for (const QuestionAnalysis& a : tests)
    widest = std::max(widest, 2 + std::min(kQuestionsPerBlock, static_cast<int>(a.questions.size())));
  plan.columns = widest;
  plan.format(Rect::sheet(), CentredPatch(11, "宋体"));
  // The question table's columns, then narrower ones for the class table's rates.
  plan.widths = {{1, host::kMaxCol, 6}, {1, 1, 10}, {2, 8, 8}, {9, 9, 14}};
  plan.textColumns.push_back(1);
  PutTitleAndNotes(plan, FileStem(dataWorkbookName) + " 试题分析", 9,
                   {"得分率 = 平均分 ÷ 满分；区分度 = (本科总分前27%的平均分 − 后27%的平均分) ÷ 满分；"
                    "相关系数为该题与本科其余得分的相关；标准差按全体参考学生。",
                    "参考学生未答的题按0分计；本科没有成绩的学生视为缺考，不计入。"});
  host::FormatPatch left;
  left.horizontalAlignment = host::HorizontalAlignment::Left;

  int top = 5;
  for (const QuestionAnalysis& a : tests) {
    plan.blockTops.push_back(top);
    top = PutTest(plan, a, top) + 2;
  }
  for (int row = 1; row <= plan.lastRow(); ++row)
    if (plan.rows[static_cast<std::size_t>(row - 1)].role == RowRole::Note && row > 3) plan.format({row, 1, row, 1}, left);
  plan.autoFitThrough = SheetPlan::kNoAutoFit;  // the notes run across
  plan.keepBlocksOnPages = true;
  plan.printTitleRows = "$1:$1";
  plan.fitAcrossThrough = widest;
  plan.frozenRows = 1;
  return plan;
}

}  // namespace tavo::reports
