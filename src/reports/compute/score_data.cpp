#include "reports/compute/score_data.h"

#include <algorithm>
#include <optional>

#include "host/grid.h"
#include "params/settings_sheet.h"
#include "sheetutil/layout_store.h"
#include "sheetutil/messages.h"
#include "sheetutil/sheet_routines.h"
#include "sheetutil/system_paths.h"

namespace tavo::reports {

using host::Rect;
using host::Value;

namespace {

ReportKind Kind(const std::string& sheet, bool checks, bool opens, int subjectRow, std::string missingSheet) {
  return {sheet, checks, opens, subjectRow, std::move(missingSheet), "数据表缺少" + sheet + "中的班级名，请检查！"};
}

// The table's last column, read empty, becomes "总分" and each student's
// sum of the subjects, as values (what "=SUM(RC[..],...)" over the subjects
// gives). No subject found: nothing to add up, every total is 0.
// The appended column goes on the data sheet, values only, a piece at a time.
void WriteTotalColumn(host::Worksheet& sheet, int column, const SubjectTotals& totals, int students) {
  host::Grid header(1, 1);
  header.at(0, 0) = Value(kTotalField);
  sheet.setValues({1, column + 1}, header);
  ForEachPiece(students, [&](int first, int count) {
    host::Grid cells(count, 1);
    cells.cells = totals.values(static_cast<std::size_t>(first), static_cast<std::size_t>(count));
    sheet.setValues({2 + first, column + 1}, cells);
  });
}

struct Candidates {
  std::vector<std::pair<std::string, int>> fields;  // name, settings column
  struct Class {
    std::string name;
    int row;
    int planned;
  };
  std::vector<Class> classes;
};

// The fields and the classes the settings name, each list in one read.
Candidates ReadCandidates(host::Worksheet& version, int subjectRow) {
  using namespace params;
  Rect region = version.currentRegion({kClassHeaderRow, 1});
  const int fieldCount = region.colCount() - 3;
  const int classCount = region.rowCount() - 2;
  Candidates c;
  c.fields.emplace_back(kTotalField, kLineTotalColumn);
  if (fieldCount >= 2) {
    const host::Grid names = version.values({subjectRow, 5, subjectRow, fieldCount + 3});
    for (int j = 2; j <= fieldCount; ++j) c.fields.emplace_back(host::toText(names.at(0, j - 2)), j + 3);
  }
  if (classCount >= 1) {
    const host::Grid rows =
        version.values({kClassHeaderRow + 1, kClassColumn, kClassHeaderRow + classCount, kPlannedSizeColumn});
    for (int i = 0; i < classCount; ++i)
      c.classes.push_back({host::toText(rows.at(i, 0)), kClassHeaderRow + 1 + i, host::toInteger(rows.at(i, 1))});
  }
  return c;
}

}  // namespace

ReportKind ThreeLineKind() { return Kind("三线版", true, true, 72, "系统工作簿缺少 三线版参数表，请检查！"); }
ReportKind TwoLineKind() { return Kind("双线版", true, true, 72, "系统工作簿缺少 双线版，请检查！"); }
ReportKind FourRatesKind() { return Kind("四率版", true, false, 62, "系统工作簿缺少 四率版，请检查！"); }
ReportKind AssignedScoreKind() { return Kind("赋分版", true, false, 62, "系统工作簿缺少 赋分版，请检查！"); }
ReportKind ChartKind() { return Kind("图表版", true, false, 62, "系统工作簿缺少 图表版，请检查！"); }
ReportKind AnalysisKind() {
  return Kind("分析版", true, true, 72, "系统工作簿缺少 分析版，请先点 分析版 按钮布置参数表！");
}
ReportKind ScoreBandsKind(const std::string& sheet) {
  ReportKind k = Kind(sheet, false, false, 62, "系统工作簿缺少 " + sheet + " 参数表，请检查！");
  k.missingClassMessage = "数据表缺少" + sheet + "参数表中的班级名，请检查！";
  return k;
}

std::vector<Value> ReadColumnPiece(const host::Worksheet& sheet, int column, int first, int count) {
  return count > 0 ? sheet.values({2 + first, column + 1, 1 + first + count, column + 1}).cells : std::vector<Value>{};
}

void OrderWithoutRanks(const ReportPlace& place, ScoreData& data) {
  const int students = data.table.students();
  const int column = FindHeader(data.table.header, "姓名");
  std::vector<Value> names;
  if (column >= 0 && students > 0) names = place.dataSheet->values({2, column + 1, students + 1, column + 1}).cells;
  data.table.order = SortByClassAndName(data.table, names);
}

void SoundReportFinished(host::Application& app) { app.platform().beep(360, 36); }

std::optional<PreparedScores> PrepareScoreData(host::Application& app, const host::Dialog& dialog, const ReportKind& kind,
                                          const std::string& dataWorkbookName,
                                          const std::function<void(host::Worksheet&)>& readSettings) {
  if (kind.checksSelection && dialog.listIndex() == -1) {
    sheetutil::Remind(app, "请先选择数据表！");
    return std::nullopt;
  }
  host::Workbook& system = app.thisWorkbook();
  if (!sheetutil::SheetExists(system, kind.versionSheet)) {
    sheetutil::Warn(app, kind.missingSheetMessage);
    return std::nullopt;
  }
  PreparedScores prepared;
  ScoreData& data = prepared.data;
  ReportPlace& place = prepared.place;
  host::Worksheet& version = system.sheet(kind.versionSheet);
  data.settingsSheet = version.name();
  Candidates candidates = ReadCandidates(version, kind.subjectRow);
  if (readSettings) readSettings(version);

  if (kind.opensWorkbook && !sheetutil::WorkbookIsOpen(app, dataWorkbookName))
    app.openWorkbook(sheetutil::DataFolder(app) + dataWorkbookName);
  host::Workbook& book = app.workbook(dataWorkbookName);
  if (!sheetutil::SheetExists(book, kDataSheetName)) {
    sheetutil::Warn(app, "成绩数据表的标签名应是 数据表，请检查！");
    return std::nullopt;
  }
  book.activate();
  place.dataWorkbookName = dataWorkbookName;
  place.dataBook = &book;
  place.layoutStore = &system.sheet(std::string(sheetutil::kLayoutStoreSheet));
  host::Worksheet& sheet = book.sheet(kDataSheetName);
  place.dataSheet = &sheet;

  // The header, then only the columns the reports count from, one at a
  // time: a wide export's other columns are never copied. From here on
  // only the column of a missing total, right of the table, is written.
  const Rect region = sheet.currentRegion({1, 1});
  const int students = region.rowCount() - 1;
  const host::Grid headerRow = sheet.values({1, 1, 1, region.right});
  std::vector<Value> header = headerRow.cells;
  auto readColumn = [&](int column, int first, int count) { return ReadColumnPiece(sheet, column, first, count); };
  const int classColumn = FindHeader(header, kClassField);
  if (classColumn < 0) {
    sheetutil::Warn(app, "数据表第1行缺少 班级 字段，请检查！");
    return std::nullopt;
  }
  data.classColumn = classColumn;
  std::optional<SubjectTotals> totals;   // the appended total, when the data have none
  const int totalColumn = region.right;  // 0-based: the column right of the table
  if (FindHeader(header, kTotalField) < 0) {
    if (region.right >= host::kMaxCol) throw host::HostError::refused("数据表已占满所有列，无处添加 总分 列");
    totals.emplace(students);
    for (std::size_t j = 1; j < candidates.fields.size(); ++j)
      if (int column = FindHeader(header, candidates.fields[j].first); column >= 0)
        ForEachPiece(students, [&](int first, int count) {
          totals->add(readColumn(column, first, count), static_cast<std::size_t>(first));
        });
    WriteTotalColumn(sheet, totalColumn, *totals, students);
    header.emplace_back(kTotalField);
  }
  std::vector<int> fieldColumns;
  for (const auto& [name, paramColumn] : candidates.fields)
    if (int column = FindHeader(header, name); column >= 0) {
      data.fields.push_back({name, paramColumn, column});
      fieldColumns.push_back(column);
    }
  data.table = BuildScoreTable(
      std::move(header), students,
      [&](int column, int first, int count) {
        return column == totalColumn && totals
                   ? totals->values(static_cast<std::size_t>(first), static_cast<std::size_t>(count))
                   : readColumn(column, first, count);
      },
      fieldColumns, classColumn);

  const auto studentsByClass = StudentsByClass(data.table);
  for (const auto& c : candidates.classes) {
    auto found = studentsByClass.find(ClassMatchKey(c.name));
    if (found == studentsByClass.end()) continue;
    ClassBlock block{c.name, c.row, c.planned, found->second};
    block.studentCount = c.planned == 0 || c.planned > block.size() ? block.size() : c.planned;
    data.classes.push_back(std::move(block));
  }
  if (data.classes.empty()) {
    sheetutil::Warn(app, kind.missingClassMessage);
    return std::nullopt;
  }
  return prepared;
}

}  // namespace tavo::reports
