// Writes a generated school as files for the whole-run benchmark: types the
// settings into a system workbook made by `tavo init` and writes the score
// workbook.
//   tavo_bench_school SYSTEM.xlsx SCORES.xlsx STUDENTS CLASSES [switches-off]
//                     [numeric-classes] [sorted] [total] [seed=N] [questions=N]
//                     [earlier=FILE]
// With a seed, every switch of every settings sheet, the weights, the
// lines' methods, the class names, one or two grade groups and columns
// beside the subjects are drawn from it: a school unlike the others, for
// comparing two builds' reports. With an earlier exam, FILE beside the
// scores holds the same students a little apart (the last in a hundred not
// yet there), and 分析版 names it.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "host/model/application.h"
#include "host/model/recording_platform.h"
#include "host/xlsx/xlsx_reader.h"
#include "host/xlsx/xlsx_writer.h"
#include "random_school.h"
#include "school.h"

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr,
                 "usage: tavo_bench_school SYSTEM.xlsx SCORES.xlsx STUDENTS CLASSES [switches-off] [numeric-classes] "
                 "[sorted] [total]\n");
    return 1;
  }
  tavo::bench::SchoolShape shape;
  unsigned seed = 0;
  int questions = 0;
  std::string earlier;
  for (int i = 5; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "switches-off") shape.switchesOn = false;
    else if (option == "numeric-classes") shape.numericClasses = true;
    else if (option == "sorted") shape.sortedRows = true;
    else if (option == "total") shape.totalColumn = true;
    else if (option.starts_with("seed=")) seed = static_cast<unsigned>(std::atoi(option.c_str() + 5));
    else if (option.starts_with("questions=")) questions = std::atoi(option.c_str() + 10);
    else if (option.starts_with("earlier="))
      earlier = option.substr(8);
    else {
      std::fprintf(stderr, "unknown option %s\n", argv[i]);
      return 1;
    }
  }
  const int students = std::atoi(argv[3]), classes = std::atoi(argv[4]);
  tavo::model::RecordingPlatform platform;
  tavo::model::Application app(platform);
  auto system = tavo::xlsx::LoadWorkbook(app, argv[1]);
  if (seed) tavo::bench::DrawShape(seed, shape);
  tavo::bench::TypeAllSettings(*system.book, students, classes, shape);
  if (seed) tavo::bench::DrawSettings(*system.book, seed, classes);
  if (auto* analysis = system.book->findModelSheet("分析版"); analysis && !earlier.empty())
    analysis->setValue(tavo::host::Rect::of({13, 3}), tavo::host::Value(earlier));
  tavo::xlsx::SaveWorkbook(*system.book, argv[1]);

  const std::filesystem::path scores = argv[2];
  auto& book = app.createWorkbook(scores.filename().string(), scores.parent_path().string());
  book.modelSheet(1).setName("数据表");
  auto table = tavo::bench::ScoreTable(students, classes, shape);
  if (seed) table = tavo::bench::Widened(std::move(table), seed);
  if (questions > 0) table = tavo::bench::WithQuestions(std::move(table), questions);
  book.modelSheet(1).setValues({1, 1}, table);
  tavo::xlsx::SaveWorkbook(book, scores.string());
  if (!earlier.empty()) {
    auto& before = app.createWorkbook(earlier, scores.parent_path().string());
    before.modelSheet(1).setName("数据表");
    before.modelSheet(1).setValues({1, 1}, tavo::bench::EarlierExam(table));
    tavo::xlsx::SaveWorkbook(before, (scores.parent_path() / earlier).string());
  }
  return 0;
}
