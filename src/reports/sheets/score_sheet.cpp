// "成绩表": every student of the data with a class rank and a grade
// rank beside each score, the scores above the lines marked, one printed
// page per class.
#include <algorithm>
#include <cmath>

#include "host/constants.h"
#include "reports/compute/score_statistics.h"
#include "reports/sheets/score_sheet.h"
#include "reports/sheets/sheet_writing.h"
#include "sheetutil/layout_store.h"
#include "sheetutil/sheet_routines.h"

namespace tavo::reports {

using host::Cell;
using host::Rect;
using host::Value;

namespace {

// Where the class and each field's score stand on the sheet (1-based).
struct ScoreSheetColumns {
  std::vector<int> ofField;       // [field]
  std::vector<int> ranksOfField;  // [field]: the class rank's, the grade rank's right of it
  int classColumn = 0;
  // Until the ranks go in, the grade ranks of the first field hold each
  // row's student, so that the sorts tell where every student went.
  int studentColumn() const { return ranksOfField.front() + 1; }
};

// Long columns go to and from the sheet in pieces of this many rows: a grid
// of a city's 200,000 values would hold megabytes for a moment.
constexpr int kRowsPerPiece = 1 << 14;

// `fill(grid, first)` fills a grid of up to kRowsPerPiece rows from student
// `first` on, which then goes to the sheet from row 2 + first. The last
// piece goes first: an empty column then takes its length at once instead
// of growing piece by piece.
template <class Fill>
void PutInPieces(host::Worksheet& w, int column, int students, int columns, Fill&& fill) {
  if (students <= 0) return;
  for (int first = (students - 1) / kRowsPerPiece * kRowsPerPiece; first >= 0; first -= kRowsPerPiece) {
    host::Grid piece(std::min(kRowsPerPiece, students - first), columns);
    fill(piece, first);
    w.setValues({2 + first, column}, piece);
  }
}

// Numbers from row 2 down at the given student rows, a call per run of
// consecutive rows.
void PutNumbers(host::Worksheet& w, int column, const std::vector<std::pair<int, Value>>& cells) {
  for (std::size_t i = 0; i < cells.size();) {
    std::size_t j = i + 1;
    while (j < cells.size() && cells[j].first == cells[j - 1].first + 1) ++j;
    host::Grid run(static_cast<int>(j - i), 1);
    for (std::size_t k = i; k < j; ++k) run.at(static_cast<int>(k - i), 0) = cells[k].second;
    w.setValues({cells[i].first + 2, column}, run);
    i = j;
  }
}

// The data table as values (text stays text), without its rank column;
// the class and score columns as the reports counted them; right of each
// field the headers of its two rank columns, and the students' numbers in
// the grade rank column of the first field. Rows stand in the data's order.
ScoreSheetColumns CopyScoreTable(host::Worksheet& w, const ScoreData& data) {
  const ScoreTable& t = data.table;
  const int students = t.students();
  // Where each column of the table goes (0: nowhere), two columns left free
  // right of each field for its ranks.
  const int rankColumn = FindHeader(t.header, kRankField);
  std::vector<int> sheetColumn(static_cast<std::size_t>(t.columns()), 0);
  for (int c = 0, next = 1; c < t.columns(); ++c) {
    if (c == rankColumn) continue;
    sheetColumn[static_cast<std::size_t>(c)] = next++;
    for (const Field& f : data.fields) next += f.column == c ? 2 : 0;
  }
  // Columns that stay neighbours go over in one copy.
  for (int first = 0; first < t.columns();) {
    int last = first;
    while (last + 1 < t.columns() && sheetColumn[static_cast<std::size_t>(last + 1)] != 0 &&
           sheetColumn[static_cast<std::size_t>(last + 1)] == sheetColumn[static_cast<std::size_t>(last)] + 1)
      ++last;
    if (const int to = sheetColumn[static_cast<std::size_t>(first)])
      data.dataSheet->copy({1, first + 1, students + 1, last + 1}, w, Rect::of(Cell{1, to}), host::Paste::Values);
    first = last + 1;
  }

  ScoreSheetColumns at;
  at.classColumn = sheetColumn[static_cast<std::size_t>(data.classColumn)];
  std::vector<std::pair<int, Value>> classKeys;  // only where the key differs from the cell
  for (int s = 0; s < students; ++s)
    if (!(t.classKeys[static_cast<std::size_t>(s)] == t.classCells[static_cast<std::size_t>(s)]))
      classKeys.emplace_back(s, t.classKeys[static_cast<std::size_t>(s)]);
  PutNumbers(w, at.classColumn, classKeys);

  for (std::size_t f = 0; f < data.fields.size(); ++f) {
    const int column = sheetColumn[static_cast<std::size_t>(data.fields[f].column)];
    const std::vector<double>& scores = data.scores(f);
    PutInPieces(w, column, students, 1, [&](host::Grid& cleaned, int first) {
      for (int r = 0; r < cleaned.rows; ++r) {
        const double score = scores[static_cast<std::size_t>(first + r)];
        cleaned.at(r, 0) = IsBlank(score) ? Value() : Value(score);
      }
    });

    // A field the settings name twice: the later one's ranks stand nearer.
    int later = 0;
    for (std::size_t g = f + 1; g < data.fields.size(); ++g) later += data.fields[g].column == data.fields[f].column;
    host::Grid headers(1, 2);
    headers.at(0, 0) = Value(Lines({data.fields[f].name, "班", "名次"}));
    headers.at(0, 1) = Value(Lines({data.fields[f].name, "级", "名次"}));
    w.setValues({1, column + 1 + 2 * later}, headers);
    at.ofField.push_back(column);
    at.ranksOfField.push_back(column + 1 + 2 * later);
  }
  PutInPieces(w, at.studentColumn(), students, 1, [](host::Grid& numbers, int first) {
    for (int r = 0; r < numbers.rows; ++r) numbers.at(r, 0) = Value(first + r);
  });
  return at;
}

// Right of each field the student's rank in the class and in the grade,
// written once the sorts are done: they then move only the columns that
// carry the data, and the students' numbers tell where each one stands.
void WriteRanks(host::Worksheet& w, const ScoreData& data, const ScoreSheetColumns& at) {
  const int students = data.table.students();
  std::vector<std::size_t> studentAt(static_cast<std::size_t>(students));
  for (int first = 0; first < students; first += kRowsPerPiece) {
    const int last = std::min(students, first + kRowsPerPiece);
    const host::Grid numbers = w.values({2 + first, at.studentColumn(), 1 + last, at.studentColumn()});
    for (int r = first; r < last; ++r)
      studentAt[static_cast<std::size_t>(r)] = static_cast<std::size_t>(numbers.at(r - first, 0).number());
  }
  constexpr int kNoClass = -1;  // a class the settings do not name: no class rank
  std::vector<int> classOf(static_cast<std::size_t>(students), kNoClass);
  for (std::size_t c = 0; c < data.classes.size(); ++c)
    for (int s : data.classes[c].students) classOf[static_cast<std::size_t>(s)] = static_cast<int>(c);
  for (std::size_t f = 0; f < data.fields.size(); ++f) {
    const GroupedRanks ranked = Ranks(data.scores(f), classOf, static_cast<int>(data.classes.size()));
    auto rankValue = [](double rank) { return std::isnan(rank) ? Value(host::ErrorKind::NA) : Value(rank); };
    PutInPieces(w, at.ranksOfField[f], students, 2, [&](host::Grid& ranks, int first) {
      for (int r = 0; r < ranks.rows; ++r) {
        const std::size_t s = studentAt[static_cast<std::size_t>(first + r)];
        ranks.at(r, 0) = classOf[s] != kNoClass ? rankValue(ranked.inGroup[s]) : Value();
        ranks.at(r, 1) = rankValue(ranked.overall[s]);
      }
    });
  }
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

// A horizontal page break wherever the class changes, and below the last
// student; the students stand in the report order from row 2.
void BreakPagesByClass(host::Worksheet& w, const ScoreTable& t) {
  static const Value kBelowTheLast;
  auto classAt = [&](std::size_t position) -> const Value& {
    return position < t.order.size() ? t.classKeys[static_cast<std::size_t>(t.order[position])] : kBelowTheLast;
  };
  for (std::size_t p = 1; p <= t.order.size(); ++p)
    if (!(classAt(p) == classAt(p - 1))) w.addPageBreakAbove(static_cast<int>(p) + 2);
}

}  // namespace

void WriteScoreSheet(host::Application& app, const std::string& dataWorkbookName, const ScoreData& data,
                     const std::vector<FieldLines>& lines) {
  host::Worksheet& store = *data.layoutStore;
  host::Worksheet& w = sheetutil::RecreateReportSheet(app, dataWorkbookName, store, *data.dataSheet, "成绩表",
                                                      sheetutil::kScoreSheet);
  const ScoreSheetColumns at = CopyScoreTable(w, data);
  // Each field's marks go on with the sheet sorted by it; the last sort by
  // class and total leaves the rows in the report order.
  for (std::size_t f = 0; f < data.fields.size(); ++f) MarkLines(w, store, at.ofField[f], lines[f]);
  for (std::size_t f = 0; f < data.fields.size(); ++f)
    Put(w, 1, at.ofField[f],
        Lines({data.fields[f].name, host::numberToText(lines[f].line1), host::numberToText(lines[f].line2)}));
  sheetutil::SortByTwoKeys(w, at.classColumn, at.ofField.front());
  WriteRanks(w, data, at);
  BreakPagesByClass(w, data.table);

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
