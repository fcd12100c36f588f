// A worksheet through its automation object. Every operation is a call on a
// Range of the rectangle's address; the commands read tables a rectangle at
// a time, so a single cell is read as it is asked for.
#pragma once

#include <map>
#include <vector>

#include "host/com/cell_entry.h"
#include "host/com/dispatch.h"
#include "host/com/page_setup.h"
#include "host/worksheet.h"

namespace tavo::com {

class Application;

class Worksheet final : public host::Worksheet {
 public:
  Worksheet(Dispatch sheet, Application& app) : sheet_(std::move(sheet)), app_(app), pageSetup_(sheet_, app) {}

  host::Workbook& workbook() override;
  std::string name() const override { return ToText(*sheet_.get("Name")); }
  void setName(const std::string& n) override { sheet_.put("Name", n); }
  bool visible() const override { return ToInt(*sheet_.get("Visible")) == host::code::kVisible; }
  void setVisible(bool b) override { sheet_.put("Visible", b ? host::code::kVisible : 0); }
  void activate() override { sheet_.call("Activate"); }
  void select(const host::Rect& r) override { range(r).call("Select"); }
  int tabColorIndex() const override;
  void setTabColorIndex(int) override;

  host::Value value(host::Cell) const override;
  void setValue(const host::Rect& r, const host::Value& v) override {
    range(r).put("Value", EntryValue(v, Entry::Typed));
  }
  host::Grid values(const host::Rect& r) const override { return ToGrid(*range(r).get("Value")); }
  void setValues(host::Cell topLeft, const host::Grid&) override;
  void setLiteralValues(host::Cell topLeft, const host::Grid&) override;
  bool hasFormula(host::Cell c) const override { return ToBool(*range(host::Rect::of(c)).get("HasFormula")); }
  std::string formulaR1C1(host::Cell c) const override {
    return ToText(*range(host::Rect::of(c)).get("FormulaR1C1"));
  }
  void setFormulaR1C1(const host::Rect& r, const std::string& f) override { range(r).put("FormulaR1C1", f); }

  host::Rect currentRegion(host::Cell) const override;
  host::Rect usedRange() const override;
  std::optional<host::Cell> find(const host::Rect& within, const std::string& what, host::Cell after,
                                 bool wholeCell) const override;
  std::optional<host::Cell> findPrevious(const host::Rect& within, const std::string& what, host::Cell before,
                                         bool wholeCell) const override;
  void sort(const host::Rect&, host::SortKey key1, std::optional<host::SortKey> key2, bool header) override;
  void replace(const host::Rect&, const std::string& what, const std::string& replacement,
               bool wholeCell) override;

  void clear(const host::Rect& r) override { range(r).call("Clear"); }
  void clearContents(const host::Rect& r) override { range(r).call("ClearContents"); }
  void clearFormats(const host::Rect& r) override { range(r).call("ClearFormats"); }
  void copy(const host::Rect& source, host::Worksheet& target, const host::Rect& destination,
            host::Paste) override;
  void copyFormatToAreas(host::Cell source, host::Worksheet& target, const std::vector<host::Rect>& areas) override;
  void cut(const host::Rect& source, host::Worksheet& target, host::Cell at) override;
  void insertCut(const host::Rect& source, host::Cell at, host::Shift) override;
  void insert(const host::Rect&, host::Shift) override;
  void remove(const host::Rect&, host::Shift) override;
  void merge(const host::Rect& r) override { range(r).call("Merge"); }
  host::Rect mergeArea(host::Cell) const override;

  host::Format format(host::Cell) const override;
  void applyFormat(const host::Rect&, const host::FormatPatch&) override;
  std::vector<host::TextRun> textRuns(host::Cell) const override;
  void setTextRun(host::Cell, const host::TextRun&) override;
  std::optional<host::Validation> validation(host::Cell) const override;
  void addValidation(const host::Rect&, const host::Validation&) override;
  void setValidationInputMessage(const host::Rect&, const std::string&) override;
  void setValidationIgnoreBlank(const host::Rect&, bool) override;
  void deleteValidation(const host::Rect& r) override { validationOf(r).call("Delete"); }
  double rowHeight(int row) const override;
  void setRowHeight(int first, int last, double points) override;
  double columnWidth(int col) const override;
  void setColumnWidth(int first, int last, double chars) override;
  void autoFitColumns(int first, int last) override;

  host::PageSetup& pageSetup() override { return pageSetup_; }
  void addPageBreakAbove(int row) override;
  std::vector<int> pageBreaks() const override;

  host::Chart& addChart(host::ChartType type, double left, double top, double width, double height) override;
  int chartCount() const override;
  host::Chart& chart(int index) override;
  host::Chart& chartOfShape(const std::string& shapeName) override;

  // ---- for the other wrappers ----
  const Dispatch& object() const { return sheet_; }
  Dispatch range(const host::Rect&) const;

 private:
  Dispatch validationOf(const host::Rect& r) const { return range(r).object("Validation", "Validation"); }
  host::Rect rectOf(const Dispatch& range) const;
  void putGrid(host::Cell topLeft, const host::Grid&, Entry);
  static void applyFormatTo(Dispatch cells, const host::FormatPatch&);
  std::optional<host::Cell> search(const host::Rect& within, const std::string& what, host::Cell from,
                                   bool wholeCell, bool backwards) const;

  // A rectangle within the sheet's own size: a workbook in compatibility
  // mode has 65,536 rows and 256 columns, and refuses addresses beyond.
  host::Rect withinSheet(const host::Rect&) const;

  Dispatch sheet_;
  Application& app_;
  PageSetup pageSetup_;
  mutable host::Cell size_{0, 0};  // rows and columns, asked when first needed
};

}  // namespace tavo::com
