#include "reports/sheets/balance_plan.h"

#include <algorithm>

#include "reports/compute/class_balance.h"
#include "reports/compute/score_statistics.h"
#include "reports/sheets/cell_text.h"
#include "sheetutil/layout_store.h"

namespace tavo::reports {

using host::Cell;
using host::Rect;
using host::Value;

namespace {

const std::vector<std::string> kBalanceMeasures = {"人数", "平均分", "标准差", "差异系数", "超均率"};

// One table per measure, classes down and fields across, so that each
// prints a page wide at full size; the row after the last.
int PutBalanceTables(SheetPlan& plan, const ScoreData& data, const BalanceReport& r, int top) {
  std::vector<std::vector<int>> classes;
  for (const ClassBlock& c : data.classes) classes.push_back(c.students);
  const auto balance = BalanceOf(r.scores, classes, data.table.order);
  const int columns = 1 + static_cast<int>(data.fields.size());
  const char* formats[] = {"0", "0.00", "0.00", "0.000", "0.00%"};
  int row = top;
  for (std::size_t m = 0; m < kBalanceMeasures.size(); ++m) {
    const std::string& measure = kBalanceMeasures[m];
    plan.blockTops.push_back(row);
    plan.row(row, RowRole::Header, measure, measure);
    plan.put(row, 1, Value(measure));
    plan.format(Rect::of(Cell{row, 1}), LeftBoldPatch());
    ++row;
    plan.row(row, RowRole::Header, "班级", measure);
    plan.put(row, 1, Value("班级"));
    for (std::size_t f = 0; f < data.fields.size(); ++f) plan.put(row, 2 + static_cast<int>(f), Value(data.fields[f].name));
    const int header = row;
    for (std::size_t g = 0; g < balance.size(); ++g) {
      ++row;
      const bool grade = g == classes.size();
      const std::string name = grade ? "年级" : data.classes[g].name;
      plan.row(row, grade ? RowRole::GrandTotal : RowRole::Class, name, measure);
      plan.put(row, 1, Value(name));
      for (std::size_t f = 0; f < data.fields.size(); ++f) {
        const FieldBalance& b = balance[g][f];
        const double values[] = {static_cast<double>(b.sat), b.mean, b.sd, b.variation, b.overMean};
        plan.put(row, 2 + static_cast<int>(f), NumberOrEmpty(values[m]));
      }
    }
    plan.format({header, 1, row, columns}, BordersPatch());
    plan.format({header, 1, header, columns}, FillPatch(kHeaderFill));
    plan.format({header + 1, 2, row, columns}, NumberFormatPatch(formats[m]));
    row += 2;
  }
  return row;
}

// The best and the last N by total of the grade, then of each class, side
// by side; the row after the table.
int PutLayers(SheetPlan& plan, const ScoreData& data, const BalanceReport& r, int top) {
  const std::vector<double>& total = r.scores.front();
  std::vector<std::string> measures = {"班级"};
  measures.insert(measures.end(), r.identityHeaders.begin(), r.identityHeaders.end());
  measures.push_back(data.fields.front().name);
  if (!r.noRanks) measures.push_back("年级名次");
  const int width = static_cast<int>(measures.size());
  const std::vector<double> ranks = r.noRanks ? std::vector<double>{} : Ranks(total);
  // Without ranks the lists keep the report order, which is then by class and name.
  std::vector<int> position(static_cast<std::size_t>(data.table.students()));
  for (std::size_t p = 0; p < data.table.order.size(); ++p)
    position[static_cast<std::size_t>(data.table.order[p])] = static_cast<int>(p);

  const std::string n = std::to_string(r.listSize);
  plan.row(top, RowRole::Header, "范围", "分层");
  plan.row(top + 1, RowRole::Header, "范围", "分层");
  PutLeadingHeaders(plan, top, {"范围"});
  PutGroupHeader(plan, top, 2, "前 " + n + " 名", measures);
  PutGroupHeader(plan, top, 2 + width, "后 " + n + " 名", measures);
  const int columns = 1 + 2 * width;
  int row = top + 1;
  auto putStudent = [&](int at, int col, int student) {
    const auto s = static_cast<std::size_t>(student);
    plan.put(at, col++, data.table.classCell(s));
    for (const auto& column : r.identity) plan.put(at, col++, column[s]);
    plan.put(at, col++, Value(total[s]));
    if (!r.noRanks) plan.put(at, col, NumberOrEmpty(ranks[s]));
  };
  auto putBlock = [&](const std::string& name, const std::vector<int>& students, RowRole role) {
    Layers layers = LayersOf(total, students, r.listSize);
    if (r.noRanks)
      for (std::vector<int>* list : {&layers.best, &layers.last})
        std::sort(list->begin(), list->end(), [&](int a, int b) {
          return position[static_cast<std::size_t>(a)] < position[static_cast<std::size_t>(b)];
        });
    const int rows = std::max<int>(1, static_cast<int>(std::max(layers.best.size(), layers.last.size())));
    for (int i = 0; i < rows; ++i) {
      plan.row(row + 1 + i, role, name, "分层");
      if (i < static_cast<int>(layers.best.size())) putStudent(row + 1 + i, 2, layers.best[static_cast<std::size_t>(i)]);
      if (i < static_cast<int>(layers.last.size()))
        putStudent(row + 1 + i, 2 + width, layers.last[static_cast<std::size_t>(i)]);
    }
    plan.put(row + 1, 1, Value(name));
    if (rows > 1) plan.merges.push_back({row + 1, 1, row + rows, 1});
    row += rows;
  };
  putBlock("年级", data.table.order, RowRole::GrandTotal);
  for (const ClassBlock& c : data.classes) putBlock(c.name, c.students, RowRole::Class);
  plan.format({top, 1, row, columns}, BordersPatch());
  plan.format({top, 1, top + 1, columns}, FillPatch(kHeaderFill));
  return row + 1;
}

}  // namespace

SheetPlan PlanBalanceSheet(const std::string& dataWorkbookName, const ScoreData& data, const BalanceReport& r) {
  SheetPlan plan;
  plan.name = kBalanceSheet;
  plan.layoutRow = sheetutil::kStandardScores;
  const int balanceColumns = 1 + static_cast<int>(data.fields.size());
  const int layerColumns = 1 + 2 * (3 + static_cast<int>(r.identityHeaders.size()) + (r.noRanks ? 0 : 1));
  plan.columns = std::max(balanceColumns, layerColumns);
  plan.format(Rect::sheet(), CentredPatch(10, "宋体"));
  plan.widths = {{1, host::kMaxCol, 8}, {1, 1, 10}};
  plan.textColumns.push_back(1);
  const std::string n = std::to_string(r.listSize);
  PutTitleAndNotes(plan, FileStem(dataWorkbookName) + " 分层与均衡" + (r.noRanks ? "（不排名）" : ""),
                   std::min(plan.columns, 20),
                   {"标准差为总体标准差；差异系数 = 标准差 ÷ 平均分，越小班内越均衡；"
                    "超均率 = (班级平均分 − 年级平均分) ÷ 年级平均分。没有成绩的学生不计。",
                    "前 " + n + " 名、后 " + n + " 名按" + data.fields.front().name + "，同分的一并列出" +
                        (r.noRanks ? "；按“不排名”设置，名单按班级和姓名排列。" : "。")});
  const int row = PutBalanceTables(plan, data, r, 5);
  plan.blockTops.push_back(row);
  PutLayers(plan, data, r, row);
  plan.keepBlocksOnPages = true;
  // The layers run over pages: their two header rows head each of them.
  plan.printTitleRows = "$" + std::to_string(row) + ":$" + std::to_string(row + 1);
  plan.fitAcrossThrough = plan.columns;
  plan.autoFitThrough = SheetPlan::kNoAutoFit;
  return plan;
}

}  // namespace tavo::reports
