#include "reports/sheets/standard_score_plan.h"

#include <algorithm>
#include <cmath>

#include "reports/compute/distribution.h"
#include "reports/sheets/cell_text.h"
#include "sheetutil/layout_store.h"

namespace tavo::reports {

using host::Cell;
using host::Rect;
using host::Value;

namespace {

constexpr int kTotalFill = 15;
constexpr const char* kTwoPlaces = "0.00";
constexpr const char* kOnePlace = "0.0";
constexpr const char* kPercent = "0.00%";


const std::vector<std::string> kStudentMeasures = {"原始分", "Z分", "T分", "百分等级"};
const std::vector<std::string> kConvertedMeasures = {"等级", "赋分"};
const std::vector<std::string> kClassMeasures = {"平均分", "Z均值", "超均率"};

// Without ranks the percentile rank, a rank in other words, is left out.
int StudentColumnsOf(const FieldStandardScores& f, bool noRanks) {
  return static_cast<int>(kStudentMeasures.size() - (noRanks ? 1 : 0) + (f.converted ? kConvertedMeasures.size() : 0));
}
int ClassColumnsOf(const FieldStandardScores& f) { return static_cast<int>(kClassMeasures.size()) + (f.converted ? 1 : 0); }

std::vector<std::string> ClassMeasuresOf(const FieldStandardScores& f) {
  std::vector<std::string> m = kClassMeasures;
  if (f.converted) m.push_back("赋分均值");
  return m;
}
std::vector<std::string> StudentMeasuresOf(const FieldStandardScores& f, bool noRanks) {
  std::vector<std::string> m = kStudentMeasures;
  if (noRanks) m.pop_back();
  if (f.converted) m.insert(m.end(), kConvertedMeasures.begin(), kConvertedMeasures.end());
  return m;
}

// Per class (then the whole grade) the mean score, mean Z, 超均率 and mean
// converted score of each field; the row after the table.
int PutClassTable(SheetPlan& plan, const ScoreData& data, const std::vector<FieldStandardScores>& fields, int top) {
  plan.row(top, RowRole::Header, "班级对比");
  plan.row(top + 1, RowRole::Header, "班级对比");
  plan.put(top, 1, Value("班级"));
  plan.put(top, 2, Value("人数"));
  plan.merges.push_back({top, 1, top + 1, 1});
  plan.merges.push_back({top, 2, top + 1, 2});
  int col = 3;
  for (std::size_t f = 0; f < fields.size(); ++f) {
    PutGroupHeader(plan, top, col, data.fields[f].name, ClassMeasuresOf(fields[f]));
    col += ClassColumnsOf(fields[f]);
  }
  const int lastColumn = col - 1;
  int row = top + 1;
  auto putRow = [&](const std::string& name, const std::vector<int>& students, RowRole role) {
    ++row;
    plan.row(row, role, name, "班级对比");
    plan.put(row, 1, Value(name));
    plan.put(row, 2, Value(static_cast<int>(students.size())));
    int c = 3;
    for (std::size_t f = 0; f < fields.size(); ++f) {
      const FieldStandardScores& field = fields[f];
      std::vector<double> raw, z, converted;
      // From the score alone: a province's students are one read each, not three.
      for (int s : students) {
        const double x = field.scores[static_cast<std::size_t>(s)];
        if (IsBlank(x)) continue;
        raw.push_back(x);
        z.push_back(field.standard.zOf(x));
        if (field.converted) converted.push_back(field.converted->convertedOf(x));
      }
      const double mean = Mean(raw), grade = field.standard.mean;
      plan.put(row, c, NumberOrEmpty(mean));
      plan.put(row, c + 1, NumberOrEmpty(Mean(z)));
      plan.put(row, c + 2, grade != 0 ? NumberOrEmpty((mean - grade) / grade) : Value());
      if (field.converted) plan.put(row, c + 3, NumberOrEmpty(Mean(converted)));
      c += ClassColumnsOf(field);
    }
  };
  for (const ClassBlock& c : data.classes) putRow(c.name, c.students, RowRole::Class);
  putRow("年级", data.table.order, RowRole::GrandTotal);
  plan.format({top, 1, row, lastColumn}, BordersPatch());
  plan.format({top, 1, top + 1, lastColumn}, FillPatch(kHeaderFill));
  plan.format({row, 1, row, lastColumn}, FillPatch(kTotalFill));
  int c = 3;
  for (const FieldStandardScores& field : fields) {
    plan.format({top + 2, c, row, c + 1}, NumberFormatPatch(kTwoPlaces));
    plan.format({top + 2, c + 2, row, c + 2}, NumberFormatPatch(kPercent));
    if (field.converted) plan.format({top + 2, c + 3, row, c + 3}, NumberFormatPatch(kTwoPlaces));
    c += ClassColumnsOf(field);
  }
  return row + 1;
}

// Per converted subject the scheme's grades as they fell; the row after.
int PutAudits(SheetPlan& plan, const ScoreData& data, const params::GradeScheme& scheme,
              const std::vector<FieldStandardScores>& fields, int top) {
  const std::vector<std::string> headers = {"等级", "方案比例%", "实际比例%", "人数", "Y1", "Y2", "T1", "T2"};
  int row = top;
  for (std::size_t f = 0; f < fields.size(); ++f) {
    if (!fields[f].converted) continue;
    const std::string& subject = data.fields[f].name;
    plan.row(row, RowRole::Header, "赋分审核", subject);
    plan.put(row, 1, Value(subject + " 等级赋分（" + scheme.name + "）"));
    host::FormatPatch title = BoldPatch();
    title.horizontalAlignment = host::HorizontalAlignment::Left;  // it runs on to the right
    plan.format(Rect::of(Cell{row, 1}), title);
    ++row;
    plan.row(row, RowRole::Header, "赋分审核", subject);
    for (std::size_t h = 0; h < headers.size(); ++h) plan.put(row, 1 + static_cast<int>(h), Value(headers[h]));
    const int header = row;
    for (std::size_t g = 0; g < scheme.grades.size(); ++g) {
      const params::GradeBand& band = scheme.grades[g];
      const GradeAudit& a = fields[f].converted->audit[g];
      ++row;
      plan.row(row, RowRole::Item, band.name, subject);
      const Value cells[] = {Value(band.name), Value(band.share), Value(a.share), Value(a.students),
                             a.students ? Value(a.y1) : Value(), a.students ? Value(a.y2) : Value(),
                             Value(band.low), Value(band.high)};
      for (int c = 0; c < 8; ++c) plan.put(row, 1 + c, cells[c]);
    }
    plan.format({header, 1, row, 8}, BordersPatch());
    plan.format({header, 1, header, 8}, FillPatch(kHeaderFill));
    plan.format({header + 1, 3, row, 3}, NumberFormatPatch(kTwoPlaces));
    row += 2;
  }
  return row;
}

}  // namespace

std::vector<FieldStandardScores> ComputeStandardScores(const ScoreData& data,
                                                       std::vector<std::vector<double>> fieldScores,
                                                       const params::GradeScheme& scheme,
                                                       const std::vector<std::string>& convertedSubjects) {
  std::vector<FieldStandardScores> out;
  for (std::size_t f = 0; f < data.fields.size(); ++f) {
    FieldStandardScores field{std::move(fieldScores[f]), {}, std::nullopt};
    field.standard = StandardiseScores(field.scores);
    const bool converts = f > 0 && std::find(convertedSubjects.begin(), convertedSubjects.end(),
                                             data.fields[f].name) != convertedSubjects.end();
    if (converts) field.converted = ConvertGrades(field.scores, scheme);
    out.push_back(std::move(field));
  }
  return out;
}

StandardScorePlan PlanStandardScoreSheet(const std::string& dataWorkbookName, const ScoreData& data,
                                         const params::GradeScheme& scheme,
                                         const std::vector<FieldStandardScores>& fields,
                                         const std::vector<std::string>& identityHeaders, bool noRanks) {
  StandardScorePlan out;
  out.identityHeaders = identityHeaders;
  SheetPlan& plan = out.frame;
  plan.name = kStandardScoreSheet;
  plan.layoutRow = sheetutil::kStandardScores;
  out.studentColumns = 1 + static_cast<int>(identityHeaders.size());
  for (const FieldStandardScores& f : fields) out.studentColumns += StudentColumnsOf(f, noRanks);
  plan.columns = out.studentColumns;
  plan.format(Rect::sheet(), CentredPatch(10, "宋体"));
  plan.widths = {{1, host::kMaxCol, 6}};
  plan.textColumns.push_back(1);
  PutTitleAndNotes(
      plan, FileStem(dataWorkbookName) + " 标准分与赋分" + (noRanks ? "（不排名）" : ""), std::min(plan.columns, 20),
      {std::string("Z分 = (得分 − 平均分) ÷ 标准差（全体参考学生，总体标准差）；T分 = 50 + 10Z；") +
           (noRanks ? "按“不排名”设置，学生按班级和姓名排列；" : "百分等级 = 100 − (100 × 名次 − 50) ÷ 参考人数；") +
           "超均率 = (班级平均分 − 年级平均分) ÷ 年级平均分。",
       "等级赋分按“" + scheme.name +
           "”：按原始分从高到低依比例划等级，同分同等级；"
           "赋分 = T1 + (T2 − T1)(Y − Y1) ÷ (Y2 − Y1)，四舍五入取整。没有成绩的学生不计。"});

  int row = PutClassTable(plan, data, fields, 5) + 1;
  row = PutAudits(plan, data, scheme, fields, row);

  // The student table's header; its rows come from StudentRows.
  plan.row(row, RowRole::Header, "学生");
  plan.row(row + 1, RowRole::Header, "学生");
  std::vector<std::string> leading = {"班级"};
  leading.insert(leading.end(), identityHeaders.begin(), identityHeaders.end());
  const int firstFieldColumn = PutLeadingHeaders(plan, row, leading);
  int col = firstFieldColumn;
  for (std::size_t f = 0; f < fields.size(); ++f) {
    PutGroupHeader(plan, row, col, data.fields[f].name, StudentMeasuresOf(fields[f], noRanks));
    col += StudentColumnsOf(fields[f], noRanks);
  }
  plan.format({row, 1, row + 1, out.studentColumns}, FillPatch(kHeaderFill));
  out.firstStudentRow = row + 2;
  const int lastStudentRow = out.firstStudentRow + data.table.students() - 1;
  plan.format({row, 1, std::max(row + 1, lastStudentRow), out.studentColumns}, BordersPatch());
  col = firstFieldColumn;
  for (const FieldStandardScores& f : fields) {
    if (lastStudentRow >= out.firstStudentRow) {
      plan.format({out.firstStudentRow, col + 1, lastStudentRow, col + 1}, NumberFormatPatch(kTwoPlaces));
      plan.format({out.firstStudentRow, col + 2, lastStudentRow, col + (noRanks ? 2 : 3)},
                  NumberFormatPatch(kOnePlace));
    }
    col += StudentColumnsOf(f, noRanks);
  }
  plan.printTitleRows = "$" + std::to_string(row) + ":$" + std::to_string(row + 1);
  plan.fitAcrossThrough = out.studentColumns;
  plan.autoFitThrough = SheetPlan::kNoAutoFit;
  plan.widths.push_back({1, 1, 10});
  if (!identityHeaders.empty()) plan.widths.push_back({2, 1 + static_cast<int>(identityHeaders.size()), 9});
  return out;
}

FieldStandardScores ForStudentRows(FieldStandardScores&& field, const std::vector<int>& order) {
  FieldStandardScores out{InOrder(field.scores, order), std::move(field.standard), std::move(field.converted)};
  field = {};
  if (out.converted) {
    std::vector<int>().swap(out.converted->grade);
    std::vector<double>().swap(out.converted->converted);
  }
  return out;
}

host::Grid StudentRows(const ScoreData& data, const params::GradeScheme& scheme,
                       const std::vector<FieldStandardScores>& fields,
                       const std::vector<std::vector<host::Value>>& identity, bool noRanks, int first, int rows) {
  int columns = 1 + static_cast<int>(identity.size());
  for (const FieldStandardScores& f : fields) columns += StudentColumnsOf(f, noRanks);
  host::Grid g(rows, columns);
  for (int r = 0; r < rows; ++r) {
    const auto s = static_cast<std::size_t>(data.table.order[static_cast<std::size_t>(first + r)]);
    int c = 0;
    g.at(r, c++) = data.table.classCell(s);
    for (const auto& column : identity) g.at(r, c++) = column[s];
    for (const FieldStandardScores& field : fields) {
      const double raw = field.scores[static_cast<std::size_t>(first + r)];
      const int next = c + (noRanks ? 3 : 4);
      if (!IsBlank(raw)) {
        g.at(r, c) = Value(raw);
        g.at(r, c + 1) = NumberOrEmpty(field.standard.zOf(raw));
        g.at(r, c + 2) = NumberOrEmpty(field.standard.tOf(raw));
        if (!noRanks) g.at(r, c + 3) = NumberOrEmpty(field.standard.percentileOf(raw));
        if (field.converted) {
          const int grade = field.converted->gradeOf(raw);
          g.at(r, next) = Value(scheme.grades[static_cast<std::size_t>(grade)].name);
          g.at(r, next + 1) = NumberOrEmpty(field.converted->convertedOf(raw));
        }
      }
      c += StudentColumnsOf(field, noRanks);
    }
  }
  return g;
}

}  // namespace tavo::reports
