// Dispatch calls per report through the automation host, counted by the
// spreadsheet stand-in: the same school with more students and the same
// classes must cost about the same number of calls, since columns are read
// in one call each; more classes may cost more. Runs under Wine:
//   wine64 tavo_bench_dispatch.exe
#include <cstdio>
#include <string>
#include <vector>

#include "engine/zupo.h"
#include "host/com/application.h"
#include "host/com/dialog.h"
#include "host/model/application.h"
#include "host/model/dialog.h"
#include "host/model/recording_platform.h"
#include "school.h"
#include "standin/spreadsheet.h"

namespace {

struct Size {
  int students, classes;
};

// The calls each command costs on one school, the selection first.
std::vector<unsigned long> CallsPerCommand(Size size, const std::vector<std::string>& commands) {
  tavo::model::RecordingPlatform platform;
  tavo::model::Application app(platform);
  tavo::model::Dialog dialog;
  tavo::bench::OpenSchool(app, dialog, size.students, size.classes);
  dialog.setListIndex(0);

  tavo::standin::Spreadsheet spreadsheet(app, dialog);
  tavo::engine::zupo engine;
  std::vector<unsigned long> calls;
  for (const std::string& command : commands) {
    // A fresh host per call, as the component makes one for each.
    tavo::com::Dispatch excel(spreadsheet.application(), "Application");
    tavo::com::Application host(excel, platform);
    tavo::com::Dialog form(tavo::com::Dispatch(spreadsheet.dialog(), "UserForm"));
    const unsigned long before = tavo::standin::Served().invokes;
    engine.MyFunClick(host, form, command, "三线版");
    calls.push_back(tavo::standin::Served().invokes - before);
    if (!platform.messages.empty()) {
      std::printf("%s showed: %s\n", command.c_str(), platform.messages[0].prompt.c_str());
      platform.messages.clear();
    }
  }
  return calls;
}

}  // namespace

int main() {
  const std::vector<std::string> commands = {"ltbCJBChange",     "cmdCJ_Click",     "cmdSanXianTJ_Click",
                                             "cmdTwoXianTJ_Click", "cmdSiLvTJ_Click", "cmdFuFenTJ_Click",
                                             "cmdTuBiaoTJ_Click"};
  const std::vector<Size> sizes = {{1000, 12}, {4000, 12}, {16000, 12}, {4000, 24}, {4000, 48}};
  std::vector<std::vector<unsigned long>> table;
  for (Size size : sizes) table.push_back(CallsPerCommand(size, commands));

  std::printf("dispatch calls per command (9 subjects)\n%-20s", "students/classes");
  for (Size s : sizes) std::printf("%12s", (std::to_string(s.students) + "/" + std::to_string(s.classes)).c_str());
  std::printf("%14s%14s\n", "x16 students", "x4 classes");
  bool met = true;
  for (std::size_t c = 0; c < commands.size(); ++c) {
    std::printf("%-20s", commands[c].c_str());
    for (const auto& column : table) std::printf("%12lu", column[c]);
    const double students = static_cast<double>(table[2][c]) / static_cast<double>(table[0][c]);
    const double classes = static_cast<double>(table[4][c]) / static_cast<double>(table[1][c]);
    std::printf("%14.2f%14.2f\n", students, classes);
    // Sixteen times the students with the same classes: at most a quarter
    // more calls (pages of the score sheet and band edges may move).
    if (students > 1.25) met = false;
  }
  std::printf("target: calls do not grow with students (x16 students: at most x1.25): %s\n", met ? "met" : "MISSED");
  return met ? 0 : 1;
}
