// Rows kept as their source until the file is written behave, to every
// reader and in the saved file, as the same rows entered at once.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

#include "host/model/cell_band.h"
#include "host/xlsx/xlsx_writer.h"
#include "model_fixture.h"
#include "temp_folder.h"

namespace tavo::testing {
namespace {

// A student table's cells: classes repeated down a column, numbers, exam
// numbers as text, gaps and a few marks.
host::Value TableCell(int row, int col) {
  switch (col % 5) {
    case 0:
      return host::Value(std::to_string(1 + row / 7) + "班");
    case 1:
      return host::Value(static_cast<double>((row * 37 + col) % 150) / 2);
    case 2:
      return row % 11 == 0 ? host::Value() : host::Value("00" + std::to_string(row));
    case 3:
      return row % 13 == 0 ? host::Value("↑") : host::Value();
    default:
      return host::Value(static_cast<double>(row));
  }
}

struct PendingRowsTest : ModelFixture {
  TempFolder folder;
  model::Workbook& other = app.createWorkbook("other.xlsx", "/data");

  struct Calls {
    int count = 0, largest = 0;
  };
  // The table's source over `area`; `calls` counts what it was asked for.
  static host::Worksheet::RowSource Source(const Rect& area, std::shared_ptr<Calls> calls) {
    return [area, calls](int first, int count) {
      ++calls->count;
      calls->largest = std::max(calls->largest, count);
      host::Grid g(count, area.colCount());
      for (int r = 0; r < count; ++r)
        for (int c = 0; c < area.colCount(); ++c) g.at(r, c) = TableCell(area.top + first + r, area.left + c);
      return g;
    };
  }
  // The frame a report writes around its table: a title, a header row, a
  // column formatted as text.
  static void Frame(model::Sheet& s) {
    host::FormatPatch text;
    text.numberFormat = host::kTextFormat;
    s.applyFormat(Rect::columns(3, 3), text);
    s.setValue(Rect::of({1, 1}), host::Value("标题"));
    for (int c = 1; c <= 8; ++c) s.setValue(Rect::of({2, c}), host::Value("列" + std::to_string(c)));
  }
  std::string saved(const model::Workbook& written, const std::string& name) {
    const std::string path = folder.file(name);
    xlsx::SaveWorkbook(written, path);
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
};

host::FormatPatch Patch(int kind) {
  host::FormatPatch p;
  switch (kind % 4) {
    case 0:
      p.bold = true;
      break;
    case 1:
      p.numberFormat = "0.0";
      break;
    case 2:
      p.fill = host::Fill::Solid(37);
      break;
    default:
      p.border = host::BorderLine::Continuous;
      break;
  }
  return p;
}

TEST_F(PendingRowsTest, ATableFormattedPrintedAndSavedIsTheSameFileAndNeverEnteredWhole) {
  model::Sheet& kept = sheet;
  model::Sheet& entered = other.modelSheet(1);
  const Rect area{3, 1, 3 + 40000 - 1, 6};
  auto calls = std::make_shared<Calls>();
  for (model::Sheet* s : {&kept, &entered}) Frame(*s);
  kept.setLiteralRows(area, Source(area, calls));
  entered.host::Worksheet::setLiteralRows(area, Source(area, std::make_shared<Calls>()));
  ASSERT_EQ(kept.pendingRows().size(), 1u);
  EXPECT_EQ(calls->count, 0);

  // As a report lays out its table: the sheet's font, borders over header
  // and table, number formats over some columns' every row, a merged title.
  for (model::Sheet* s : {&kept, &entered}) {
    s->applyFormat(Rect::sheet(), Patch(0));
    s->applyFormat({2, 1, area.bottom, 6}, Patch(3));
    s->applyFormat({area.top, 2, area.bottom, 4}, Patch(1));
    s->applyFormat({2, 1, 2, 6}, Patch(2));
    s->applyFormat(Rect::columns(3, 3), Patch(2));  // over cells with formats of their own
    s->merge({1, 1, 1, 6});
  }
  EXPECT_EQ(calls->count, 0) << "a layout over whole columns of the table enters no row";
  for (int c = 1; c <= 6; ++c) EXPECT_LE(kept.storedColumn(c)->size(), 2);
  EXPECT_EQ(kept.usedRange(), entered.usedRange());

  // A print tells a sheet changed without making the rows.
  const std::uint64_t print = xlsx::SheetFingerprint(kept);
  EXPECT_EQ(calls->count, 0);
  EXPECT_EQ(xlsx::SheetFingerprint(kept), print);
  kept.applyFormat({area.top, 5, area.bottom, 5}, Patch(1));
  entered.applyFormat({area.top, 5, area.bottom, 5}, Patch(1));
  EXPECT_NE(xlsx::SheetFingerprint(kept), print) << "a format over the rows";

  EXPECT_EQ(saved(book, "kept.xlsx"), saved(other, "entered.xlsx"));
  EXPECT_GE(calls->count, 3);
  EXPECT_LE(calls->largest, 1 << 14) << "the writer takes the rows a band at a time";
  EXPECT_EQ(kept.pendingRows().size(), 1u) << "writing the file leaves the rows to their source";
}

// Whatever is done to the sheet afterwards, it sees the rows as cells.
TEST_F(PendingRowsTest, RandomEditsSeeTheRowsAsCells) {
  std::mt19937 random(20261210);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  for (int round = 0; round < 100; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    model::Workbook& a = app.createWorkbook("a" + std::to_string(round) + ".xlsx", "/data");
    model::Workbook& b = app.createWorkbook("b" + std::to_string(round) + ".xlsx", "/data");
    model::Sheet& kept = a.modelSheet(1);
    model::Sheet& entered = b.modelSheet(1);
    const Rect area{3, pick(1, 3), 3 + pick(0, 300), pick(4, 8)};
    for (model::Sheet* s : {&kept, &entered}) Frame(*s);
    kept.setLiteralRows(area, Source(area, std::make_shared<Calls>()));
    entered.host::Worksheet::setLiteralRows(area, Source(area, std::make_shared<Calls>()));

    for (int step = pick(0, 6); step > 0; --step) {
      const int row = pick(1, area.bottom + 3), col = pick(1, 9);
      const int op = pick(0, 9);
      for (model::Sheet* s : {&kept, &entered}) {
        switch (op) {
          case 0:
            s->applyFormat(Rect::sheet(), Patch(row));
            break;
          case 1:
            s->applyFormat(Rect::columns(col, col + 1), Patch(row));
            break;
          case 2:
            s->applyFormat(Rect::rows(row, row), Patch(col));
            break;
          case 3:
            s->applyFormat({area.top, col, area.bottom, col + 1}, Patch(row));
            break;
          case 4:
            s->applyFormat({1, col, row, col}, Patch(row));
            break;  // over some of the rows
          case 5:
            s->setValue(Rect::of({row, col}), host::Value(7.0));
            break;
          case 6:
            s->insert(Rect::rows(row, row), host::Shift::Down);
            break;
          case 7:
            s->sort({area.top, area.left, area.bottom, area.right}, {area.left + 1}, std::nullopt, false);
            break;
          case 8:
            s->merge({row, col, row, col + 1});
            break;
          default:
            s->clearContents({row, col, row + 2, col});
            break;
        }
      }
      const Cell probe{pick(1, area.bottom + 2), pick(1, 9)};
      ASSERT_EQ(kept.value(probe), entered.value(probe)) << "op " << op;
      ASSERT_EQ(kept.format(probe), entered.format(probe)) << "op " << op;
    }
    EXPECT_EQ(kept.usedRange(), entered.usedRange());
    EXPECT_EQ(kept.currentRegion({area.top, area.left}), entered.currentRegion({area.top, area.left}));
    EXPECT_EQ(kept.find(Rect::sheet(), "↑", {1, 1}, true), entered.find(Rect::sheet(), "↑", {1, 1}, true));
    EXPECT_EQ(saved(a, "a.xlsx"), saved(b, "b.xlsx"));
  }
}

// A file's writer reads a band's cells where the rows are, beside the
// cells the sheet stores.
TEST_F(PendingRowsTest, ABandHoldsTheSourcesRowsBesideTheStoredCells) {
  Frame(sheet);
  const Rect area{3, 2, 20, 4};
  sheet.setLiteralRows(area, Source(area, std::make_shared<Calls>()));
  sheet.applyFormat({area.top, 4, area.bottom, 4}, Patch(1));
  const model::CellBand band(sheet, 2, 13);
  EXPECT_EQ(band.get(2, 1)->text().text, "列1");
  EXPECT_EQ(band.get(5, 2)->text().text, "005");
  EXPECT_EQ(band.get(5, 4)->number(), 5);
  EXPECT_EQ(band.get(14, 4), nullptr) << "past the band";
  EXPECT_EQ(sheet.model().styles().get(band.style({5, 4})).numberFormat, "0.0");
  EXPECT_EQ(sheet.model().styles().get(band.style({5, 3})).numberFormat, host::kTextFormat) << "the column's";
  // Column 3 holds the header and one mark (row 13) in the band.
  std::vector<int> rows;
  band.forInUse(3, [&](int row, const model::Slot&) { rows.push_back(row); });
  EXPECT_EQ(rows, (std::vector<int>{2, 13}));
  // Rows over cells already there are entered at once.
  sheet.setValue(Rect::of({30, 2}), host::Value(1.0));
  sheet.setLiteralRows({25, 2, 35, 4}, Source({25, 2, 35, 4}, std::make_shared<Calls>()));
  EXPECT_EQ(sheet.pendingRows().size(), 1u);
  EXPECT_EQ(sheet.value({30, 2}), TableCell(30, 2));
}

}  // namespace
}  // namespace tavo::testing
