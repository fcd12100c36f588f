// A worksheet as the commands see it: cells and every range operation they
// use, on rectangles. Whole rows, columns and the sheet are rectangles too
// (Rect::rows, Rect::columns, Rect::sheet).
#pragma once

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/chart.h"
#include "host/format.h"
#include "host/geometry.h"
#include "host/grid.h"
#include "host/page_setup.h"
#include "host/value.h"

namespace tavo::host {

class Workbook;

enum class SortOrder { Ascending, Descending };
struct SortKey {
  int column;  // sheet column of the key
  SortOrder order = SortOrder::Ascending;
};

enum class Shift { Down, Right, Up, Left };
enum class Paste { All, Values, Formats };

class Worksheet {
 public:
  virtual ~Worksheet() = default;

  virtual Workbook& workbook() = 0;
  virtual std::string name() const = 0;
  virtual void setName(const std::string&) = 0;
  virtual bool visible() const = 0;
  virtual void setVisible(bool) = 0;
  virtual void activate() = 0;
  virtual void select(const Rect&) = 0;  // the selection shown in the sheet's window
  virtual int tabColorIndex() const = 0;  // code::kNone when none
  virtual void setTabColorIndex(int) = 0;

  // Values. Text is entered by the typed-entry rules unless the cell's
  // number format is "@"; a rectangle assignment writes every cell.
  virtual Value value(Cell) const = 0;
  virtual void setValue(const Rect&, const Value&) = 0;
  virtual Grid values(const Rect&) const = 0;
  virtual void setValues(Cell topLeft, const Grid&) = 0;
  // As a paste of values leaves them: text stays text whatever it reads as.
  virtual void setLiteralValues(Cell topLeft, const Grid&) = 0;
  // The area's rows, entered literally, as `rows(first, count)` gives them
  // (`first` counted from the area's top, 0-based; every row the area's
  // width). A host may take them at once, or keep the source and take the
  // rows when it needs them: a province's student table then never stands
  // whole in memory. The source must own what it reads.
  using RowSource = std::function<Grid(int first, int count)>;
  virtual void setLiteralRows(const Rect& area, const RowSource& rows) {
    constexpr int kRowsPerPiece = 1 << 14;
    for (int first = 0; first < area.rowCount(); first += kRowsPerPiece)
      setLiteralValues({area.top + first, area.left}, rows(first, std::min(kRowsPerPiece, area.rowCount() - first)));
  }
  virtual bool hasFormula(Cell) const = 0;
  // The formula in R1C1 notation, or the value's text when there is none.
  virtual std::string formulaR1C1(Cell) const = 0;
  // Each cell of the rectangle gets the formula relative to itself.
  virtual void setFormulaR1C1(const Rect&, const std::string&) = 0;

  // Regions and search.
  virtual Rect currentRegion(Cell) const = 0;
  // Bounding box of what the sheet holds; A1 for an empty sheet.
  virtual Rect usedRange() const = 0;
  virtual std::optional<Cell> find(const Rect& within, const std::string& what, Cell after,
                                   bool wholeCell) const = 0;
  virtual std::optional<Cell> findPrevious(const Rect& within, const std::string& what,
                                           Cell before, bool wholeCell) const = 0;
  virtual void sort(const Rect&, SortKey key1, std::optional<SortKey> key2, bool header) = 0;
  virtual void replace(const Rect&, const std::string& what, const std::string& replacement,
                       bool wholeCell) = 0;

  // Clearing, copying and moving.
  virtual void clear(const Rect&) = 0;
  virtual void clearContents(const Rect&) = 0;
  virtual void clearFormats(const Rect&) = 0;
  // A single-cell destination takes the source's size; a larger one is
  // filled with as many whole copies of the source as fit.
  virtual void copy(const Rect& source, Worksheet& target, const Rect& destination,
                    Paste = Paste::All) = 0;
  // The format of one cell onto each of `areas` of `target`, as one paste
  // of formats onto a selection of them.
  virtual void copyFormatToAreas(Cell source, Worksheet& target, const std::vector<Rect>& areas) = 0;
  virtual void cut(const Rect& source, Worksheet& target, Cell at) = 0;
  // Cut `source` and insert it at `at`, shifting the cells there.
  virtual void insertCut(const Rect& source, Cell at, Shift) = 0;
  virtual void insert(const Rect&, Shift) = 0;
  virtual void remove(const Rect&, Shift) = 0;
  virtual void merge(const Rect&) = 0;
  virtual Rect mergeArea(Cell) const = 0;

  // Formats and layout.
  virtual Format format(Cell) const = 0;
  virtual void applyFormat(const Rect&, const FormatPatch&) = 0;
  virtual std::vector<TextRun> textRuns(Cell) const = 0;
  virtual void setTextRun(Cell, const TextRun&) = 0;
  virtual std::optional<Validation> validation(Cell) const = 0;
  virtual void addValidation(const Rect&, const Validation&) = 0;  // refuses over existing
  virtual void setValidationInputMessage(const Rect&, const std::string&) = 0;
  virtual void setValidationIgnoreBlank(const Rect&, bool) = 0;
  virtual void deleteValidation(const Rect&) = 0;
  virtual double rowHeight(int row) const = 0;
  virtual void setRowHeight(int first, int last, double points) = 0;
  virtual double columnWidth(int col) const = 0;
  virtual void setColumnWidth(int first, int last, double chars) = 0;
  virtual void autoFitColumns(int first, int last) = 0;

  // Printing.
  virtual PageSetup& pageSetup() = 0;
  virtual void addPageBreakAbove(int row) = 0;
  virtual std::vector<int> pageBreaks() const = 0;

  // Charts embedded on the sheet.
  virtual Chart& addChart(ChartType, double left, double top, double width, double height) = 0;
  virtual int chartCount() const = 0;
  virtual Chart& chart(int index) = 0;  // 1-based
  // The chart whose shape on this sheet has the name; error 9 when none.
  virtual Chart& chartOfShape(const std::string& shapeName) = 0;
};

}  // namespace tavo::host
