#include "reports/score_data.h"

#include <algorithm>

#include "host/grid.h"
#include "params/settings_sheet.h"
#include "sheetutil/layout_store.h"
#include "sheetutil/messages.h"
#include "sheetutil/sheet_routines.h"
#include "sheetutil/skip_failures.h"
#include "sheetutil/system_paths.h"

namespace tavo::reports {

using host::Cell;
using host::Rect;
using host::Value;

namespace {

ReportKind Kind(const std::string& sheet, bool checks, bool opens, int subjectRow, std::string missingSheet) {
  return {sheet, checks, opens, subjectRow, std::move(missingSheet), "数据表缺少" + sheet + "中的班级名，请检查！"};
}

// Scores exported as text ("95") are numbers to the teacher: entered again,
// they become numbers; text that is no number (an absence mark) stays.
// `onlyAsShown` keeps text whose number would show otherwise ("05").
void EnterNumericTextAsNumbers(host::Worksheet& sheet, int column, int lastRow, bool onlyAsShown = false) {
  if (lastRow < 2) return;
  Rect cells{2, column, lastRow, column};
  host::Grid grid = sheet.values(cells);
  for (int r = 0; r < grid.rows; ++r) {
    const Value& v = grid.at(r, 0);
    if (!v.isText()) continue;
    auto number = host::parseDecimal(v.text());
    if (number && (!onlyAsShown || host::numberToText(*number) == v.text()))
      sheet.setValue(Rect::of(Cell{r + 2, column}), Value(*number));
  }
}

// "=SUM(RC[-5],RC[-4],RC[-3])" over the subject columns, as values.
void AppendTotalColumn(host::Worksheet& sheet, int totalColumn, int lastRow, const std::vector<Field>& fields) {
  if (lastRow < 2) return;
  Rect cells{2, totalColumn, lastRow, totalColumn};
  if (fields.size() < 2) {
    sheet.setValue(cells, Value(0));  // no subject found: nothing to add up
    return;
  }
  std::string formula = "=SUM(";
  for (std::size_t j = 1; j < fields.size(); ++j)
    formula += "RC[" + std::to_string(fields[j].column - totalColumn) + "],";
  formula.back() = ')';
  sheet.setFormulaR1C1(cells, formula);
  sheet.setValues(cells.topLeft(), sheet.values(cells));
}

// Text and errors sort above numbers: the leading non-numbers of a column
// sorted descending are the text scores, which count as 0.
void ZeroNonNumericScores(host::Worksheet& sheet, int column) {
  sheetutil::SortDescendingBy(sheet, column);
  for (int row = 2;; ++row) {
    Value v = sheet.value({row, column});
    if (v.isNumber() || v.isEmpty()) break;
    sheet.setValue(Rect::of(Cell{row, column}), Value(0));
  }
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

Candidates ReadCandidates(host::Worksheet& version, int subjectRow) {
  using namespace params;
  Rect region = version.currentRegion({kClassHeaderRow, 1});
  const int fieldCount = region.colCount() - 3;
  const int classCount = region.rowCount() - 2;
  Candidates c;
  c.fields.emplace_back(kTotalField, kLineTotalColumn);
  for (int j = 2; j <= fieldCount; ++j)
    c.fields.emplace_back(host::toText(version.value({subjectRow, j + 3})), j + 3);
  for (int i = 1; i <= classCount; ++i) {
    const int row = kClassHeaderRow + i;
    c.classes.push_back({host::toText(version.value({row, kClassColumn})), row,
                         host::toInteger(version.value({row, kPlannedSizeColumn}))});
  }
  return c;
}

}  // namespace

ReportKind ThreeLineKind() { return Kind("三线版", true, true, 72, "系统工作簿缺少 三线版参数表，请检查！"); }
ReportKind TwoLineKind() { return Kind("双线版", true, true, 72, "系统工作簿缺少 双线版，请检查！"); }
ReportKind FourRatesKind() { return Kind("四率版", true, false, 62, "系统工作簿缺少 四率版，请检查！"); }
ReportKind AssignedScoreKind() { return Kind("赋分版", true, false, 62, "系统工作簿缺少 赋分版，请检查！"); }
ReportKind ChartKind() { return Kind("图表版", true, false, 62, "系统工作簿缺少 图表版，请检查！"); }
ReportKind ScoreBandsKind(const std::string& sheet) {
  ReportKind k = Kind(sheet, false, false, 62, "系统工作簿缺少 " + sheet + " 参数表，请检查！");
  k.missingClassMessage = "数据表缺少" + sheet + "参数表中的班级名，请检查！";
  return k;
}

void CleanUpWorkCopy(host::Worksheet& sheet) {
  sheetutil::SkipFailures skip;
  skip([&] { sheet.clear(Rect::of(Cell{1, kScratchColumn})); });
  skip([&] { sheet.clear(sheet.currentRegion({1, kWorkColumn})); });
}

void SoundReportFinished(host::Application& app) { app.platform().beep(360, 36); }

std::optional<ScoreData> PrepareScoreData(host::Application& app, const host::Dialog& dialog, const ReportKind& kind,
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
  ScoreData data;
  data.versionSheet = &system.sheet(kind.versionSheet);
  Candidates candidates = ReadCandidates(*data.versionSheet, kind.subjectRow);
  if (readSettings) readSettings(*data.versionSheet);

  if (kind.opensWorkbook && !sheetutil::WorkbookIsOpen(app, dataWorkbookName))
    app.openWorkbook(sheetutil::DataFolder(app) + dataWorkbookName);
  host::Workbook& book = app.workbook(dataWorkbookName);
  if (!sheetutil::SheetExists(book, kDataSheetName)) {
    sheetutil::Warn(app, "成绩数据表的标签名应是 数据表，请检查！");
    return std::nullopt;
  }
  book.activate();
  data.dataBook = &book;
  data.layoutStore = &system.sheet(std::string(sheetutil::kLayoutStoreSheet));
  host::Worksheet& sheet = book.sheet(kDataSheetName);
  data.dataSheet = &sheet;

  Rect table = sheet.currentRegion({1, 1});
  data.recordCount = table.rowCount();
  const int fieldCount = table.colCount();

  // From here on the work copy may exist: it goes again on every way out
  // but success.
  WorkCopyCleanUp cleanUp(sheet);
  data.classColumn = sheetutil::FindHeaderColumn(sheet, 1, "班级");
  if (!data.classColumn) {
    sheetutil::Warn(app, "数据表第1行缺少 班级 字段，请检查！");
    return std::nullopt;
  }
  int totalColumn = sheetutil::FindHeaderColumn(sheet, 1, kTotalField);
  const bool computeTotal = totalColumn == 0;
  if (computeTotal) {
    totalColumn = fieldCount + 1;
    sheet.setValue(Rect::of(Cell{1, totalColumn}), Value(kTotalField));
  }
  for (const auto& [name, paramColumn] : candidates.fields)
    if (int column = sheetutil::FindHeaderColumn(sheet, 1, name)) data.fields.push_back({name, paramColumn, column});
  for (const Field& f : data.fields) EnterNumericTextAsNumbers(sheet, f.column, data.recordCount);
  if (computeTotal) AppendTotalColumn(sheet, totalColumn, data.recordCount, data.fields);

  sheet.copy(sheet.currentRegion({1, 1}), sheet, Rect::of(Cell{1, kWorkColumn}), host::Paste::Values);
  for (Field& f : data.fields) f.column += kWorkOffset;
  data.classColumn += kWorkOffset;
  // Exports hold class 5 as a number in some rows and as "5" in others:
  // entered again, they are one class and sort into one block. A class
  // "05" is no number 5 to the teacher and stays as it is.
  EnterNumericTextAsNumbers(sheet, data.classColumn, data.recordCount, true);
  // A rank column is no score. Columns right of it move left with it; the
  // total the preparation appended always stands there.
  if (int rank = sheetutil::FindHeaderColumn(sheet, kWorkColumn, "名次")) {
    sheet.remove(Rect::columns(rank, rank), host::Shift::Left);
    for (Field& f : data.fields) f.column -= f.column > rank ? 1 : 0;
    data.classColumn -= data.classColumn > rank ? 1 : 0;
  }

  for (const Field& f : data.fields) ZeroNonNumericScores(sheet, f.column);

  const Rect classCells = Rect::columns(data.classColumn, data.classColumn);
  for (const auto& c : candidates.classes)
    if (sheet.find(classCells, c.name, {1, data.classColumn}, true)) data.classes.push_back({c.name, c.row, c.planned});
  if (data.classes.empty()) {
    sheetutil::Warn(app, kind.missingClassMessage);
    return std::nullopt;
  }
  sheetutil::SortByTwoKeys(sheet, data.classColumn, data.fields.front().column);
  for (ClassBlock& c : data.classes) {
    sheetutil::RowSpan span = sheetutil::FindValueRows(sheet, data.classColumn, Value(c.name));
    c.firstRow = span[1];
    c.lastRow = span[2];
    c.studentCount = c.plannedCount == 0 || c.plannedCount > c.size() ? c.size() : c.plannedCount;
  }
  cleanUp.release();
  return data;
}

}  // namespace tavo::reports
