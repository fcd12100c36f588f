// The command line as scripts and teachers use it: exit statuses, message
// boxes on standard error, and files left alone unless a command changed them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "host/model/recording_platform.h"
#include "host/xlsx/xlsx_reader.h"
#include "host/xlsx/xlsx_writer.h"
#include "host/xlsx/zip_archive.h"
#include "temp_folder.h"
#include "workbooks/starting_workbooks.h"

namespace tavo::testing {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status;
  std::string out, err;
};

struct CommandLineTest : ::testing::Test {
  TempFolder folder;
  std::string dir = folder.file("school");

  Outcome tavo(const std::string& args) {
    std::string out = folder.file("out.txt"), err = folder.file("err.txt");
    std::string command = "cd '" + folder.path.string() + "' && " + TAVO_BINARY + " " + args + " >'" + out +
                          "' 2>'" + err + "' </dev/null";
    int raw = std::system(command.c_str());
    auto slurp = [](const std::string& path) {
      std::ifstream in(path);
      return std::string(std::istreambuf_iterator<char>(in), {});
    };
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
  }
  std::string system() const { return dir + "/成绩统计.xlsx"; }
  std::string data(const std::string& name) const { return dir + "/数据/" + name; }
  static std::string bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // A score workbook in the data folder, saved by tavo's own writer.
  void scoreFile(const std::string& name) {
    model::RecordingPlatform platform;
    model::Application app(platform);
    auto book = workbooks::SampleScoreWorkbook(app, dir + "/数据", workbooks::GenerateSampleScores());
    xlsx::SaveWorkbook(*book, data(name));
  }
};

TEST_F(CommandLineTest, VersionHelpAndUsageErrors) {
  EXPECT_EQ(tavo("--version").status, 0);
  EXPECT_EQ(tavo("--help").status, 0);
  EXPECT_EQ(tavo("").status, 1);
  EXPECT_EQ(tavo("frobnicate").status, 1);
  Outcome o = tavo("run --system x.xlsx cmdsanxiansz_click");
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("未知命令 cmdsanxiansz_click"), std::string::npos) << o.err;
  EXPECT_EQ(tavo("run --bogus 1 UFInitialize").status, 1);
  EXPECT_EQ(tavo("run").status, 1);
}

TEST_F(CommandLineTest, InitCreatesTheSystemWorkbookOnceAndNeverOverwritesIt) {
  Outcome o = tavo("init school");
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_TRUE(fs::is_directory(dir + "/数据"));
  model::RecordingPlatform platform;
  model::Application app(platform);
  auto loaded = xlsx::LoadWorkbook(app, system());
  for (const char* sheet : {"三线版", "双线版", "四率版", "赋分版", "图表版", "DTB"})
    EXPECT_NE(loaded.book->findModelSheet(sheet), nullptr) << sheet;
  EXPECT_EQ(loaded.book->findModelSheet("三线版")->value({11, 2}), host::Value("统计参数")) << "laid out";
  EXPECT_EQ(loaded.book->findModelSheet("DTB")->value({10, 15}), host::Value(9)) << "A4 in the store";

  std::string before = bytes(system());
  o = tavo("init school");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(bytes(system()), before);
}

TEST_F(CommandLineTest, ListShowsTheDataFolderAsTheDialogDoes) {
  ASSERT_EQ(tavo("init school").status, 0);
  scoreFile("二模.xlsx");
  scoreFile("一模.xlsx");
  std::ofstream(data(".hidden")) << "x";
  fs::create_directories(data("子文件夹"));
  Outcome o = tavo("list --system school/成绩统计.xlsx");
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "一模.xlsx\n二模.xlsx\n");
}

TEST_F(CommandLineTest, WarningsErrorsAndTheirStatuses) {
  ASSERT_EQ(tavo("init school").status, 0);
  scoreFile("一模.xlsx");
  std::string sys = "--system school/成绩统计.xlsx ";

  Outcome o = tavo("run " + sys + "MyHelp");
  EXPECT_EQ(o.status, 3);
  EXPECT_EQ(o.err.rfind("[错误] 错误[1004]\n", 0), 0u) << o.err;
  EXPECT_NE(o.err.find("帮助.doc"), std::string::npos);

  o = tavo("run " + sys + "--select 三模.xlsx ltbCJBChange");
  EXPECT_EQ(o.status, 1) << "not in the data folder";

  std::string before = bytes(data("一模.xlsx"));
  o = tavo("run " + sys + "nosuch");
  EXPECT_EQ(o.status, 1);
  o = tavo("run " + sys + "--select 一模.xlsx ltbCJBChange");
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.out.find("ltbCJBChange  一模.xlsx: 数据表"), std::string::npos) << o.out;
  EXPECT_NE(bytes(data("一模.xlsx")), before) << "the cleaned data sheet is saved";

  // The score bands run against the sheet --csb names; without it, none.
  o = tavo("run " + sys + "--select 一模.xlsx cmdCJ_Click");
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.err, "[警告] 系统工作簿缺少  参数表，请检查！\n");
  o = tavo("run " + sys + "--select 一模.xlsx --csb 三线版 cmdCJ_Click");
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.err, "[警告] 数据表缺少三线版参数表中的班级名，请检查！\n") << "no classes typed yet";

  // Remove a settings sheet: its layout command warns.
  {
    model::RecordingPlatform platform;
    model::Application app(platform);
    auto loaded = xlsx::LoadWorkbook(app, system());
    loaded.book->deleteSheet(*loaded.book->findModelSheet("三线版"));
    xlsx::SaveWorkbook(*loaded.book, system());
  }
  before = bytes(system());
  o = tavo("run " + sys + "cmdSanXianSZ_Click");
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.err, "[警告] 系统工作簿缺少 三线版，请检查！\n");
  EXPECT_EQ(bytes(system()), before) << "nothing changed, nothing saved";
}

TEST_F(CommandLineTest, UnreadableWorkbooksStopWithStatusOne) {
  Outcome o = tavo("run --system nowhere.xlsx UFInitialize");
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("nowhere.xlsx"), std::string::npos);

  ASSERT_EQ(tavo("init school").status, 0);
  std::ofstream(data("坏.xlsx")) << "这不是工作簿";
  o = tavo("run --system school/成绩统计.xlsx --select 坏.xlsx ltbCJBChange");
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("坏.xlsx"), std::string::npos) << o.err;
  EXPECT_EQ(bytes(data("坏.xlsx")), "这不是工作簿");
}

// A data sheet merged as one area over (nearly) every cell: the selection
// stops at the error box, and the file, whose rows it had begun to clear,
// is not written. Written, a merge is a range of cells other programs read.
TEST_F(CommandLineTest, ACommandThatStopsAtTheErrorBoxSavesNothing) {
  ASSERT_EQ(tavo("init school").status, 0);
  scoreFile("一模.xlsx");
  {
    model::RecordingPlatform platform;
    model::Application app(platform);
    auto loaded = xlsx::LoadWorkbook(app, data("一模.xlsx"));
    loaded.book->findModelSheet("数据表")->merge(host::Rect{1, 1, 1048300, host::kMaxCol});
    xlsx::SaveWorkbook(*loaded.book, data("一模.xlsx"));
  }
  const std::string merged = bytes(data("一模.xlsx"));
  const std::string sheet = xlsx::ReadZip(data("一模.xlsx")).at("xl/worksheets/sheet1.xml");
  EXPECT_NE(sheet.find("<mergeCell ref=\"A1:XFD1048300\"/>"), std::string::npos);
  EXPECT_NE(sheet.find("<dimension ref=\"A1:"), std::string::npos);

  Outcome o = tavo("run --system school/成绩统计.xlsx --select 一模.xlsx cmdSanXianTJ_Click");
  EXPECT_EQ(o.status, 3) << o.err;
  EXPECT_NE(o.err.find("未保存任何文件"), std::string::npos) << o.err;
  EXPECT_EQ(o.out.find("已保存"), std::string::npos) << o.out;
  EXPECT_EQ(bytes(data("一模.xlsx")), merged) << "the teacher's rows are all still there";
}

TEST_F(CommandLineTest, AWorkbookWithPartsTavoCannotKeepIsBackedUpBeforeItIsSaved) {
  ASSERT_EQ(tavo("init school").status, 0);
  scoreFile("一模.xlsx");
  auto parts = xlsx::ReadZip(data("一模.xlsx"));
  parts["xl/media/image1.png"] = "not really a picture";
  xlsx::WriteZip(data("一模.xlsx"), parts);
  std::string original = bytes(data("一模.xlsx"));

  Outcome o = tavo("run --system school/成绩统计.xlsx --select 一模.xlsx ltbCJBChange");
  EXPECT_EQ(o.status, 0);
  EXPECT_NE(o.err.find("图片"), std::string::npos) << o.err;
  EXPECT_EQ(bytes(data("一模.xlsx.bak")), original);
  EXPECT_NE(bytes(data("一模.xlsx")), original);
}

TEST_F(CommandLineTest, DemoRunsEverythingBuiltAndShowPrintsASheet) {
  Outcome o = tavo("demo school");
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.out.find("cmdSanXianSZ_Click"), std::string::npos);
  EXPECT_TRUE(fs::exists(data("示例成绩.xlsx")));
  EXPECT_EQ(tavo("demo school").status, 0) << "the demo folder may be made again";

  o = tavo("show school/数据/示例成绩.xlsx 数据表");
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out.rfind("考号", 0), 0u) << o.out.substr(0, 200);
  EXPECT_EQ(tavo("show school/数据/示例成绩.xlsx 没有").status, 1);

  ASSERT_EQ(tavo("init mine").status, 0);
  EXPECT_EQ(tavo("demo mine").status, 1) << "a teacher's folder is not the demo's";
}

}  // namespace
}  // namespace tavo::testing

namespace tavo::testing {
namespace {

TEST_F(CommandLineTest, ShowPrintsTheCellsThereAreNotTheGridBetweenThem) {
  {
    model::RecordingPlatform platform;
    model::Application app(platform);
    model::Workbook book(app, "稀疏.xlsx", folder.path.string());
    book.modelSheet(1).setValue(host::Rect::of({1, 1}), host::Value("左上"));
    book.modelSheet(1).setValue(host::Rect::of({host::kMaxRow, host::kMaxCol}), host::Value("右下"));
    xlsx::SaveWorkbook(book, folder.file("稀疏.xlsx"));
  }
  Outcome o = tavo("show 稀疏.xlsx");
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, "左上\n\n      右下\n");

  // What `run` reads, `show` shows: a .csv too.
  std::ofstream(folder.file("名单.csv")) << "班级,姓名\n1班,张三\n";
  o = tavo("show 名单.csv");
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.out.find("张三"), std::string::npos) << o.out;
}

}  // namespace
}  // namespace tavo::testing
