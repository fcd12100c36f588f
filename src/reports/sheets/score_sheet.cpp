#include "reports/sheets/score_sheet.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "reports/compute/score_statistics.h"
#include "reports/sheets/plan_writer.h"
#include "sheetutil/layout_store.h"

namespace tavo::reports {

using host::Cell;
using host::Rect;
using host::Value;

namespace {

// Long columns go to the sheet in pieces of this many rows: a grid of a
// city's 200,000 values would hold megabytes for a moment.
constexpr int kRowsPerPiece = 1 << 14;

// `fill(grid, first)` fills a grid of up to kRowsPerPiece rows from
// position `first` on, which goes to the sheet from row `top` + first. The
// last piece goes first: an empty column then takes its length at once
// instead of growing piece by piece.
template <class Fill>
void PutInPieces(host::Worksheet& w, int top, int column, int rows, int columns, bool literal, Fill&& fill) {
  if (rows <= 0) return;
  for (int first = (rows - 1) / kRowsPerPiece * kRowsPerPiece; first >= 0; first -= kRowsPerPiece) {
    host::Grid piece(std::min(kRowsPerPiece, rows - first), columns);
    fill(piece, first);
    if (literal) w.setLiteralValues({top + first, column}, piece);
    else w.setValues({top + first, column}, piece);
  }
}

// The data's own columns, header and cells in the report order, as the
// data sheet holds them; the class keys where they differ from the cell.
void PutCopiedColumns(host::Worksheet& w, host::Worksheet& dataSheet, const ScoreData& data, const ScoreSheetPlan& plan,
                      const std::function<void()>& columnDone) {
  const ScoreTable& t = data.table;
  const int students = t.students();
  for (const auto& [tableColumn, column] : plan.copiedColumns) {
    const host::Grid cells = dataSheet.values({1, tableColumn + 1, students + 1, tableColumn + 1});
    const bool isClass = column == plan.classColumn;
    // Position 0 is the header, position p the student of report row p.
    PutInPieces(w, kScoreSheetFirstStudentRow - 1, column, students + 1, 1, true, [&](host::Grid& piece, int first) {
      for (int r = 0; r < piece.rows; ++r) {
        const int p = first + r;
        if (p == 0) {
          piece.at(r, 0) = cells.at(0, 0);
          continue;
        }
        const std::size_t s = static_cast<std::size_t>(plan.order[static_cast<std::size_t>(p - 1)]);
        piece.at(r, 0) =
            isClass && !(t.classKey(s) == t.classCell(s)) ? t.classKey(s) : cells.at(static_cast<int>(s) + 1, 0);
      }
    });
    columnDone();
  }
}

// Each field's cleaned scores, and right of them the student's rank in the
// class and in the grade.
void PutScoresAndRanks(host::Worksheet& w, const ScoreData& data, const ScoreSheetPlan& plan,
                       const std::function<void()>& columnDone) {
  const int students = data.table.students();
  constexpr int kNoClass = -1;  // a class the settings do not name: no class rank
  std::vector<int> classOf(static_cast<std::size_t>(students), kNoClass);
  for (std::size_t c = 0; c < data.classes.size(); ++c)
    for (int s : data.classes[c].students) classOf[static_cast<std::size_t>(s)] = static_cast<int>(c);
  auto student = [&](int position) { return static_cast<std::size_t>(plan.order[static_cast<std::size_t>(position)]); };
  for (std::size_t f = 0; f < data.fields.size(); ++f) {
    const std::vector<double>& scores = data.scores(f);
    PutInPieces(w, kScoreSheetFirstStudentRow, plan.scoreColumn[f], students, 1, false, [&](host::Grid& piece, int first) {
      for (int r = 0; r < piece.rows; ++r) {
        const double score = scores[student(first + r)];
        piece.at(r, 0) = IsBlank(score) ? Value() : Value(score);
      }
    });
    columnDone();
  }
  for (std::size_t f = 0; f < plan.rankColumn.size(); ++f) {
    const GroupedRanks ranked = Ranks(data.scores(f), classOf, static_cast<int>(data.classes.size()));
    auto rankValue = [](double rank) { return std::isnan(rank) ? Value(host::ErrorKind::NA) : Value(rank); };
    PutInPieces(w, kScoreSheetFirstStudentRow, plan.rankColumn[f], students, 2, false, [&](host::Grid& ranks, int first) {
      for (int r = 0; r < ranks.rows; ++r) {
        const std::size_t s = student(first + r);
        ranks.at(r, 0) = classOf[s] != kNoClass ? rankValue(ranked.inGroup[s]) : Value();
        ranks.at(r, 1) = rankValue(ranked.overall[s]);
      }
    });
    columnDone();
  }
}

// Scores at or above line 1, then those between the lines, take the
// formats of the layout store's templates.
void PutMarks(host::Worksheet& w, host::Worksheet& store, const ScoreSheetPlan& plan) {
  for (std::size_t f = 0; f < plan.marks.size(); ++f)
    for (int k = 0; k < 2; ++k) {
      std::vector<Rect> areas;
      for (const RowRun& run : plan.marks[f][static_cast<std::size_t>(k)])
        areas.push_back({run.first, plan.scoreColumn[f], run.last, plan.scoreColumn[f]});
      store.copyFormatToAreas(Cell{k + 1, sheetutil::kTemplateColumn}, w, areas);
    }
}

}  // namespace

void WriteScoreSheet(host::Application& app, const ReportPlace& place, const ScoreData& data,
                     const ScoreSheetPlan& plan) {
  host::Worksheet& store = *place.layoutStore;
  host::Worksheet& w = RecreateReportSheet(app, place, plan.frame);
  WritePlanValues(w, plan.frame);
  // A city's sheet takes seconds: its columns say how far it is.
  const std::string step = "写入 " + plan.frame.name;
  const double columns =
      static_cast<double>(plan.copiedColumns.size() + plan.scoreColumn.size() + plan.rankColumn.size());
  int done = 0;
  auto columnDone = [&] { app.platform().showProgress(step, ++done / columns); };
  PutCopiedColumns(w, *place.dataSheet, data, plan, columnDone);
  PutScoresAndRanks(w, data, plan, columnDone);
  PutMarks(w, store, plan);
  WritePlanLayout(w, store, plan.frame);
  FinishReportSheet(app, w, store, plan.frame);
}

}  // namespace tavo::reports
