// "成绩表": every student of the work copy with a class rank and a grade
// rank beside each score, the scores above the lines marked, one printed
// page per class.
#include "host/constants.h"
#include "reports/score_bands_sheets.h"
#include "reports/sheet_writing.h"
#include "sheetutil/layout_store.h"
#include "sheetutil/sheet_routines.h"

namespace tavo::reports {

using host::Cell;
using host::Rect;
using host::Value;

namespace {

constexpr const char* kClassField = "班级";

// Two rank columns right of the field, computed by the host and kept as values.
void InsertRanks(host::Worksheet& w, const ScoreData& data, const Field& field, int lastRow) {
  const int column = sheetutil::FindHeaderColumn(w, 1, field.name);
  sheetutil::SortByTwoKeys(w, sheetutil::FindHeaderColumn(w, 1, kClassField), column);
  w.insert(Rect::columns(column + 1, column + 2), host::Shift::Right);
  Put(w, 1, column + 1, Lines({field.name, "班", "名次"}));
  Put(w, 1, column + 2, Lines({field.name, "级", "名次"}));
  // The class blocks of the work copy: both are sorted by class the same way.
  for (const ClassBlock& c : data.classes) {
    const std::string a = std::to_string(c.firstRow), z = std::to_string(c.lastRow);
    Formula(w, {c.firstRow, column + 1, c.lastRow, column + 1}, "=RANK(RC[-1],R" + a + "C[-1]:R" + z + "C[-1])");
  }
  Formula(w, {2, column + 2, lastRow, column + 2}, "=RANK(RC[-2],R2C[-2]:R" + std::to_string(lastRow) + "C[-2])");
  const Rect ranks{2, column + 1, lastRow, column + 2};
  w.setValues(ranks.topLeft(), w.values(ranks));
}

// Scores at or above line 1, then those between the lines, take the
// formats of the layout store's templates.
void MarkLines(host::Worksheet& w, host::Worksheet& store, int column, const FieldLines& lines) {
  sheetutil::SortDescendingBy(w, column);
  auto mark = [&](int templateRow, int first, int last) {
    if (last < first) return;
    store.copy(Rect::of(Cell{templateRow, sheetutil::kTemplateColumn}), w, {first, column, last, column},
               host::Paste::Formats);
  };
  mark(1, 2, lines.count1 + 1);
  mark(2, lines.count1 + 2, lines.count2 + 1);
}

// A horizontal page break wherever the class changes.
void BreakPagesByClass(host::Worksheet& w, int classColumn, int lastRow) {
  const host::Grid classes = w.values({1, classColumn, lastRow + 1, classColumn});
  for (int r = 2; r <= lastRow; ++r)
    if (!(classes.at(r, 0) == classes.at(r - 1, 0))) w.addPageBreakAbove(r + 1);
}

}  // namespace

void WriteScoreSheet(host::Application& app, const std::string& dataWorkbookName, const ScoreData& data,
                     const std::vector<FieldLines>& lines) {
  host::Worksheet& store = *data.layoutStore;
  host::Worksheet& w = sheetutil::RecreateReportSheet(app, dataWorkbookName, store, *data.dataSheet, "成绩表",
                                                      sheetutil::kScoreSheet);
  const Rect workCopy = data.dataSheet->currentRegion({1, kWorkColumn});
  data.dataSheet->copy(workCopy, w, Rect::of(Cell{1, 1}));
  const int lastRow = workCopy.rowCount();

  for (const Field& f : data.fields) InsertRanks(w, data, f, lastRow);

  std::vector<int> columns;
  for (std::size_t s = 0; s < data.fields.size(); ++s) {
    columns.push_back(sheetutil::FindHeaderColumn(w, 1, data.fields[s].name));
    MarkLines(w, store, columns.back(), lines[s]);
  }
  for (std::size_t s = 0; s < data.fields.size(); ++s)
    Put(w, 1, columns[s],
        Lines({data.fields[s].name, host::numberToText(lines[s].line1), host::numberToText(lines[s].line2)}));

  const int classColumn = sheetutil::FindHeaderColumn(w, 1, kClassField);
  sheetutil::SortByTwoKeys(w, classColumn, columns.front());
  BreakPagesByClass(w, classColumn, lastRow);

  const Rect table = w.currentRegion({1, 1});
  Borders(w, table);
  FontSize(w, Rect::sheet(), 11);
  FontSize(w, Rect::rows(1, 1), 10);
  host::FormatPatch align;
  align.verticalAlignment = host::xl::kCenter;
  align.horizontalAlignment = host::xl::kLeft;
  w.applyFormat(Rect::sheet(), align);
  w.autoFitColumns(1, host::kMaxCol);

  w.insert(Rect::rows(1, 1), host::Shift::Down);
  w.merge({1, 1, 1, table.colCount()});
  host::FormatPatch centred;
  centred.horizontalAlignment = host::xl::kCenter;
  w.applyFormat(Rect::rows(1, 2), centred);
  host::FormatPatch title;
  title.fontSize = 16;
  title.bold = true;
  w.applyFormat(Rect::of(Cell{1, 1}), title);
  Put(w, 1, 1, FileStem(dataWorkbookName));
  SetAllRowHeights(w, StoredHeight(store, sheetutil::kScoreSheet, sheetutil::kBodyHeightColumn));
  SetRowHeight(w, 1, StoredHeight(store, sheetutil::kScoreSheet, sheetutil::kRow1HeightColumn));
  SetRowHeight(w, 2, StoredHeight(store, sheetutil::kScoreSheet, sheetutil::kRow2HeightColumn));

  sheetutil::ApplyPageSetup(w, store, sheetutil::kScoreSheet, "");
  FreezeRows(app, 2);
}

}  // namespace tavo::reports
