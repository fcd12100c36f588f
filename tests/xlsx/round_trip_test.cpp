// A workbook saved and loaded again is the same workbook.
#include <gtest/gtest.h>

#include <cmath>

#include <filesystem>
#include <fstream>

#include "host/file_error.h"
#include "host/xlsx/xlsx_reader.h"
#include "host/xlsx/xlsx_writer.h"
#include "host/model/chart.h"
#include "model_fixture.h"
#include "package_builder.h"
#include "sheet_snapshot.h"
#include "temp_folder.h"

namespace tavo::testing {
namespace {

using host::PageField;

struct RoundTripTest : ModelFixture {
  TempFolder folder;
  std::unique_ptr<model::Workbook> reload(const model::Workbook& wb) {
    std::string path = folder.file("book.xlsx");
    xlsx::SaveWorkbook(wb, path);
    auto loaded = xlsx::LoadWorkbook(app, path);
    EXPECT_TRUE(loaded.notCarried.empty());
    return std::move(loaded.book);
  }
  // A chart as the chart report shapes it: one series of `values` over the
  // class names in `classes`, titled, with labels and drop lines.
  static host::Chart& ReportChart(host::Worksheet& on, host::Worksheet& data, const Rect& values,
                                  const Rect& classes, double left, double top) {
    host::Chart& c = on.addChart(host::ChartType::LineMarkers, left, top, 382, 192);
    c.setSourceData(data, values, host::PlotBy::Columns);
    c.setSeriesCategories(1, data, classes);
    c.setHasTitle(true);
    c.setTitleText("语文优秀线上线人数：40");
    c.setTitleFontSize(16);
    c.setHasLegend(false);
    c.setHasDropLines(1, true);
    c.applyDataLabels(1);
    return c;
  }
};

TEST_F(RoundTripTest, EverythingTheModelHoldsComesBack) {
  model::Sheet& data = sheet;
  data.setName("数据表");
  put(1, 1, "班级");
  put(1, 2, "语文");
  put(1, 3, "总分");
  put(2, 1, "1班");
  put(2, 2, 88.5);
  put(3, 1, "2班");
  put(3, 2, -1e-7);
  put(4, 2, 1e20);
  put(5, 1, true);
  put(5, 2, host::ErrorKind::NA);
  put(6, 1, " 前后空格 ");
  put(7, 1, "两行\n文字");
  put(8, 1, "控制\x01字符 & <标记>");
  data.applyFormat(host::Rect::of(Cell{9, 1}), [] {
    host::FormatPatch p;
    p.numberFormat = "@";
    return p;
  }());
  data.setTextWithRuns({9, 1}, "007", {});
  formula(2, 3, "=SUM(RC[-1]:R[1]C[-1])");
  formula(3, 3, "=RANK(RC[-1],R2C2:R4C2)");
  formula(4, 3, "=AVERAGE(R2C2:R4C2)/0");
  formula(5, 3, "=\"文字\"");
  data.setFormulaA1({6, 3}, "=FOO(A1)", host::Value(42));  // unknown to the model: kept as loaded

  host::FormatPatch look;
  look.fontName = "黑体";
  look.fontSize = 16;
  look.bold = true;
  look.underline = host::Underline::Single;
  look.fontColorIndex = 5;
  look.fill = host::Fill::Solid(37);
  look.border = host::BorderLine::Continuous;
  look.horizontalAlignment = host::HorizontalAlignment::Center;
  look.verticalAlignment = host::VerticalAlignment::Center;
  look.numberFormat = "0.00";
  data.applyFormat({1, 1, 1, 3}, look);
  host::FormatPatch percent;
  percent.numberFormat = "0.0%";
  data.applyFormat(Rect::columns(5, 5), percent);
  host::FormatPatch grey;
  grey.fill = host::Fill::Solid(15);
  data.applyFormat(Rect::rows(12, 12), grey);

  put(10, 1, "高一年级一模成绩");
  data.setTextRun({10, 1}, {.start = 5, .length = 4, .fontSize = 9.0});
  data.setTextRun({10, 1}, {.start = 1, .length = 2, .fontName = std::string("楷体")});
  data.merge({10, 1, 10, 4});

  data.setRowHeight(1, 1, 30);
  data.setRowHeight(3, 3, 0);
  data.setColumnWidth(2, 2, 12.5);
  data.setColumnWidth(4, 4, 0);
  data.setColumnWidth(6, 8, 3);

  using host::Validation;
  data.addValidation({13, 2, 13, 4}, Validation{.type = host::code::kValidateList, .formula1 = "是,否",
                                                .ignoreBlank = false, .inputMessage = "选择是否"});
  data.addValidation({13, 9, 14, 9},
                     Validation{.type = host::code::kValidateDecimal, .op = host::code::kGreaterEqual,
                                .formula1 = "-1000", .ignoreBlank = false, .inputMessage = "输入系数"});
  data.addValidation(Rect::of(Cell{63, 1}), Validation{.inputMessage = "名称可以修改"});

  host::PageSetup& page = data.pageSetup();
  page.set(PageField::TopMargin, 36);
  page.set(PageField::LeftMargin, 50.4);
  page.set(PageField::HeaderMargin, 5);
  page.set(PageField::Orientation, 2);
  page.set(PageField::PaperSize, 9);
  page.set(PageField::Zoom, 85);
  page.set(PageField::CenterHorizontally, true);
  page.set(PageField::CenterFooter, "&P");
  page.set(PageField::PrintTitleRows, "$1:$2");
  data.addPageBreakAbove(20);
  data.addPageBreakAbove(40);
  data.setTabColorIndex(32);
  data.view().splitRow = 1;
  data.view().freezePanes = true;
  data.view().scrollRow = 3;
  data.view().selection = {2, 2, 2, 2};

  model::Sheet& other = book.appendSheet("张's 表");
  other.setValue(Rect::of(Cell{1, 1}), 5);
  other.setFormulaR1C1(Rect::of(Cell{2, 1}), "=数据表!R2C2*2");
  other.setRowHeight(1, host::kMaxRow, 16);
  other.setColumnWidth(1, host::kMaxCol, 8);
  host::FormatPatch centred;
  centred.horizontalAlignment = host::HorizontalAlignment::Center;
  centred.fontSize = 12;
  other.applyFormat(Rect::sheet(), centred);
  model::Sheet& hidden = book.appendSheet("DTB");
  hidden.setVisible(false);
  book.setColor(37, host::rgb(204, 236, 255));
  book.setColor(15, host::rgb(221, 221, 221));
  book.window().setTabRatio(0.9);
  data.activate();

  auto back = reload(book);
  ASSERT_EQ(back->sheetCount(), 3);
  for (int i = 1; i <= 3; ++i) {
    const model::Sheet& a = book.modelSheet(i);
    const model::Sheet& b = back->modelSheet(i);
    EXPECT_EQ(a.name(), b.name());
    EXPECT_EQ(a.visible(), b.visible());
    auto sa = SheetSnapshot::of(a), sb = SheetSnapshot::of(b);
    EXPECT_TRUE(sa == sb) << a.name() << ": " << SheetSnapshot::diff(sa, sb);
    EXPECT_EQ(a.pageSettings(), b.pageSettings()) << a.name();
    EXPECT_EQ(a.pageBreaks(), b.pageBreaks());
    // Colours are written as RGB, which every program reads; where the
    // palette holds a colour twice (5 and 32 are both blue) the first
    // entry comes back.
    if (a.tabColorIndex() == host::code::kNone) EXPECT_EQ(b.tabColorIndex(), host::code::kNone);
    else EXPECT_EQ(book.color(a.tabColorIndex()), back->color(b.tabColorIndex()));
    EXPECT_EQ(a.merges(), b.merges());
  }
  const model::Sheet& d = back->modelSheet(1);
  EXPECT_EQ(d.value({9, 1}), host::Value("007")) << "text stays text";
  EXPECT_EQ(d.value({6, 1}), host::Value(" 前后空格 "));
  EXPECT_EQ(d.value({8, 1}), host::Value("控制\x01字符 & <标记>"));
  EXPECT_EQ(d.value({6, 3}), host::Value(42)) << "an unknown function keeps its cached value";
  EXPECT_EQ(d.formulaA1({6, 3}), "=FOO(A1)");
  EXPECT_EQ(d.value({4, 3}), host::Value(host::ErrorKind::Div0));
  auto byStart = [](std::vector<host::TextRun> runs) {
    std::sort(runs.begin(), runs.end(), [](auto& a, auto& b) { return a.start < b.start; });
    return runs;
  };
  EXPECT_EQ(byStart(d.textRuns({10, 1})), byStart(book.modelSheet(1).textRuns({10, 1})));
  EXPECT_EQ(d.view().splitRow, 1);
  EXPECT_TRUE(d.view().freezePanes);
  EXPECT_EQ(d.view().scrollRow, 3);
  EXPECT_EQ(d.view().selection, (Rect{2, 2, 2, 2}));
  EXPECT_EQ(back->palette(), book.palette());
  EXPECT_DOUBLE_EQ(back->tabRatio(), 0.9);
  EXPECT_EQ(&back->activeModelSheet(), &back->modelSheet(1));
  EXPECT_EQ(back->modelSheet(2).value({2, 1}), host::Value(177));
}

TEST_F(RoundTripTest, ChartsAndFormulaValuesAreWrittenForOtherPrograms) {
  put(1, 1, "1班");
  put(2, 1, "2班");
  put(1, 2, 30);
  put(2, 2, 41);
  formula(3, 2, "=SUM(R1C2:R2C2)");
  ReportChart(sheet, sheet, {1, 2, 2, 2}, {1, 1, 2, 1}, 0, 192);
  auto parts = xlsx::WorkbookParts(book);
  ASSERT_TRUE(parts.count("xl/charts/chart1.xml"));
  const std::string& c = parts["xl/charts/chart1.xml"];
  EXPECT_NE(c.find("<c:lineChart>"), std::string::npos);
  EXPECT_NE(c.find("Sheet1!$B$1:$B$2"), std::string::npos) << c;
  EXPECT_NE(c.find("Sheet1!$A$1:$A$2"), std::string::npos);
  EXPECT_NE(c.find("sz=\"1600\""), std::string::npos);
  EXPECT_NE(c.find("<c:dropLines>"), std::string::npos);
  EXPECT_NE(c.find("<c:dLblPos val=\"t\"/>"), std::string::npos);
  EXPECT_EQ(c.find("<c:legend>"), std::string::npos);
  const std::string& s = parts["xl/worksheets/sheet1.xml"];
  EXPECT_NE(s.find("<f>SUM($B$1:$B$2)</f><v>71</v>"), std::string::npos) << "formula with the model's value: " << s;
  // Placed in points: 192 points down, 382 wide.
  EXPECT_NE(parts["xl/drawings/drawing1.xml"].find("<xdr:pos x=\"0\" y=\"2438400\"/>"), std::string::npos)
      << parts["xl/drawings/drawing1.xml"];
  auto back = reload(book);
  const auto& chart = back->modelSheet(1).charts().front()->data;
  EXPECT_EQ(chart.top, 192);
  EXPECT_EQ(chart.width, 382);
}

TEST_F(RoundTripTest, RowsOfWrappedLinesAreWrittenTallEnoughUnlessSizedByHand) {
  put(1, 1, "(550\n 545]");
  put(2, 1, "语文\n班\n名次");
  sheet.setRowHeight(2, 2, 20);
  put(3, 1, "一行");
  auto parts = xlsx::WorkbookParts(book);
  const std::string& s = parts["xl/worksheets/sheet1.xml"];
  EXPECT_NE(s.find("<row r=\"1\" ht=\"28.5\">"), std::string::npos) << s;
  EXPECT_NE(s.find("<row r=\"2\" ht=\"20\" customHeight=\"1\">"), std::string::npos) << "the hand's height stays";
  EXPECT_NE(s.find("<row r=\"3\">"), std::string::npos);
  EXPECT_EQ(reload(book)->modelSheet(1).rowHeight(2), 20);
}

TEST_F(RoundTripTest, TextComesBackToTheLetter) {
  const std::vector<std::string> texts = {"_x0041_", "a_x005F_b", "   ", " 前后 ", "x\ny", "\x01"};
  for (std::size_t i = 0; i < texts.size(); ++i) sheet.setTextWithRuns({static_cast<int>(i) + 1, 1}, texts[i], {});
  sheet.setTextWithRuns({1, 2}, "_x0041_", {{.start = 1, .length = 3, .fontSize = 9.0}});
  auto again = reload(book);
  for (std::size_t i = 0; i < texts.size(); ++i)
    EXPECT_EQ(again->modelSheet(1).value({static_cast<int>(i) + 1, 1}), Value(texts[i])) << i;
  EXPECT_EQ(again->modelSheet(1).value({1, 2}), Value("_x0041_")) << "in a rich text too";
}

TEST_F(RoundTripTest, ANumberThatIsNoneIsWrittenAsTheSpreadsheetsError) {
  sheet.setValue(Rect::of(Cell{1, 1}), Value(std::nan("")));
  sheet.setValue(Rect::of(Cell{2, 1}), Value(-HUGE_VAL));
  auto again = reload(book);
  EXPECT_EQ(again->modelSheet(1).value({1, 1}), Value(host::ErrorKind::Num));
  EXPECT_EQ(again->modelSheet(1).value({2, 1}), Value(host::ErrorKind::Num));
  // What earlier versions wrote for it reads as the same error.
  const std::string path = folder.file("old.xlsx");
  xlsx::WriteZip(path, OneSheetPackage("<sheetData><row r=\"1\"><c r=\"A1\"><v>nan</v></c></row></sheetData>"));
  EXPECT_EQ(xlsx::LoadWorkbook(app, path).book->modelSheet(1).value({1, 1}), Value(host::ErrorKind::Num));
}

TEST_F(RoundTripTest, LineChartsComeBackWithTheirLooksAndPlace) {
  model::Sheet& other = book.appendSheet("统计 图");
  for (int r = 1; r <= 4; ++r) {
    put(r, 1, std::to_string(r) + "班");
    put(r, 2, 10 * r);
    put(r, 3, 7 * r);
  }
  sheet.setColumnWidth(1, 3, 12);
  host::Chart& a = ReportChart(other, sheet, {1, 2, 4, 3}, {1, 1, 4, 1}, 0, 192);
  a.setHasAxis(host::ChartAxis::Value, host::AxisGroup::Primary, false);
  a.setAxisHasMajorGridlines(host::ChartAxis::Value, false);
  a.setAxisBetweenCategories(host::ChartAxis::Category, false);
  a.setDataLabelPosition(1, host::LabelPosition::Above);
  a.clearPlotAreaFormats();
  host::Chart& b = other.addChart(host::ChartType::LineMarkers, 382, 0, 382, 192);
  b.setSourceData(other, {1, 5, 1, 8}, host::PlotBy::Rows);

  auto back = reload(book);
  const model::Sheet& o = back->modelSheet(2);
  ASSERT_EQ(o.charts().size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    const model::ChartData& was = dynamic_cast<const model::ModelChart&>(*other.charts()[i]).data;
    const model::ChartData& is = o.charts()[i]->data;
    EXPECT_EQ(is.name, was.name);
    EXPECT_EQ(is.type, was.type);
    EXPECT_EQ(is.sourceSheet->name(), was.sourceSheet->name());
    EXPECT_EQ(is.source, was.source) << i;
    EXPECT_EQ(is.plotBy, was.plotBy);
    EXPECT_EQ(is.hasCategories, was.hasCategories);
    if (was.hasCategories) {
      EXPECT_EQ(is.categories, was.categories);
      EXPECT_EQ(is.categorySheet->name(), was.categorySheet->name());
    }
    EXPECT_EQ(is.hasTitle, was.hasTitle);
    EXPECT_EQ(is.title, was.title);
    EXPECT_EQ(is.titleFontSize, was.titleFontSize);
    EXPECT_EQ(is.hasLegend, was.hasLegend);
    EXPECT_EQ(is.hasValueAxis, was.hasValueAxis);
    EXPECT_EQ(is.valueGridlines, was.valueGridlines);
    EXPECT_EQ(is.axisBetweenCategories, was.axisBetweenCategories);
    EXPECT_EQ(is.hasDropLines, was.hasDropLines);
    EXPECT_EQ(is.dataLabels, was.dataLabels);
    EXPECT_EQ(is.dataLabelPosition, was.dataLabelPosition);
    EXPECT_EQ(is.plotAreaCleared, was.plotAreaCleared);
    EXPECT_NEAR(is.left, was.left, 0.01);
    EXPECT_NEAR(is.top, was.top, 0.01);
    EXPECT_NEAR(is.width, was.width, 0.01);
    EXPECT_NEAR(is.height, was.height, 0.01);
  }
}

TEST_F(RoundTripTest, SavingReplacesTheFileWholeAndLeavesNoTemporaryFile) {
  std::string path = folder.file("成绩.xlsx");
  put(1, 1, "旧");
  xlsx::SaveWorkbook(book, path);
  put(1, 1, "新");
  xlsx::SaveWorkbook(book, path);
  auto loaded = xlsx::LoadWorkbook(app, path);
  EXPECT_EQ(loaded.book->modelSheet(1).value({1, 1}), host::Value("新"));
  int files = 0;
  for (auto& e : std::filesystem::directory_iterator(folder.path)) files += e.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 1);
  EXPECT_THROW(xlsx::SaveWorkbook(book, folder.file("no/such/folder/x.xlsx")), host::FileError);
}

}  // namespace
}  // namespace tavo::testing

namespace tavo::testing {
namespace {

namespace fs = std::filesystem;

struct SavingTest : ModelFixture {
  TempFolder folder;
  std::string read(const std::string& path) {
    return host::toText(xlsx::LoadWorkbook(app, path).book->modelSheet(1).value({1, 1}));
  }
};

TEST_F(SavingTest, ALinkIsSavedThroughToItsTargetAndStaysALink) {
  const std::string target = folder.file("真的.xlsx"), link = folder.file("链接.xlsx");
  put(1, 1, "旧");
  xlsx::SaveWorkbook(book, target);
  fs::create_symlink(target, link);
  put(1, 1, "新");
  xlsx::SaveWorkbook(book, link);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(read(target), "新");
}

TEST_F(SavingTest, AReadOnlyFileIsRefusedAndLeftAsItWas) {
  const std::string path = folder.file("只读.xlsx");
  put(1, 1, "旧");
  xlsx::SaveWorkbook(book, path);
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  put(1, 1, "新");
  try {
    xlsx::SaveWorkbook(book, path);
    FAIL() << "saved over a read-only file";
  } catch (const host::FileError& e) {
    EXPECT_NE(e.reason.find("只读"), std::string::npos) << e.reason;
  }
  EXPECT_EQ(read(path), "旧");
}

TEST_F(SavingTest, TemporariesOfAKilledSaveAreClearedByTheNext) {
  const std::string path = folder.file("成绩.xlsx");
  std::ofstream(folder.file(".成绩.xlsx.a1B2c3")) << "half a zip";
  std::ofstream(folder.file(".其他.xlsx.a1B2c3")) << "another file's";
  std::ofstream(folder.file(".成绩.xlsx.notmine")) << "not of our pattern";
  xlsx::SaveWorkbook(book, path);
  EXPECT_FALSE(fs::exists(folder.file(".成绩.xlsx.a1B2c3")));
  EXPECT_TRUE(fs::exists(folder.file(".其他.xlsx.a1B2c3")));
  EXPECT_TRUE(fs::exists(folder.file(".成绩.xlsx.notmine")));
}

}  // namespace
}  // namespace tavo::testing
