// The report commands on the model, without files: 9 subjects, 60 classes
// in 3 grade groups, for 5,000, 20,000 and 80,000 students. Each command's
// time should grow no faster than students x log(students).
//   tavo_bench_report [--students=N,...] [--commands=NAME,...] [--no-targets]
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "engine/zupo.h"
#include "host/model/application.h"
#include "host/model/dialog.h"
#include "host/model/recording_platform.h"

namespace {

using tavo::host::Cell;
using tavo::host::Rect;
using tavo::host::Value;

const char* kSubjects[] = {"语文", "数学", "英语", "物理", "化学", "生物", "政治", "历史", "地理"};
constexpr int kClasses = 60;

void Put(tavo::host::Worksheet& s, int r, int c, const Value& v) { s.setValue(Rect::of(Cell{r, c}), v); }

// The settings sheet the score bands run against.
constexpr const char* kVersionSheet = "三线版";

// A settings sheet as the layout commands and a teacher leave it: lines by
// head count, 60 classes in 3 grades, a teacher per two classes.
void TypeSettings(tavo::host::Worksheet& settings, int students, const std::vector<Value>& row13) {
  const char* grades[] = {"一部", "二部", "三部"};
  Put(settings, 71, 2, "班级参数");
  Put(settings, 72, 1, "级部");
  Put(settings, 72, 2, "班级");
  Put(settings, 72, 3, "人数");
  Put(settings, 72, 4, "班主任");
  for (int j = 0; j < 9; ++j) {
    Put(settings, 72, 5 + j, kSubjects[j]);
    Put(settings, 62, 5 + j, kSubjects[j]);
  }
  for (int c = 0; c < kClasses; ++c) {
    Put(settings, 73 + c, 1, grades[c / 20]);
    Put(settings, 73 + c, 2, std::to_string(c + 1) + "班");
    Put(settings, 73 + c, 4, "班主任" + std::to_string(c + 1));
    for (int j = 0; j < 9; ++j) Put(settings, 73 + c, 5 + j, "教师" + std::to_string(c / 2 * 9 + j));
  }
  for (std::size_t i = 0; i < row13.size(); ++i) Put(settings, 13, 2 + static_cast<int>(i), row13[i]);
  for (int k = 0; k < 3; ++k) {
    Put(settings, 63 + k, 3, "按人数");
    for (int j = 0; j <= 9; ++j) Put(settings, 63 + k, 4 + j, students / 20 * (k + 1));
  }
}

double RunOnce(int students, const std::string& command) {
  tavo::model::RecordingPlatform platform;
  tavo::model::Application app(platform);
  tavo::model::Dialog dialog;
  auto& system = app.createWorkbook("成绩统计.xlsx", "/school");
  system.modelSheet(1).setName("三线版");
  TypeSettings(system.modelSheet(1), students, {"是", "是", "是", "双上线", "单上线", "双上线", "双上线", 1, 2, 1.5, 1});
  for (const char* name : {"双线版", "四率版", "赋分版"})
    TypeSettings(system.appendSheet(name), students, {"是", "是", "是", "双上线", 30, 20, 20, 15, 15});
  TypeSettings(system.appendSheet("图表版"), students, {"否", "是", "是", "单上线", "双上线"});
  system.appendSheet("DTB");

  auto& book = app.createWorkbook("考试.xlsx", "/school/数据");
  auto& data = book.modelSheet(1);
  data.setName("数据表");
  tavo::host::Grid g(students + 1, 11);
  g.at(0, 0) = "姓名";
  g.at(0, 1) = "班级";
  for (int j = 0; j < 9; ++j) g.at(0, 2 + j) = kSubjects[j];
  unsigned x = 7;
  for (int r = 1; r <= students; ++r) {
    g.at(r, 0) = "学生" + std::to_string(r);
    g.at(r, 1) = std::to_string(1 + (r * 7919) % kClasses) + "班";
    for (int j = 0; j < 9; ++j) {
      x = x * 1103515245u + 12345u;
      g.at(r, 2 + j) = static_cast<double>((x >> 8) % 301) / 2;
    }
  }
  data.setValues({1, 1}, g);
  dialog.addItem("考试.xlsx");
  tavo::engine::zupo engine;
  engine.MyFunClick(app, dialog, "UFInitialize");
  dialog.setListIndex(0);
  engine.MyFunClick(app, dialog, "ltbCJBChange");

  auto start = std::chrono::steady_clock::now();
  engine.MyFunClick(app, dialog, command, kVersionSheet);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!platform.messages.empty()) {
    std::fprintf(stderr, "the report showed: %s\n", platform.messages[0].prompt.c_str());
    std::exit(2);
  }
  return seconds;
}

}  // namespace

std::vector<std::string> SplitList(const char* text) {
  std::vector<std::string> items;
  std::stringstream list(text);
  for (std::string item; std::getline(list, item, ',');) items.push_back(item);
  return items;
}

int main(int argc, char** argv) {
  std::vector<int> sizes = {5000, 20000, 80000};
  std::vector<std::string> commands = {"cmdSanXianTJ_Click", "cmdTwoXianTJ_Click", "cmdCJ_Click",
                                       "cmdSiLvTJ_Click",    "cmdFuFenTJ_Click",   "cmdTuBiaoTJ_Click"};
  bool targets = true;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--students=", 11) == 0) {
      sizes.clear();
      for (const std::string& n : SplitList(argv[i] + 11)) sizes.push_back(std::atoi(n.c_str()));
    }
    if (std::strncmp(argv[i], "--commands=", 11) == 0) commands = SplitList(argv[i] + 11);
    if (std::strcmp(argv[i], "--no-targets") == 0) targets = false;
  }
  bool ok = true;
  for (const std::string& command : commands) {
    std::vector<double> times;
    for (int n : sizes) {
      double best = 1e9;
      for (int k = 0; k < 5; ++k) best = std::min(best, RunOnce(n, command));
      times.push_back(best);
      std::printf("students=%6d  %s %.3f s (best of 5)\n", n, command.c_str(), best);
    }
    auto growth = [&](std::size_t from, std::size_t to) {
      double n0 = sizes[from], n1 = sizes[to];
      double allowed = n1 * std::log(n1) / (n0 * std::log(n0));
      double grew = times[to] / times[from];
      std::printf("%s %d -> %d students: time x%.2f, n log n x%.2f\n", command.c_str(), sizes[from], sizes[to], grew,
                  allowed);
      return grew / allowed;
    };
    for (std::size_t i = 1; i < sizes.size(); ++i) growth(i - 1, i);
    // The target is judged over the whole span, where the timer's noise on a
    // busy machine matters least; a little slack for it all the same.
    if (sizes.size() >= 2 && growth(0, sizes.size() - 1) > 1.25) ok = false;
  }
  return targets && !ok ? 1 : 0;
}
