#include "reports/sheets/borderline_plan.h"

#include <algorithm>
#include <cmath>

#include "host/constants.h"
#include "reports/sheets/cell_text.h"
#include "sheetutil/layout_store.h"

namespace tavo::reports {

using host::Cell;
using host::Rect;
using host::Value;

namespace {

// What a student lacks shows red; what they have above the line shows plain.
constexpr const char* kGapFormat = "+0.0;[Red]-0.0";
const std::vector<std::string> kCountMeasures = {"线下", "线上"};
const std::vector<std::string> kListMeasures = {"分数", "离线"};

std::string Amount(double x) { return host::numberToText(x); }

// "总分 600（±10）" over a field's counts: its line and its margin.
std::string FieldHeading(const std::string& field, const LineBorderline& line, std::size_t f, bool byPlaces) {
  const std::string margin = byPlaces ? Amount(line.margins[f].amount) + "名" : "±" + Amount(line.margins[f].amount);
  return field + " " + Amount(line.lineScores[f]) + "（" + margin + "）";
}

std::vector<int> ClassOf(const ScoreData& data) {
  std::vector<int> classOf(static_cast<std::size_t>(data.table.students()), -1);
  for (std::size_t c = 0; c < data.classes.size(); ++c)
    for (int s : data.classes[c].students) classOf[static_cast<std::size_t>(s)] = static_cast<int>(c);
  return classOf;
}

// One line's counts per class, then the grade; the row after the table.
int PutCounts(SheetPlan& plan, const ScoreData& data, const BorderlineLists& r, std::size_t k, int top) {
  const LineBorderline& line = r.lines[k];
  const std::string section = line.name;
  const int columns = 1 + static_cast<int>(data.fields.size() * kCountMeasures.size());
  plan.row(top, RowRole::Header, "临界人数", section);
  plan.put(top, 1, Value(line.name + " 临界人数"));
  plan.format(Rect::of(Cell{top, 1}), LeftBoldPatch());
  int row = top + 1;
  plan.row(row, RowRole::Header, "班级", section);
  plan.row(row + 1, RowRole::Header, "班级", section);
  PutLeadingHeaders(plan, row, {"班级"});
  for (std::size_t f = 0; f < data.fields.size(); ++f)
    PutGroupHeader(plan, row, 2 + static_cast<int>(f * kCountMeasures.size()),
                   FieldHeading(data.fields[f].name, line, f, r.byPlaces), kCountMeasures);
  const int headerTop = row;
  ++row;
  const auto counts = CountBorderline(line, ClassOf(data), static_cast<int>(data.classes.size()));
  std::vector<BorderlineCount> grade(data.fields.size());
  auto putRow = [&](const std::string& name, const std::vector<BorderlineCount>& cells, RowRole role) {
    ++row;
    plan.row(row, role, name, section);
    plan.put(row, 1, Value(name));
    for (std::size_t f = 0; f < cells.size(); ++f) {
      const int col = 2 + static_cast<int>(f * kCountMeasures.size());
      plan.put(row, col, Value(cells[f].below));
      plan.put(row, col + 1, Value(cells[f].above));
    }
  };
  for (std::size_t c = 0; c < data.classes.size(); ++c) putRow(data.classes[c].name, counts[c], RowRole::Class);
  // The grade counts everyone, also students of classes the settings do not name.
  for (std::size_t f = 0; f < data.fields.size(); ++f)
    grade[f] = {static_cast<int>(line.fields[f].below.size()), static_cast<int>(line.fields[f].above.size())};
  putRow("年级", grade, RowRole::GrandTotal);
  plan.format({headerTop, 1, row, columns}, BordersPatch());
  plan.format({headerTop, 1, headerTop + 1, columns}, FillPatch(kHeaderFill));
  return row + 1;
}

}  // namespace

BorderlinePlan PlanBorderlineSheet(const std::string& dataWorkbookName, const ScoreData& data,
                                   const BorderlineLists& r) {
  BorderlinePlan out;
  SheetPlan& plan = out.frame;
  plan.name = kBorderlineSheet;
  plan.layoutRow = sheetutil::kStandardScores;
  const int leading = 2 + static_cast<int>(r.identityHeaders.size());
  const int listColumns = leading + static_cast<int>(data.fields.size() * kListMeasures.size());
  out.listColumns = listColumns;
  plan.columns = std::max(listColumns, 1 + static_cast<int>(data.fields.size() * kCountMeasures.size()));
  plan.format(Rect::sheet(), CentredPatch(10, "宋体"));
  plan.widths = {{1, host::kMaxCol, 6}, {1, 1, 10}, {2, leading, 9}};
  plan.textColumns = {1, 2};
  const std::string margin =
      r.byPlaces ? "临界幅度按名次：线下最近的若干名、线上最后的若干名算临界生，同分的一并算入"
                 : "临界幅度按分数：线下幅度以内（含）为线下临界，线上不足幅度为线上临界；各科的幅度按其分数线与总分线之比折算";
  PutTitleAndNotes(plan, FileStem(dataWorkbookName) + " 临界生", std::min(plan.columns, 20),
                   {"分数线取自“" + r.linesSheet + "”。" + margin + "，见各表头括号。",
                    "名单中 离线 = 分数 − 分数线：负数（红色）为还差的分，正数为高出的分；只写该生临界的科目。没有成绩的不计。"});

  int row = 5;
  for (std::size_t k = 0; k < r.lines.size(); ++k) row = PutCounts(plan, data, r, k, row) + 1;

  // The list's header, on a page of its own; its rows come from BorderlineRows.
  plan.pageBreaks.push_back(row);
  plan.row(row, RowRole::Header, "名单");
  plan.put(row, 1, Value("临界生名单"));
  plan.format(Rect::of(Cell{row, 1}), LeftBoldPatch());
  ++row;
  plan.row(row, RowRole::Header, "学生");
  plan.row(row + 1, RowRole::Header, "学生");
  std::vector<std::string> leadingHeaders = {"分数线", "班级"};
  leadingHeaders.insert(leadingHeaders.end(), r.identityHeaders.begin(), r.identityHeaders.end());
  int col = PutLeadingHeaders(plan, row, leadingHeaders);
  for (const Field& f : data.fields) {
    PutGroupHeader(plan, row, col, f.name, kListMeasures);
    col += static_cast<int>(kListMeasures.size());
  }
  plan.format({row, 1, row + 1, listColumns}, FillPatch(kHeaderFill));
  for (std::size_t k = 0; k < r.lines.size(); ++k)
    for (std::size_t i = 0; i < r.lines[k].students.size(); ++i)
      out.entries.emplace_back(static_cast<int>(k), static_cast<int>(i));
  out.firstListRow = row + 2;
  const int last = out.firstListRow + static_cast<int>(out.entries.size()) - 1;
  plan.format({row, 1, std::max(row + 1, last), listColumns}, BordersPatch());
  if (last >= out.firstListRow)
    for (col = leading + 2; col <= listColumns; col += static_cast<int>(kListMeasures.size()))
      plan.format({out.firstListRow, col, last, col}, NumberFormatPatch(kGapFormat));
  plan.printTitleRows = "$" + std::to_string(row) + ":$" + std::to_string(row + 1);
  plan.fitAcrossThrough = plan.columns;
  plan.autoFitThrough = SheetPlan::kNoAutoFit;
  return out;
}

host::Grid BorderlineRows(const ScoreData& data, const BorderlineLists& r,
                          const std::vector<std::pair<int, int>>& entries, int first, int rows) {
  const int columns = 2 + static_cast<int>(r.identity.size() + data.fields.size() * kListMeasures.size());
  host::Grid g(rows, columns);
  for (int i = 0; i < rows; ++i) {
    const auto& [k, listed] = entries[static_cast<std::size_t>(first + i)];
    const LineBorderline& line = r.lines[static_cast<std::size_t>(k)];
    const auto s = static_cast<std::size_t>(line.students[static_cast<std::size_t>(listed)]);
    int col = 0;
    g.at(i, col++) = Value(line.name);
    g.at(i, col++) = data.table.classCell(s);
    for (const auto& column : r.identity) g.at(i, col++) = column[s];
    for (std::size_t f = 0; f < data.fields.size(); ++f, col += 2) {
      const double gap = line.gap(static_cast<std::size_t>(listed), f);
      if (std::isnan(gap)) continue;
      g.at(i, col) = Value(r.scores[f][s]);
      g.at(i, col + 1) = Value(gap);
    }
  }
  return g;
}

}  // namespace tavo::reports
