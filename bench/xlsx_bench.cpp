// Loading and saving a generated score workbook: 20,000 students, 12
// columns (class, name, ten subjects), against python3-openpyxl loading and
// saving the same file in the same run. Target: tavo at least 10x faster.
//   tavo_bench_xlsx [--students=N] [--repeat=K] [--no-targets]
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/model/application.h"
#include "host/model/recording_platform.h"
#include "host/xlsx/xlsx_reader.h"
#include "host/xlsx/xlsx_writer.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void Generate(tavo::model::Workbook& book, int students) {
  auto& s = book.modelSheet(1);
  s.setName("数据表");
  const char* subjects[] = {"语文", "数学", "英语", "物理", "化学", "生物", "政治", "历史", "地理", "技术"};
  s.setValue(tavo::host::Rect::of({1, 1}), "班级");
  s.setValue(tavo::host::Rect::of({1, 2}), "姓名");
  for (int j = 0; j < 10; ++j) s.setValue(tavo::host::Rect::of({1, 3 + j}), subjects[j]);
  unsigned x = 12345;
  auto next = [&] { return x = x * 1103515245u + 12345u, (x >> 8) & 0xFFFF; };
  tavo::host::Grid g(students, 12);
  for (int r = 0; r < students; ++r) {
    g.at(r, 0) = std::to_string(1 + next() % 60) + "班";
    g.at(r, 1) = "学生" + std::to_string(r + 1);
    for (int j = 0; j < 10; ++j) g.at(r, 2 + j) = static_cast<double>(next() % 301) / 2;
  }
  s.setValues({2, 1}, g);
}

}  // namespace

int main(int argc, char** argv) {
  int students = 20000, repeat = 5;
  bool targets = true;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--students=", 11) == 0) students = std::atoi(argv[i] + 11);
    if (std::strncmp(argv[i], "--repeat=", 9) == 0) repeat = std::max(1, std::atoi(argv[i] + 9));
    if (std::strcmp(argv[i], "--no-targets") == 0) targets = false;
  }
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / "tavo-bench-xlsx";
  fs::create_directories(dir);
  const std::string file = (dir / "scores.xlsx").string(), copy = (dir / "copy.xlsx").string();

  tavo::model::RecordingPlatform platform;
  tavo::model::Application app(platform);
  auto& book = app.createWorkbook("scores.xlsx", dir.string());
  Generate(book, students);

  std::vector<double> save, load, roundTrip;
  for (int k = 0; k < repeat; ++k) {
    auto t = Clock::now();
    tavo::xlsx::SaveWorkbook(book, file);
    save.push_back(Seconds(t));
    t = Clock::now();
    auto loaded = tavo::xlsx::LoadWorkbook(app, file);
    load.push_back(Seconds(t));
    t = Clock::now();
    auto again = tavo::xlsx::LoadWorkbook(app, file);
    tavo::xlsx::SaveWorkbook(*again.book, copy);
    roundTrip.push_back(Seconds(t));
  }
  std::printf("students=%d  file %.1f KB\n", students, static_cast<double>(fs::file_size(file)) / 1024);
  std::printf("tavo     save %.3f s  load %.3f s  load+save %.3f s (median of %d)\n", Median(save), Median(load),
              Median(roundTrip), repeat);

  const std::string script = (dir / "openpyxl_round_trip.py").string();
  std::ofstream(script) << "import sys, time, openpyxl\n"
                           "times = []\n"
                           "for _ in range(int(sys.argv[3])):\n"
                           "    t = time.perf_counter()\n"
                           "    wb = openpyxl.load_workbook(sys.argv[1])\n"
                           "    wb.save(sys.argv[2])\n"
                           "    times.append(time.perf_counter() - t)\n"
                           "times.sort()\n"
                           "print(times[len(times) // 2])\n";
  const std::string out = (dir / "openpyxl.txt").string();
  const int pyRepeat = std::max(1, std::min(repeat, 3));
  std::string command = "/usr/bin/python3 " + script + " " + file + " " + (dir / "py.xlsx").string() + " " +
                        std::to_string(pyRepeat) + " > " + out;
  int status = std::system(command.c_str());
  if (status != 0) {
    std::printf("openpyxl  not available (python3-openpyxl): no comparison\n");
    return targets ? 1 : 0;
  }
  double python = 0;
  std::ifstream(out) >> python;
  double ratio = python / Median(roundTrip);
  std::printf("openpyxl load+save %.3f s (median of %d)\n", python, pyRepeat);
  std::printf("openpyxl / tavo = %.1f (target >= 10)\n", ratio);
  fs::remove_all(dir);
  return targets && ratio < 10 ? 1 : 0;
}
