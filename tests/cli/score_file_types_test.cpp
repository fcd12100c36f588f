// Score files as teachers have them: .csv in UTF-8 or GBK and the old .xls
// give the same reports as the .xlsx of the same scores, and are never
// written themselves.
#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "host/csv/csv_reader.h"
#include "host/file_error.h"
#include "host/model/recording_platform.h"
#include "host/xls/xls_reader.h"
#include "host/xlsx/xlsx_reader.h"
#include "host/xlsx/xlsx_writer.h"
#include "temp_folder.h"
#include "workbooks/starting_workbooks.h"

namespace tavo::testing {
namespace {

namespace fs = std::filesystem;

std::string Gb18030(const std::string& utf8) {
  iconv_t cd = iconv_open("GB18030", "UTF-8");
  std::string out(utf8.size() * 2 + 8, '\0');
  char* in = const_cast<char*>(utf8.data());
  std::size_t inLeft = utf8.size(), outLeft = out.size();
  char* to = out.data();
  iconv(cd, &in, &inLeft, &to, &outLeft);
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

std::string Quoted(const std::string& field) {
  std::string q = "\"";
  for (char c : field) q += c == '"' ? std::string("\"\"") : std::string(1, c);
  return q + "\"";
}

// A compound file holding one stream of 4096 bytes, as an encrypted
// workbook holds its package: header, one allocation sector, one
// directory sector, the stream's eight sectors.
std::string CompoundFileWithStream(const std::u16string& name) {
  std::string file(512 * 11, '\0');
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  auto put16 = [&](std::size_t at, std::uint16_t v) {
    file[at] = static_cast<char>(v & 0xFF);
    file[at + 1] = static_cast<char>(v >> 8);
  };
  file.replace(0, 8, std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
  put16(0x18, 0x3E), put16(0x1A, 3), put16(0x1C, 0xFFFE), put16(0x1E, 9), put16(0x20, 6);
  put32(0x2C, 1), put32(0x30, 1), put32(0x38, 4096), put32(0x3C, 0xFFFFFFFE), put32(0x44, 0xFFFFFFFE);
  put32(0x4C, 0);
  for (std::size_t at = 0x50; at < 512; at += 4) put32(at, 0xFFFFFFFF);
  const std::size_t fat = 512, dir = 1024;
  for (std::size_t i = 0; i < 128; ++i) put32(fat + 4 * i, 0xFFFFFFFF);
  put32(fat, 0xFFFFFFFD), put32(fat + 4, 0xFFFFFFFE);
  for (std::uint32_t s = 2; s < 9; ++s) put32(fat + 4 * s, s + 1);
  put32(fat + 4 * 9, 0xFFFFFFFE);
  auto entry = [&](std::size_t at, const std::u16string& entryName, char type, std::uint32_t child,
                   std::uint32_t start, std::uint32_t size) {
    for (std::size_t i = 0; i < entryName.size(); ++i) put16(at + 2 * i, entryName[i]);
    put16(at + 0x40, static_cast<std::uint16_t>(2 * (entryName.size() + 1)));
    file[at + 0x42] = type;
    file[at + 0x43] = 1;
    put32(at + 0x44, 0xFFFFFFFF), put32(at + 0x48, 0xFFFFFFFF), put32(at + 0x4C, child);
    put32(at + 0x74, start), put32(at + 0x78, size);
  };
  entry(dir, u"Root Entry", 5, 1, 0xFFFFFFFE, 0);
  entry(dir + 128, name, 2, 0xFFFFFFFF, 2, 4096);
  for (std::size_t at = dir + 256; at < dir + 512; at += 128)
    put32(at + 0x44, 0xFFFFFFFF), put32(at + 0x48, 0xFFFFFFFF), put32(at + 0x4C, 0xFFFFFFFF);
  return file;
}

struct ScoreFileTypesTest : ::testing::Test {
  TempFolder folder;
  std::string school = folder.file("school");
  model::RecordingPlatform platform;
  model::Application app{platform};

  int tavo(const std::string& args, std::string* err = nullptr) {
    const std::string errFile = folder.file("err.txt");
    const std::string command = "cd '" + folder.path.string() + "' && " + TAVO_BINARY + " " + args +
                                " >/dev/null 2>'" + errFile + "' </dev/null";
    int raw = std::system(command.c_str());
    if (err) {
      std::ifstream in(errFile);
      *err = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
  std::string data(const std::string& name) const { return school + "/数据/" + name; }
  static std::string bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // The demo's students as a CSV: quoted names with a comma, a quote and a
  // line break in the header's last field.
  std::string csvText() const {
    const workbooks::SampleScores sample = workbooks::GenerateSampleScores();
    std::string text = "考号,姓名,班级";
    for (const auto& s : sample.subjects) text += "," + s;
    text += "," + Quoted("备注,\n（\"可空\"）") + "\r\n";
    for (const auto& st : sample.students) {
      text += st.id + "," + Quoted(st.name) + "," + st.className;
      for (const auto& typed : st.entered) text += "," + typed;
      text += ",\r\n";
    }
    return text;
  }
  // Every value of a report sheet but those naming the file.
  std::vector<std::string> reportValues(const std::string& path, const char* sheetName) {
    auto loaded = xlsx::LoadWorkbook(app, path);
    const model::Sheet* s = loaded.book->findModelSheet(sheetName);
    if (!s) return {"no sheet " + std::string(sheetName)};
    std::vector<std::string> values;
    const host::Rect used = s->usedRange();
    for (int r = used.top; r <= used.bottom; ++r)
      for (int c = used.left; c <= used.right; ++c) {
        std::string v = host::displayText(s->value({r, c}));
        if (v.find("统计\n") == std::string::npos) values.push_back(v);
      }
    return values;
  }
};

TEST_F(ScoreFileTypesTest, CsvAndXlsGiveTheReportsOfTheXlsxAndStayUntouched) {
  ASSERT_EQ(tavo("demo school"), 0);  // settings, and 示例成绩.xlsx with every report
  const std::string bom = "\xEF\xBB\xBF";
  std::ofstream(data("期中.csv"), std::ios::binary) << bom + csvText();
  std::ofstream(data("期中GBK.csv"), std::ios::binary) << Gb18030(csvText());
  const std::string utf8Before = bytes(data("期中.csv")), gbkBefore = bytes(data("期中GBK.csv"));

  const std::string sys = "run --system school/成绩统计.xlsx --select ";
  ASSERT_EQ(tavo(sys + "期中.csv cmdSanXianTJ_Click"), 0);
  ASSERT_EQ(tavo(sys + "期中GBK.csv cmdSanXianTJ_Click"), 0);
  EXPECT_EQ(bytes(data("期中.csv")), utf8Before) << "the original is never written";
  EXPECT_EQ(bytes(data("期中GBK.csv")), gbkBefore);
  for (const char* sheet : {"总分1", "单科1"}) {
    const auto expected = reportValues(data("示例成绩.xlsx"), sheet);
    ASSERT_GT(expected.size(), 100u) << sheet;
    EXPECT_EQ(reportValues(data("期中.xlsx"), sheet), expected) << sheet;
    EXPECT_EQ(reportValues(data("期中GBK.xlsx"), sheet), expected) << sheet;
  }
  {
    auto loaded = xlsx::LoadWorkbook(app, data("期中.xlsx"));
    const model::Sheet& table = *loaded.book->findModelSheet("数据表");
    EXPECT_EQ(table.value({1, 10}), host::Value("备注,\n（\"可空\"）")) << "a quoted field with a comma, quotes and a line break";
    EXPECT_EQ(table.value({2, 1}).kind(), host::Value::Kind::Number) << "numbers typed as numbers";
  }

  // STEM.xlsx exists now: selecting the .csv again is refused, nothing written.
  const std::string converted = bytes(data("期中.xlsx"));
  std::string err;
  EXPECT_EQ(tavo(sys + "期中.csv cmdSanXianTJ_Click", &err), 1);
  EXPECT_NE(err.find("期中.xlsx"), std::string::npos) << err;
  EXPECT_EQ(bytes(data("期中.xlsx")), converted);
  EXPECT_EQ(bytes(data("期中.csv")), utf8Before);

  // The old binary format, made by LibreOffice from the xlsx of the scores.
  if (std::system("command -v soffice >/dev/null 2>&1") != 0) GTEST_SKIP() << "LibreOffice is not installed";
  {
    model::Application scratch(platform);
    xlsx::SaveWorkbook(
        *workbooks::SampleScoreWorkbook(scratch, folder.path.string(), workbooks::GenerateSampleScores()),
        folder.file("期末.xlsx"));
  }
  const std::string convert = "cd '" + folder.path.string() + "' && soffice --headless --norestore -env:UserInstallation=file://" +
                              folder.file("profile") + " --convert-to xls --outdir '" + school + "/数据' 期末.xlsx >/dev/null 2>&1";
  ASSERT_EQ(std::system(convert.c_str()), 0);
  const std::string xlsBefore = bytes(data("期末.xls"));
  ASSERT_EQ(tavo(sys + "期末.xls cmdSanXianTJ_Click", &err), 0) << err;
  EXPECT_EQ(bytes(data("期末.xls")), xlsBefore);
  for (const char* sheet : {"总分1", "单科1"})
    EXPECT_EQ(reportValues(data("期末.xlsx"), sheet), reportValues(data("示例成绩.xlsx"), sheet)) << sheet;

  // The old format given the new name is read as what it is; saved as a
  // real .xlsx in its place, its original is kept beside it first.
  std::ofstream(data("补考.xlsx"), std::ios::binary) << xlsBefore;
  ASSERT_EQ(tavo(sys + "补考.xlsx cmdSanXianTJ_Click", &err), 0) << err;
  EXPECT_EQ(bytes(data("补考.xlsx.bak")), xlsBefore);
  EXPECT_EQ(reportValues(data("补考.xlsx"), "总分1"), reportValues(data("示例成绩.xlsx"), "总分1"));
}

TEST_F(ScoreFileTypesTest, TextFilesDecodeAndSplitAsSpreadsheetsOpenThem) {
  EXPECT_EQ(csv::DecodeText("\xEF\xBB\xBF" "班级", "f"), "班级");
  EXPECT_EQ(csv::DecodeText(Gb18030("班级,语文"), "f"), "班级,语文");
  EXPECT_THROW(csv::DecodeText("\xEF\xBB\xBF\xC3\x28", "f"), host::FileError) << "marked UTF-8 that is not";
  const auto records = csv::SplitRecords("a,\"b,c\",\"d\"\"e\"\n\"f\ng\",,\n\n", ',');
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0], (std::vector<std::string>{"a", "b,c", "d\"e"}));
  EXPECT_EQ(records[1], (std::vector<std::string>{"f\ng", "", ""}));
  EXPECT_EQ(csv::SplitRecords("班级\t语文\r\n1班\t90", '\t')[1], (std::vector<std::string>{"1班", "90"}));
}

TEST_F(ScoreFileTypesTest, ASelectionAloneCleansAndSavesTheFile) {
  ASSERT_EQ(tavo("init school"), 0);
  std::ofstream(data("名单.csv"), std::ios::binary) << "班级,姓名\n1 班,张三\n";
  std::string err;
  ASSERT_EQ(tavo("run --system school/成绩统计.xlsx --select 名单.csv", &err), 0) << err;
  auto loaded = xlsx::LoadWorkbook(app, data("名单.xlsx"));
  EXPECT_EQ(loaded.book->findModelSheet("数据表")->value({2, 1}), host::Value("1班")) << "the space cleaned";
  EXPECT_EQ(tavo("run --system school/成绩统计.xlsx"), 1) << "neither a selection nor a command";
}

TEST_F(ScoreFileTypesTest, AnEncryptedWorkbookIsNamedAsProtectedAndLeftAlone) {
  ASSERT_EQ(tavo("init school"), 0);
  const std::string locked = CompoundFileWithStream(u"EncryptedPackage");
  std::ofstream(data("加密.xlsx"), std::ios::binary) << locked;
  std::string err;
  EXPECT_EQ(tavo("run --system school/成绩统计.xlsx --select 加密.xlsx ltbCJBChange", &err), 1);
  EXPECT_NE(err.find("密码保护"), std::string::npos) << err;
  EXPECT_EQ(bytes(data("加密.xlsx")), locked);
  // A compound file of anything else is no workbook, as before.
  std::ofstream(data("别的.xlsx"), std::ios::binary) << CompoundFileWithStream(u"Contents");
  EXPECT_EQ(tavo("run --system school/成绩统计.xlsx --select 别的.xlsx ltbCJBChange", &err), 1);
  EXPECT_NE(err.find("不是有效的 xlsx 文件"), std::string::npos) << err;
}

}  // namespace
}  // namespace tavo::testing
