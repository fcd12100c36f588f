#include "reports/sheets/progress_plan.h"

#include <algorithm>

#include "reports/sheets/cell_text.h"
#include "sheetutil/layout_store.h"

namespace tavo::reports {

using host::Cell;
using host::Rect;
using host::Value;

namespace {

constexpr const char* kTwoPlaces = "0.00";
constexpr const char* kOnePlace = "0.0";

std::vector<std::string> StudentMeasures(bool noRanks) {
  if (noRanks) return {"上次T分", "本次T分", "T分变化", "标记"};
  return {"上次名次", "本次名次", "名次变化", "上次T分", "本次T分", "T分变化", "标记"};
}
// Short enough for the columns the student table sets: the notes say the
// changes here are the class's means.
std::vector<std::string> ClassMeasures(bool noRanks) {
  if (noRanks) return {"对比人数", "T分变化", "进步人数", "退步人数"};
  return {"对比人数", "名次变化", "T分变化", "进步人数", "退步人数"};
}

}  // namespace

ProgressPlan PlanProgressSheet(const std::string& dataWorkbookName, const ScoreData& data, const ExamComparison& c) {
  ProgressPlan out;
  SheetPlan& plan = out.frame;
  plan.name = kProgressSheet;
  plan.layoutRow = sheetutil::kStandardScores;
  const std::vector<std::string> measures = StudentMeasures(c.noRanks);
  const std::vector<std::string> classMeasures = ClassMeasures(c.noRanks);
  out.studentColumns = 1 + static_cast<int>(c.identityHeaders.size()) +
                       static_cast<int>(data.fields.size() * measures.size());
  plan.columns = std::max(out.studentColumns, 1 + static_cast<int>(data.fields.size() * classMeasures.size()));
  plan.format(Rect::sheet(), CentredPatch(10, "宋体"));
  plan.widths = {{1, host::kMaxCol, 6}, {1, 1, 10}};
  if (!c.identityHeaders.empty()) plan.widths.push_back({2, 1 + static_cast<int>(c.identityHeaders.size()), 9});
  plan.textColumns.push_back(1);
  const std::string ranks = c.noRanks ? "" : "名次为年级名次（1 + 分数更高的人数），名次变化 = 上次名次 − 本次名次，正数为进步；";
  PutTitleAndNotes(
      plan, FileStem(dataWorkbookName) + " 进退步" + (c.noRanks ? "（不排名）" : ""), std::min(plan.columns, 20),
      {"与上次考试“" + FileStem(c.earlierFile) + "”比较，学生按" + (c.match.byNumber ? "考号（学号）" : "班级和姓名") +
           "对应。" + ranks + "T分 = 50 + 10 × (得分 − 平均分) ÷ 标准差，按各次考试的全体参考学生。",
       "班级表的" + std::string(c.noRanks ? "T分变化" : "名次变化、T分变化") + "为对比学生的平均值。↑、↓ 标出进步、退步最多的 " +
           std::to_string(c.marks) + " 人（变化相同的一并标出）；两次考试不是都有成绩的学生不对比。" +
           (c.noRanks ? "本表按“不排名”设置，学生按班级和姓名排列。" : "")});

  // Per class, then the whole grade.
  int row = 5;
  plan.row(row, RowRole::Header, "班级");
  plan.row(row + 1, RowRole::Header, "班级");
  plan.put(row, 1, Value("班级"));
  plan.merges.push_back({row, 1, row + 1, 1});
  for (std::size_t f = 0; f < data.fields.size(); ++f)
    PutGroupHeader(plan, row, 2 + static_cast<int>(f * classMeasures.size()), data.fields[f].name, classMeasures);
  const int classTop = row;
  const int classColumns = 1 + static_cast<int>(data.fields.size() * classMeasures.size());
  row += 1;
  auto putClass = [&](const std::string& name, const std::vector<int>& students, RowRole role) {
    ++row;
    plan.row(row, role, name, "班级");
    plan.put(row, 1, Value(name));
    for (std::size_t f = 0; f < data.fields.size(); ++f) {
      const ClassProgress p = ProgressOfClass(c.fields[f], students);
      const int col = 2 + static_cast<int>(f * classMeasures.size());
      int at = col;
      plan.put(row, at++, Value(p.compared));
      if (!c.noRanks) plan.put(row, at++, p.compared ? Value(p.meanRankChange) : Value());
      plan.put(row, at++, p.compared ? Value(p.meanTChange) : Value());
      plan.put(row, at++, Value(p.rose));
      plan.put(row, at, Value(p.fell));
    }
  };
  for (const ClassBlock& block : data.classes) putClass(block.name, block.students, RowRole::Class);
  putClass("年级", data.table.order, RowRole::GrandTotal);
  plan.format({classTop, 1, row, classColumns}, BordersPatch());
  plan.format({classTop, 1, classTop + 1, classColumns}, FillPatch(kHeaderFill));
  for (std::size_t f = 0; f < data.fields.size(); ++f) {
    const int col = 2 + static_cast<int>(f * classMeasures.size());
    plan.format({classTop + 2, col + 1, row, col + (c.noRanks ? 1 : 2)}, NumberFormatPatch(kTwoPlaces));
  }

  // The students that could not be matched.
  if (!c.match.unmatched.empty()) {
    row += 2;
    plan.row(row, RowRole::Header, "未对应");
    plan.put(row, 1, Value("未能对应的学生（" + std::to_string(c.match.unmatched.size()) + " 人）"));
    plan.format(Rect::of(Cell{row, 1}), LeftBoldPatch());
    ++row;
    plan.row(row, RowRole::Header, "未对应");
    const std::vector<std::string> headers = {"考试", "班级", "考号", "姓名", "原因"};
    for (std::size_t h = 0; h < headers.size(); ++h) plan.put(row, 1 + static_cast<int>(h), Value(headers[h]));
    // The reason runs over four narrow columns of the student table below.
    constexpr int kReasonColumns = 4;
    const int last = 4 + kReasonColumns;
    plan.merges.push_back({row, 5, row, last});
    const int top = row;
    for (const ExamMatch::Unmatched& u : c.match.unmatched) {
      ++row;
      plan.row(row, RowRole::Item, ReasonText(u.reason), "未对应");
      const auto s = static_cast<std::size_t>(u.student);
      std::string number, name, cls;
      if (u.inEarlierExam) {
        number = c.earlierKeys[s].number;
        name = c.earlierKeys[s].name;
        cls = c.earlierKeys[s].className;
      } else {
        cls = host::toText(data.table.classCell(s));
        for (std::size_t k = 0; k < c.identityHeaders.size(); ++k)
          (c.identityHeaders[k] == "姓名" ? name : number) = host::toText(c.identity[k][s]);
      }
      const Value cells[] = {Value(u.inEarlierExam ? "上次" : "本次"), Value(cls), Value(number), Value(name),
                             Value(ReasonText(u.reason))};
      for (int col = 0; col < 5; ++col) plan.put(row, 1 + col, cells[col]);
      plan.merges.push_back({row, 5, row, last});
    }
    plan.format({top, 1, row, last}, BordersPatch());
    plan.format({top, 1, top, last}, FillPatch(kHeaderFill));
  }

  // The student table's header; its rows come from ProgressRows.
  row += 2;
  plan.row(row, RowRole::Header, "学生");
  plan.row(row + 1, RowRole::Header, "学生");
  std::vector<std::string> leading = {"班级"};
  leading.insert(leading.end(), c.identityHeaders.begin(), c.identityHeaders.end());
  const int firstFieldColumn = PutLeadingHeaders(plan, row, leading);
  int col = firstFieldColumn;
  for (const Field& f : data.fields) {
    PutGroupHeader(plan, row, col, f.name, measures);
    col += static_cast<int>(measures.size());
  }
  plan.format({row, 1, row + 1, out.studentColumns}, FillPatch(kHeaderFill));
  out.firstStudentRow = row + 2;
  const int last = out.firstStudentRow + data.table.students() - 1;
  plan.format({row, 1, std::max(row + 1, last), out.studentColumns}, BordersPatch());
  if (last >= out.firstStudentRow) {
    const int t = c.noRanks ? 0 : 3;  // the T columns' offset in a field's group
    for (col = firstFieldColumn; col <= out.studentColumns; col += static_cast<int>(measures.size()))
      plan.format({out.firstStudentRow, col + t, last, col + t + 2}, NumberFormatPatch(kOnePlace));
  }
  plan.printTitleRows = "$" + std::to_string(row) + ":$" + std::to_string(row + 1);
  plan.fitAcrossThrough = out.studentColumns;
  plan.autoFitThrough = SheetPlan::kNoAutoFit;
  return out;
}

ProgressTable ProgressTableInReportOrder(const ScoreData& data, ExamComparison&& c) {
  const std::vector<int>& order = data.table.order;
  ProgressTable t;
  t.noRanks = c.noRanks;
  t.classCells = data.table.distinctClassCells;
  t.classIds = InOrder(data.table.classIds, order);
  for (auto& column : c.identity) {
    t.identity.push_back(InOrder(column, order));
    std::vector<Value>().swap(column);
  }
  for (FieldProgress& p : c.fields) {
    t.fields.push_back(InOrder(p, order));
    p = {};
  }
  return t;
}

host::Grid ProgressRows(const ProgressTable& t, int first, int rows) {
  const int perField = static_cast<int>(StudentMeasures(t.noRanks).size());
  host::Grid g(rows, 1 + static_cast<int>(t.identity.size()) + perField * static_cast<int>(t.fields.size()));
  for (int r = 0; r < rows; ++r) {
    const auto s = static_cast<std::size_t>(first + r);
    int col = 0;
    g.at(r, col++) = t.classCells[static_cast<std::size_t>(t.classIds[s])];
    for (const auto& column : t.identity) g.at(r, col++) = column[s];
    for (const FieldProgress& p : t.fields) {
      if (!t.noRanks) {
        g.at(r, col++) = NumberOrEmpty(p.rankBefore[s]);
        g.at(r, col++) = NumberOrEmpty(p.rankNow[s]);
        g.at(r, col++) = NumberOrEmpty(p.rankChange(s));
      }
      g.at(r, col++) = NumberOrEmpty(p.tBefore[s]);
      g.at(r, col++) = NumberOrEmpty(p.tNow[s]);
      g.at(r, col++) = NumberOrEmpty(p.tChange(s));
      g.at(r, col++) = p.marked[s] > 0 ? Value("↑") : p.marked[s] < 0 ? Value("↓") : Value();
    }
  }
  return g;
}

}  // namespace tavo::reports
