// Re-creating report sheets and carrying the user's layout across runs.
#include <gtest/gtest.h>

#include "host_fixture.h"
#include "sheetutil/layout_store.h"
#include "sheetutil/sheet_routines.h"

namespace tavo::testing {
namespace {

using namespace sheetutil;
using host::PageField;

struct ReportSheetTest : HostFixture {
  model::Workbook& data = app.createWorkbook("一模.xlsx", kDataFolder);
  host::Worksheet& dataSheet = data.sheet(1);
  ReportSheetTest() { dataSheet.setName("数据表"); }
  host::Worksheet& recreate(const std::string& name, int row) {
    return RecreateReportSheet(app, "一模.xlsx", store, dataSheet, name, row);
  }
};

TEST_F(ReportSheetTest, FirstRunAddsTheSheetBeforeTheDataSheetAndLeavesTheStore) {
  host::Worksheet& s = recreate("总分1", kTotal1);
  EXPECT_EQ(s.name(), "总分1");
  EXPECT_EQ(&data.activeSheet(), &s);
  EXPECT_EQ(data.sheet(1).name(), "总分1");
  EXPECT_EQ(data.sheet(2).name(), "数据表");
  EXPECT_EQ(store.usedRange(), host::Rect::of(host::Cell{1, 1})) << "nothing stored";
  EXPECT_TRUE(store.value({1, 1}).isEmpty());
}

TEST_F(ReportSheetTest, SecondRunStoresTheUsersLayoutAndReplacesTheSheet) {
  recreate("单科1", kSingle1);
  host::Worksheet& first = recreate("总分1", kTotal1);
  first.setRowHeight(1, 1, 40);
  first.setRowHeight(2, 2, 30);
  first.setRowHeight(3, 3, 0);  // hidden: stored as 15
  first.setValue(host::Rect::of(host::Cell{5, 5}), "old");
  host::PageSetup& page = first.pageSetup();
  page.set(PageField::TopMargin, 20);
  page.set(PageField::Orientation, 2);
  page.set(PageField::PaperSize, 9);
  page.set(PageField::Zoom, 85);
  page.set(PageField::CenterHorizontally, true);
  page.set(PageField::LeftMargin, 11);

  host::Worksheet& second = recreate("总分1", kTotal1);
  EXPECT_TRUE(second.value({5, 5}).isEmpty()) << "a fresh sheet";
  EXPECT_EQ(data.sheetCount(), 3);
  EXPECT_EQ(data.sheet(2).name(), "总分1") << "again right before the data sheet";
  EXPECT_EQ(data.sheet(1).name(), "单科1");
  EXPECT_EQ(store.value({kTotal1, 1}), host::Value(40));
  EXPECT_EQ(store.value({kTotal1, 2}), host::Value(30));
  EXPECT_EQ(store.value({kTotal1, 3}), host::Value(15));
  EXPECT_EQ(store.value({kTotal1, 11}), host::Value(20));
  EXPECT_EQ(store.value({kTotal1, 14}), host::Value(2));
  EXPECT_EQ(store.value({kTotal1, 16}), host::Value(85));
  EXPECT_EQ(store.value({kTotal1, 17}), host::Value(true));
  EXPECT_EQ(store.value({kTotal1, 18}), host::Value(11));

  ApplyPageSetup(second, store, kTotal1, "$1:$2");
  const host::PageSetup& now = second.pageSetup();
  EXPECT_EQ(now.get(PageField::TopMargin), host::Value(20));
  EXPECT_EQ(now.get(PageField::Orientation), host::Value(2));
  EXPECT_EQ(now.get(PageField::Zoom), host::Value(85));
  EXPECT_EQ(now.get(PageField::CenterHorizontally), host::Value(true));
  EXPECT_EQ(now.get(PageField::HeaderMargin), host::Value(5));
  EXPECT_EQ(now.get(PageField::CenterFooter), host::Value("&P"));
  EXPECT_EQ(now.get(PageField::PrintTitleRows), host::Value("$1:$2"));
}

TEST_F(ReportSheetTest, EmptyStoreRowKeepsTheHostDefaults) {
  host::Worksheet& s = recreate("分段表", kBands);
  host::PageSetup& page = s.pageSetup();
  const host::Value top = page.get(PageField::TopMargin), orientation = page.get(PageField::Orientation),
                    zoom = page.get(PageField::Zoom);
  ApplyPageSetup(s, store, kBands, "$1:$1");
  EXPECT_EQ(page.get(PageField::TopMargin), top);
  EXPECT_EQ(page.get(PageField::Orientation), orientation);
  EXPECT_EQ(page.get(PageField::Zoom), zoom);
  EXPECT_EQ(page.get(PageField::HeaderMargin), host::Value(5));
  EXPECT_EQ(page.get(PageField::CenterFooter), host::Value("&P"));
  EXPECT_EQ(page.get(PageField::PrintTitleRows), host::Value("$1:$1"));
}

TEST_F(ReportSheetTest, AReportNeverLandsInASheetOfAnotherName) {
  EXPECT_THROW(recreate("总分/1", kTotal1), host::HostError);
  EXPECT_EQ(data.sheetCount(), 1) << "the sheet that could not take the name is gone again";
  EXPECT_EQ(&data.activeSheet(), &dataSheet);
  EXPECT_THROW(RecreateReportSheet(app, "缺.xlsx", store, dataSheet, "总分1", kTotal1), host::HostError);
}

}  // namespace
}  // namespace tavo::testing
