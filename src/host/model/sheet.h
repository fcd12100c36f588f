// The model's worksheet. Cells are column-major slot vectors; formats are
// interned styles with row, column and sheet defaults behind each cell.
#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <unordered_map>
#include <string>
#include <vector>

#include "host/model/cell_store.h"
#include "host/model/carried.h"
#include "host/model/chart.h"
#include "host/model/formula/reference_update.h"
#include "host/model/merged_areas.h"
#include "host/model/page_setup.h"
#include "host/model/validation_areas.h"
#include "host/worksheet.h"

namespace tavo::model {

// The most cells one put or format may make: a table 32 columns wide over
// every row of a sheet (a province's exam), about half a gigabyte of cells.
// A range beyond it, which only a runaway request asks for, is refused.
inline constexpr long long kMostCellsAdded = 32LL * 1'048'576;

class Workbook;

struct SheetView {
  int splitRow = 0;
  int splitColumn = 0;
  bool freezePanes = false;
  int scrollRow = 1;
  int scrollColumn = 1;
  host::Rect selection{1, 1, 1, 1};
  int zoomScale = 100;
  bool showGridLines = true;
  bool showZeros = true;
};

class Sheet final : public host::Worksheet {
 public:
  Sheet(Workbook& wb, std::string name);
  ~Sheet() override;

  host::Workbook& workbook() override;
  Workbook& model() { return wb_; }
  const Workbook& model() const { return wb_; }
  std::string name() const override { return name_; }
  void setName(const std::string&) override;
  bool visible() const override { return visible_; }
  void setVisible(bool) override;
  void activate() override;
  void select(const host::Rect& r) override { view_.selection = r; }
  int tabColorIndex() const override { return tabColor_; }
  void setTabColorIndex(int) override;

  host::Value value(host::Cell) const override;
  void setValue(const host::Rect&, const host::Value&) override;
  host::Grid values(const host::Rect&) const override;
  void setValues(host::Cell topLeft, const host::Grid&) override;
  void setLiteralValues(host::Cell topLeft, const host::Grid&) override;
  void setLiteralRows(const host::Rect& area, const RowSource& rows) override;
  bool hasFormula(host::Cell) const override;
  std::string formulaR1C1(host::Cell) const override;
  void setFormulaR1C1(const host::Rect&, const std::string&) override;

  host::Rect currentRegion(host::Cell) const override;
  host::Rect usedRange() const override;
  std::optional<host::Cell> find(const host::Rect&, const std::string& what, host::Cell after,
                                 bool wholeCell) const override;
  std::optional<host::Cell> findPrevious(const host::Rect&, const std::string& what,
                                         host::Cell before, bool wholeCell) const override;
  void sort(const host::Rect&, host::SortKey, std::optional<host::SortKey>, bool header) override;
  void replace(const host::Rect&, const std::string& what, const std::string& replacement,
               bool wholeCell) override;

  void clear(const host::Rect&) override;
  void clearContents(const host::Rect&) override;
  void clearFormats(const host::Rect&) override;
  void copy(const host::Rect&, host::Worksheet& target, const host::Rect& destination,
            host::Paste) override;
  void copyFormatToAreas(host::Cell source, host::Worksheet& target, const std::vector<host::Rect>& areas) override;
  void cut(const host::Rect&, host::Worksheet& target, host::Cell at) override;
  void insertCut(const host::Rect&, host::Cell at, host::Shift) override;
  void insert(const host::Rect&, host::Shift) override;
  void remove(const host::Rect&, host::Shift) override;
  void merge(const host::Rect&) override;
  host::Rect mergeArea(host::Cell) const override;

  host::Format format(host::Cell) const override;
  void applyFormat(const host::Rect&, const host::FormatPatch&) override;
  std::vector<host::TextRun> textRuns(host::Cell) const override;
  void setTextRun(host::Cell, const host::TextRun&) override;
  std::optional<host::Validation> validation(host::Cell) const override;
  void addValidation(const host::Rect&, const host::Validation&) override;
  void setValidationInputMessage(const host::Rect&, const std::string&) override;
  void setValidationIgnoreBlank(const host::Rect&, bool) override;
  void deleteValidation(const host::Rect&) override;
  double rowHeight(int row) const override;
  void setRowHeight(int first, int last, double points) override;
  double columnWidth(int col) const override;
  void setColumnWidth(int first, int last, double chars) override;
  void autoFitColumns(int first, int last) override;

  host::PageSetup& pageSetup() override { return pageSetup_; }
  void addPageBreakAbove(int row) override;
  std::vector<int> pageBreaks() const override { return {breaks_.begin(), breaks_.end()}; }

  host::Chart& addChart(host::ChartType, double left, double top, double width, double height) override;
  int chartCount() const override { return static_cast<int>(charts_.size()); }
  host::Chart& chart(int index) override;
  host::Chart& chartOfShape(const std::string& shapeName) override;
  // Takes a chart onto the sheet under the next shape name.
  ModelChart& embed(std::unique_ptr<ModelChart>);

  // ---- model side: what the file reader and writer and the workbook use ----
  // A formula given in A1 notation with its cached value; one the model
  // cannot evaluate keeps its text and that value.
  void setFormulaA1(host::Cell, const std::string& text, const host::Value& cached);
  // An array formula over an area, in its first cell: kept as its text and
  // cached value, as the model computes no arrays.
  void setArrayFormulaA1(host::Cell, const std::string& text, const host::Value& cached, const std::string& area);
  std::string arrayFormulaArea(host::Cell) const;  // "" unless the cell holds one
  std::string formulaA1(host::Cell) const;  // "" when none
  bool formulaIsOpaque(host::Cell) const;
  const Column* column(int col) const;
  // The column as stored: without the rows still to come from a source.
  const Column* storedColumn(int col) const;
  int columnCount() const { return static_cast<int>(cols_.size()); }
  StyleId cellStyle(host::Cell) const;  // effective style of the cell
  StyleId ownStyle(host::Cell) const;   // 0 when the cell has none
  void setOwnStyle(host::Cell, StyleId);
  // Room for a column's cells down to `rows`, before a reader fills it.
  void reserveRows(int col, int rows);
  // A refusal that says where: the workbook, the sheet and the area.
  host::HostError refusedAt(const host::Rect&, const std::string& why) const;
  // The style a file gives whole rows or columns, set as it stands: no cell
  // is made where they cross (a row's style shows over a column's).
  void setRowStyle(int first, int last, StyleId);
  void setColumnStyle(int first, int last, StyleId);
  StyleId sheetStyle() const { return sheetStyle_; }
  const std::map<int, StyleId>& rowStyles() const { return rowStyles_; }
  const std::map<int, StyleId>& columnStyles() const { return colStyles_; }
  double defaultRowHeight() const { return defaultRowHeight_; }
  double defaultColumnWidth() const { return defaultColWidth_; }
  const std::map<int, double>& rowHeights() const { return rowHeights_; }
  // Outline (grouping) levels of rows and columns, 1..7, as files carry them.
  const std::map<int, int>& rowOutlineLevels() const { return rowOutlines_; }
  const std::map<int, int>& columnOutlineLevels() const { return colOutlines_; }
  void setOutlineLevel(bool row, int first, int last, int level);
  const std::map<int, double>& columnWidths() const { return colWidths_; }
  // The width a hidden column (width 0) shows again with, 0 when unknown.
  double widthWhenShown(int col) const;
  const std::vector<host::Rect>& merges() const { return merges_.all(); }
  const ValidationAreas& validations() const { return validations_; }
  const PageSettings& pageSettings() const { return pageSetup_.settings; }
  PageSettings& pageSettings() { return pageSetup_.settings; }
  SheetView& view() { return view_; }
  const SheetView& view() const { return view_; }
  const std::vector<std::unique_ptr<ModelChart>>& charts() const { return charts_; }
  void setTextWithRuns(host::Cell, const std::string& text, std::vector<host::TextRun> runs);
  // The cell takes `constant`'s content, sharing its text: a reader gives
  // every cell of one shared string one text.
  void shareConstant(host::Cell, const Slot& constant);

  // Rows entered from a source (a province's student table), kept as the
  // source until a cell of theirs is read or changed; a file's writer takes
  // them band by band (CellBand). A format over a block's every row is kept
  // per column, so that formatting the table makes no cells either.
  struct PendingRows {
    host::Rect area;
    RowSource rows;
    std::vector<StyleId> styles;  // each column's own format, 0 for none
    // This source among all the process has given: a sheet's print tells
    // it from another without asking it for its rows.
    std::uint64_t serial = 0;
  };
  const std::vector<PendingRows>& pendingRows() const { return pending_; }
  StyleId inheritedStyle(host::Cell) const;  // the row's, column's or sheet's format

  // What the file held beside what the model holds, for its writer.
  const CarriedPtr& carried() const { return carried_; }
  void setCarried(CarriedPtr carried) { carried_ = std::move(carried); }
  // How often cells moved since the sheet was made: rows or columns
  // inserted or removed, and sorts. What a file anchored to cells may then
  // stand at the wrong ones.
  int shifts() const { return shifts_; }
  int sorts() const { return sorts_; }

  // Applies a structural change to every reference of this sheet's formulas.
  void updateReferences(const ReferenceUpdate&);
  bool mayHoldFormulas() const { return mayHoldFormulas_; }
  void noteFormulas(int col);  // a formula was put in that column

 private:
  friend class Workbook;

  const Slot* slot(host::Cell c) const;
  Slot* findSlot(host::Cell c);
  Slot& slotAt(host::Cell c);
  Column& columnAt(int col);
  void touch() const;
  void enter(host::Cell, const host::Value&);  // typed entry into one cell
  void enterGrid(host::Cell topLeft, const host::Grid&, bool literal, bool touching = true);
  host::Value slotValue(const Slot*, host::Cell) const;
  std::optional<host::Cell> search(const host::Rect&, const std::string& what, host::Cell from,
                                   bool wholeCell, bool backwards) const;
  // The rows of a column whose text is `what` (ignoring case), in order;
  // null until the column is searched twice with the workbook unchanged.
  const std::vector<int>* findIndex(int col, const std::string& what) const;
  struct FindIndex {
    std::uint64_t generation = 0;
    int searches = 0;
    std::unordered_map<std::string, std::vector<int>> rows;
  };
  mutable std::map<int, FindIndex> findIndex_;
  // Enters the pending rows that meet `r`: what follows sees them as cells.
  // Const because reading a cell may need it; what the sheet holds does not
  // change, only where.
  void settle(const host::Rect& r) const;
  void settleAll() const { settle(host::Rect::sheet()); }
  void enterPending(const PendingRows&);
  // Takes the part of a format over pending rows into their columns'
  // formats; false when the rest must be formatted cell by cell.
  bool formatPending(const host::Rect&, const host::FormatPatch&);
  bool cellHasContent(int row, int col) const;
  bool rowHasContent(int row, int left, int right) const;
  bool colHasContent(int col, int top, int bottom) const;
  host::Rect clipToStored(const host::Rect&) const;
  void parseAndPlace(const host::Rect&, const std::string& text);
  void shiftRows(const host::Rect& band, int at, int count);
  void shiftColumns(const host::Rect& band, int at, int count);
  void removeMergesTouching(const host::Rect&);
  void placeSlot(host::Cell, Slot&&);
  // Calls f(slot, cell) for the slots the rectangle holds.
  // Any change to cells may move what a search finds.
  void dropFindIndex() {
    if (!findIndex_.empty()) findIndex_.clear();
  }
  template <class F>
  void forStoredCells(const host::Rect& r, F&& f) {
    settle(r);
    forHeldCells(r, f);
  }
  // The same over the slots as stored, rows still pending left out.
  template <class F>
  void forHeldCells(const host::Rect& r, F&& f) {
    dropFindIndex();
    int right = std::min(r.right, columnCount());
    for (int c = r.left; c <= right; ++c) {
      auto& slots = cols_[static_cast<std::size_t>(c - 1)].slots();
      int bottom = std::min(r.bottom, static_cast<int>(slots.size()));
      for (int row = r.top; row <= bottom; ++row)
        f(slots[static_cast<std::size_t>(row - 1)], host::Cell{row, c});
    }
  }

  Workbook& wb_;
  std::string name_;
  bool visible_ = true;
  int tabColor_ = host::code::kNone;
  std::vector<Column> cols_;
  std::vector<PendingRows> pending_;
  bool mayHoldFormulas_ = false;
  StyleId sheetStyle_;
  std::map<int, StyleId> rowStyles_, colStyles_;
  double defaultRowHeight_ = 14.25;
  double defaultColWidth_ = 8.38;
  std::map<int, double> rowHeights_, colWidths_;
  std::map<int, double> hiddenColWidths_;  // of hidden columns, as they were before
  std::map<int, int> rowOutlines_, colOutlines_;
  MergedAreas merges_;
  ValidationAreas validations_;
  ModelPageSetup pageSetup_;
  std::set<int> breaks_;
  SheetView view_;
  std::vector<std::unique_ptr<ModelChart>> charts_;
  CarriedPtr carried_;
  int shifts_ = 0, sorts_ = 0;
};

}  // namespace tavo::model
