#include "params/layout_command.h"

#include <algorithm>

#include "host/address.h"
#include "host/constants.h"
#include "host/format.h"
#include "params/settings_sheet.h"
#include "sheetutil/messages.h"
#include "sheetutil/sheet_routines.h"
#include "sheetutil/skip_failures.h"

namespace tavo::params {

namespace {

using host::Cell;
using host::FormatPatch;
using host::Rect;
using host::Value;
namespace code = host::code;

constexpr double kRowHeight = 16;
constexpr double kTitleRowHeight = 18;
constexpr double kHeaderRowHeight = 45;
constexpr double kColumnWidth = 8;
constexpr int kTitleFill = 37;
constexpr int kTitleFontColor = 10;
constexpr int kHeaderFontColor = 5;

Rect At(int row, int col) { return Rect::of(Cell{row, col}); }

FormatPatch FontColor(int index) {
  FormatPatch p;
  p.fontColorIndex = index;
  return p;
}

FormatPatch NumberFormat(const char* format) {
  FormatPatch p;
  p.numberFormat = format;
  return p;
}

// The plain look of the whole sheet, before titles and headers stand out.
FormatPatch PlainCells() {
  FormatPatch p;
  p.border = host::BorderLine::None;
  p.fill = host::Fill{};
  p.horizontalAlignment = host::HorizontalAlignment::Center;
  p.verticalAlignment = host::VerticalAlignment::Center;
  p.fontSize = 12;
  p.bold = false;
  p.underline = host::Underline::None;
  p.fontColorIndex = 1;
  return p;
}

class SettingsSheetLayout {
 public:
  SettingsSheetLayout(host::Application& app, host::Workbook& book, host::Worksheet& sheet, const SettingsTemplate& t)
      : app_(app), book_(book), sheet_(sheet), t_(t) {}

  void Run() {
    step_([&] { sheet_.setVisible(true); });
    step_([&] { sheet_.activate(); });
    ClearSpareAreas();
    step_([&] {
      for (const char* space : {" ", "\u3000"}) sheet_.replace(Rect::sheet(), space, "", false);
    });
    FormatAllCells();
    FindClassTableExtent();
    FormatTitleRows();
    SetLineNames();
    WriteTitlesAndHeaders();
    SetValidation();
    FillClassTableGaps();
    if (t_.hasLines) CopySubjectNames();
    if (t_.layOutSections) t_.layOutSections(app_, sheet_, lastColumn_);
    step_([&] {
      book_.window().setScrollRow(1);
      book_.window().setScrollColumn(1);
    });
  }

 private:
  void ClearSpareAreas() {
    step_([&] { sheet_.clear(host::parseRect("A12:A13")); });
    if (!t_.extraCleared.empty()) step_([&] { sheet_.clear(host::parseRect(t_.extraCleared)); });
    step_([&] {
      for (const Rect& r : host::parseAddress(t_.clearedRows)) sheet_.clear(r);
    });
    if (!t_.keepsGrade) step_([&] { sheet_.clear(At(kClassHeaderRow, kGradeColumn)); });
  }

  void FormatAllCells() {
    step_([&] { sheet_.applyFormat(Rect::sheet(), PlainCells()); });
    step_([&] { sheet_.deleteValidation(Rect::sheet()); });
    step_([&] { sheet_.setRowHeight(1, host::kMaxRow, kRowHeight); });
    step_([&] { sheet_.setColumnWidth(1, host::kMaxCol, kColumnWidth); });
  }

  // The class table is the current region of A72. Its four header columns
  // are written on every run, so the extent counts them even on a sheet laid
  // out for the first time; a first run then equals every later one.
  void FindClassTableExtent() {
    step_([&] {
      Rect region = sheet_.currentRegion({kClassHeaderRow, 1});
      lastRow_ = region.rowCount() + kClassTitleRow;
      lastColumn_ = region.colCount();
    });
    lastRow_ = std::max(lastRow_, kClassHeaderRow);
    lastColumn_ = std::max(lastColumn_, kHeadTeacherColumn);
  }

  void FormatTitleRows() {
    FormatPatch titleLabel;
    titleLabel.horizontalAlignment = host::HorizontalAlignment::Left;
    titleLabel.fontColorIndex = kTitleFontColor;
    FormatPatch titleFill;
    titleFill.fill = host::Fill::Solid(kTitleFill);
    for (int row = 1; row <= kClassTitleRow; row += 10) {
      step_([&] { sheet_.setRowHeight(row, row, kTitleRowHeight); });
      step_([&] { sheet_.applyFormat(At(row, 2), titleLabel); });
      step_([&] { sheet_.applyFormat({row, 1, row, lastColumn_}, titleFill); });
    }
    step_([&] {
      for (const Rect& r : host::parseAddress(t_.hiddenRows)) sheet_.setRowHeight(r.top, r.bottom, 0);
    });
    step_([&] { sheet_.setRowHeight(kSettingsHeaderRow, kSettingsHeaderRow, kHeaderRowHeight); });
    step_([&] {
      for (const Rect& r : host::parseAddress("A11,B12:M12,A62:D62,B63:B67,A72:D72"))
        sheet_.applyFormat(r, FontColor(kHeaderFontColor));
    });
  }

  void SetLineNames() {
    lineNames_.assign(t_.lineNameDefaults.size(), "");
    for (int k = 0; k < t_.lineCount(); ++k) {
      Cell name{kFirstLineRow + k, kLineNameColumn};
      step_([&] {
        if (sheet_.value(name).isEmpty()) Write(name, t_.lineNameDefaults[static_cast<std::size_t>(k)]);
      });
      step_([&] { lineNames_[static_cast<std::size_t>(k)] = host::toText(sheet_.value(name)); });
    }
  }

  std::string Named(const std::string& text) const { return WithLineNames(text, lineNames_); }

  void Write(Cell at, const Value& v) {
    step_([&] { sheet_.setValue(Rect::of(at), v); });
  }

  void WriteTitlesAndHeaders() {
    Write({kSettingsTitleRow, 1}, t_.sheetName);
    Write({kSettingsTitleRow, 2}, "统计参数");
    for (const SettingColumn& s : t_.settings) {
      std::string header;
      for (const std::string& part : s.headerParts) header += (header.empty() ? "" : "\n") + Named(part);
      Write({kSettingsHeaderRow, s.column}, header);
    }
    if (t_.hasLines) {
      Write({kLineTitleRow, 2}, "划线参数");
      Write({kLineHeaderRow, 1}, "命名");
      Write({kLineHeaderRow, 2}, "划线");
      Write({kLineHeaderRow, 3}, "统计");
      Write({kLineHeaderRow, 4}, "总分");
    }
    for (int k = 0; k < t_.lineCount(); ++k)
      Write({kFirstLineRow + k, kLineLabelColumn}, lineNames_[static_cast<std::size_t>(k)] + "线");
    Write({kClassTitleRow, 2}, "班级参数");
    if (t_.keepsGrade) Write({kClassHeaderRow, kGradeColumn}, "级部");
    Write({kClassHeaderRow, kClassColumn}, "班级");
    Write({kClassHeaderRow, kPlannedSizeColumn}, "人数");
    Write({kClassHeaderRow, kHeadTeacherColumn}, "班主任");
    step_([&] { sheet_.applyFormat(Rect::columns(1, 2), NumberFormat(host::kTextFormat)); });
  }

  void Validate(const Rect& r, int type, int op, const std::string& formula1, const std::string& message) {
    step_([&] { sheet_.deleteValidation(r); });
    host::Validation v;
    v.type = type;
    v.alertStyle = code::kAlertStop;
    v.op = op;
    v.formula1 = formula1;
    v.ignoreBlank = type == code::kValidateInputOnly;
    v.inputMessage = message;
    step_([&] { sheet_.addValidation(r, v); });
  }
  void Note(const Rect& r, const std::string& message) {
    Validate(r, code::kValidateInputOnly, code::kBetween, "", message);
  }
  void ListOf(const Rect& r, const std::string& choices, const std::string& message) {
    Validate(r, code::kValidateList, code::kBetween, choices, message);
  }
  void AtLeast(const Rect& r, const std::string& bound, const std::string& message) {
    Validate(r, code::kValidateDecimal, code::kGreaterEqual, bound, message);
  }

  void SetValidation() {
    for (const SettingColumn& s : t_.settings) {
      Rect cell = At(kSettingsRow, s.column);
      if (s.kind == SettingColumn::Kind::List && s.formula1.empty()) {
        Note(cell, Named(s.inputMessage));  // its choices come from its sheet's own sections
      } else if (s.kind == SettingColumn::Kind::List) {
        ListOf(cell, s.formula1, Named(s.inputMessage));
      } else {
        AtLeast(cell, s.formula1, Named(s.inputMessage));
        step_([&] { sheet_.applyFormat(cell, NumberFormat(host::kGeneralFormat)); });
      }
    }
    if (t_.hasLines) {
      const int lastLine = kFirstLineRow + t_.lineCount() - 1;
      Note({kFirstLineRow, kLineNameColumn, lastLine, kLineNameColumn}, "名称可以修改");
      for (int k = 0; k < t_.lineCount(); ++k)
        ListOf(At(kFirstLineRow + k, kLineModeColumn), "按人数,按分数",
               "选择按人数或按分数设置各科的" + lineNames_[static_cast<std::size_t>(k)] + "线");
      AtLeast({kFirstLineRow, kLineTotalColumn, lastLine, lastColumn_}, "1", "");
    }
    if (t_.keepsGrade) Note(At(kClassHeaderRow, kGradeColumn), "级部可以增减");
    Note(At(kClassHeaderRow, kClassColumn), "班级可以增减");
    Note(At(kClassHeaderRow, kPlannedSizeColumn), t_.plannedSizeNote);
    if (lastColumn_ >= kFirstSubjectColumn)
      Note({kClassHeaderRow, kFirstSubjectColumn, kClassHeaderRow, lastColumn_}, "学科可以增减");
  }

  // A planned size or a teacher left empty repeats the one above it; the
  // first class row and the grade and class columns are never filled.
  void FillClassTableGaps() {
    for (int col = kPlannedSizeColumn; col <= lastColumn_; ++col)
      for (int row = kFirstClassRow + 1; row <= lastRow_; ++row)
        step_([&] {
          if (sheet_.value({row, col}).isEmpty()) Write({row, col}, sheet_.value({row - 1, col}));
        });
  }

  void CopySubjectNames() {
    for (int col = kFirstSubjectColumn; col <= lastColumn_; ++col)
      step_([&] { Write({kLineHeaderRow, col}, sheet_.value({kClassHeaderRow, col})); });
  }

  host::Application& app_;
  host::Workbook& book_;
  host::Worksheet& sheet_;
  const SettingsTemplate& t_;
  sheetutil::SkipFailures step_;
  int lastRow_ = kClassHeaderRow;
  int lastColumn_ = kHeadTeacherColumn;
  std::vector<std::string> lineNames_;
};

// A settings sheet added after the others, starting from the class table
// (classes, planned sizes, teachers, subjects) the teacher already typed.
void AddSettingsSheet(host::Workbook& book, const SettingsTemplate& t) {
  // Before the hidden layout store, after the teacher's sheets.
  host::Worksheet* before = nullptr;
  for (int i = book.sheetCount(); i >= 1 && !book.sheet(i).visible(); --i) before = &book.sheet(i);
  host::Worksheet& sheet = book.addSheet(before);
  sheet.setName(t.sheetName);
  if (!sheetutil::SheetExists(book, t.classTableFrom)) return;
  host::Worksheet& from = book.sheet(t.classTableFrom);
  // The region takes in the title row above the header as well.
  const Rect table = from.currentRegion({kClassHeaderRow, kClassColumn});
  if (table.bottom <= kClassHeaderRow || table.right < kClassColumn) return;
  const Rect classes{kClassHeaderRow, kClassColumn, table.bottom, table.right};
  sheet.setValues({kClassHeaderRow, kClassColumn}, from.values(classes));
}

}  // namespace

void LayOutSettingsSheet(host::Application& app, const SettingsTemplate& t) {
  host::Workbook& book = app.thisWorkbook();
  if (!sheetutil::SheetExists(book, t.sheetName) && !t.classTableFrom.empty()) AddSettingsSheet(book, t);
  if (!sheetutil::SheetExists(book, t.sheetName)) {
    sheetutil::Warn(app, t.missingSheetMessage());
    return;
  }
  sheetutil::SkipFailures{}([&] {
    book.setColor(37, host::rgb(204, 236, 255));
    book.setColor(15, host::rgb(221, 221, 221));
  });
  SettingsSheetLayout(app, book, book.sheet(t.sheetName), t).Run();
}

}  // namespace tavo::params
