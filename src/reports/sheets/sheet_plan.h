// A report sheet as it will stand, before any of it is written: its rows
// with their roles, the values and formulas of its cells, merged areas,
// formats over ranges, heights, widths and print set-up. Each report builds
// its plan with pure functions from the statistics; WriteReportSheet puts
// it on a host once, in its final place.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/format.h"
#include "host/geometry.h"
#include "host/grid.h"

namespace tavo::reports {

// What a row of a report sheet is for; tests and later steps find rows by
// role and key, not by number. An item is a row about one question or one
// student; a note says how the sheet counts.
enum class RowRole { Blank, Title, Header, Class, Subtotal, GrandTotal, Spacer, Item, Note };

// Heights the layout store keeps per kind of sheet; the writer reads them
// once the old sheet's own have been saved there.
enum class LayoutHeight { Title, Header, Body };

struct RowHeight {
  std::optional<LayoutHeight> stored;  // else `points`
  double points = 0;
};

struct PlanRow {
  RowRole role = RowRole::Blank;
  std::string section;  // the field whose section holds the row, if any
  std::string key;      // the class or grade group the row is about
  std::optional<RowHeight> height;
};

// One R1C1 formula filled into a rectangle, as hosts take it.
struct PlanFormula {
  host::Rect area;
  std::string r1c1;
};

struct PlanFormat {
  host::Rect area;  // whole columns or the whole sheet where the plan says so
  host::FormatPatch patch;
};

struct PlanTextRun {
  host::Cell at;
  host::TextRun run;
};

struct SheetPlan {
  std::string name;
  int layoutRow = 0;  // the layout store's row of this kind of sheet
  int columns = 0;
  std::vector<PlanRow> rows;  // sheet row i + 1
  host::Grid values;          // from A1; empty cells are not written
  // Columns formatted as text before any value is entered: a class "5"
  // there stays the text it was typed as.
  std::vector<int> textColumns;
  std::vector<PlanFormula> formulas;
  std::vector<host::Rect> merges;
  std::vector<PlanFormat> formats;  // in this order, after every value
  std::vector<PlanTextRun> textRuns;
  std::optional<RowHeight> everyRowHeight;  // before the rows' own
  // Widths set before any value, then columns 1 .. autoFitThrough (0: the
  // plan's columns) fitted to their contents once formatted.
  static constexpr int kNoAutoFit = -1;
  struct ColumnWidth {
    int first, last;
    double width;
  };
  std::vector<ColumnWidth> widths;
  int autoFitThrough = 0;
  std::vector<int> hiddenColumns;           // width 0 after the fit
  std::vector<int> pageBreaks;              // rows a printed page starts above
  std::string printTitleRows;               // "$1:$1", or none
  bool keepBlocksOnPages = false;           // a page break above a block that would run over
  std::vector<int> blockTops;
  int frozenRows = 0;
  // Columns 1 .. fitAcrossThrough printed one page wide: the stored zoom
  // made smaller where they would not fit, never below kSmallestFitZoom.
  static constexpr double kSmallestFitZoom = 50;
  int fitAcrossThrough = 0;

  // Row `row` (1-based) with its role; rows and values grow to hold it.
  PlanRow& row(int row, RowRole, std::string key = {}, std::string section = {});
  void put(int row, int col, host::Value);
  void formula(const host::Rect&, std::string r1c1);
  void format(const host::Rect&, const host::FormatPatch&);

  int lastRow() const { return static_cast<int>(rows.size()); }
};

// The number of the row of `role` about `key` (in `section`), 0 when the
// plan has none.
int FindRow(const SheetPlan&, RowRole, std::string_view key = {}, std::string_view section = {});

// Columns first..last taken out of the plan, as a host deletes columns:
// what stands right of them moves left, merges and formats shrink, and each
// formula's column references still name the columns they named. No kept
// formula may read a column taken out.
void DropColumns(SheetPlan&, int first, int last);

// Headers of two rows over a wide table: a group's name (a field) over its
// measures from (row, col); and the columns that stand before the groups,
// each over both rows. The latter gives the first column after them.
void PutGroupHeader(SheetPlan&, int row, int col, const std::string& group, const std::vector<std::string>& measures);
int PutLeadingHeaders(SheetPlan&, int row, const std::vector<std::string>& headers);

// The colour index of the analyses' header rows (a pale blue).
inline constexpr int kHeaderFill = 37;

// The analyses' top: a title of 18 points in row 1 over `titleColumns`,
// and notes in the rows below it, left-aligned so that they run across.
void PutTitleAndNotes(SheetPlan&, const std::string& title, int titleColumns, const std::vector<std::string>& notes);

// The format patches the plans use most.
host::FormatPatch BoldPatch();
// Bold, left-aligned: a table's heading that runs on to the right.
host::FormatPatch LeftBoldPatch();
host::FormatPatch FillPatch(int colorIndex);
host::FormatPatch BordersPatch();
host::FormatPatch NumberFormatPatch(const char* format);
host::FormatPatch FontSizePatch(double size);
// The font size (and font) over the whole sheet, centred both ways.
host::FormatPatch CentredPatch(double fontSize, const char* fontName = nullptr);

}  // namespace tavo::reports
