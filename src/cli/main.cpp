// The tavo program: the dialog and the desktop spreadsheet of a teacher who
// works from a terminal. Exit status: 0 no message box, 2 a warning or
// reminder box, 3 the error box, 1 usage errors and unreadable or unsaveable
// workbooks.
#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/desk.h"
#include "cli/last_run.h"
#include "cli/run_log.h"
#include "cli/terminal_platform.h"
#include "cli/text_table.h"
#include "host/file_error.h"
#include "host/xlsx/xlsx_reader.h"
#include "host/xlsx/xlsx_writer.h"
#include "workbooks/starting_workbooks.h"

namespace fs = std::filesystem;
using tavo::cli::Desk;
using tavo::cli::TerminalPlatform;

namespace {

constexpr int kOk = 0, kUsage = 1, kFileError = 1, kWarned = 2, kErrorBox = 3;
constexpr const char* kDemoMarker = ".tavo-demo";

const char* kUsageText =
    "用法:\n"
    "  tavo init DIR          建立 DIR/成绩统计.xlsx（五张参数表与版式库 DTB）和数据文件夹 DIR/数据/\n"
    "  tavo demo [DIR]        建立示例（参数、示例成绩），运行全部命令（默认 DIR: ./tavo-demo）\n"
    "  tavo list [--system F] 列出数据文件夹中的文件\n"
    "  tavo run [--system F] [--select NAME] [--csb SHEET] [--timings] [COMMAND...]\n"
    "                         启动对话框，选择数据文件（如给出），依次运行命令，保存有改动的工作簿；\n"
    "                         只给 --select 时只做选择（整理数据表）并保存；--timings 在最后显示\n"
    "                         各阶段（读取、选择、报表、保存）的用时\n"
    "  tavo show FILE [SHEET] 在终端显示一张工作表\n"
    "  tavo --help | --version\n"
    "--system 默认为 ./成绩统计.xlsx。COMMAND 为命令表中的名称，例如 cmdSanXianTJ_Click。\n"
    "数据文件可以是 .xlsx、.xls 或 .csv/.txt（UTF-8 或 GBK）；.xls 与 .csv 不会被改写，另存为同名 .xlsx。\n";

int Usage(const std::string& problem) {
  tavo::cli::Say(std::cerr, problem);
  std::cerr << kUsageText;
  return kUsage;
}

int Status(const TerminalPlatform& platform, const Desk* desk = nullptr) {
  if (desk && desk->readFailed()) return kFileError;
  if (platform.errorShown()) return kErrorBox;
  if (platform.messageShown()) return kWarned;
  return kOk;
}

struct Arguments {
  std::vector<std::string> positional;
  std::string system = tavo::workbooks::kSystemWorkbookName;
  std::optional<std::string> select;
  std::string csb;
  bool timings = false;
};

// Options may stand anywhere; "--name value" and "--name=value" both work.
std::optional<Arguments> Parse(const std::vector<std::string>& args, const std::vector<std::string>& allowed,
                               std::string& problem) {
  Arguments a;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (arg.rfind("--", 0) != 0 || arg == "--") {
      a.positional.push_back(arg);
      continue;
    }
    std::string name = arg.substr(2), value;
    if (name == "timings" && std::find(allowed.begin(), allowed.end(), name) != allowed.end()) {
      a.timings = true;
      continue;
    }
    if (auto eq = name.find('='); eq != std::string::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      problem = "--" + name + " 需要一个值";
      return std::nullopt;
    }
    if (std::find(allowed.begin(), allowed.end(), name) == allowed.end()) {
      problem = "未知选项 --" + name;
      return std::nullopt;
    }
    if (name == "system") a.system = value;
    if (name == "select") a.select = value;
    if (name == "csb") a.csb = value;
  }
  return a;
}

// Saves what the commands changed, as a teacher would after them; but a
// command that stopped at the error box may have left a workbook half
// done (a selection that cleared the rows it then could not read back),
// so then nothing is saved and every file stays as it was.
void SaveUnlessFailed(Desk& desk, const TerminalPlatform& platform) {
  if (platform.errorShown() || desk.readFailed()) {
    tavo::cli::Say(std::cerr, "命令出错，未保存任何文件（原文件保持原样）", tavo::cli::RunLog::Kind::Unsaved);
    return;
  }
  for (const auto& path : desk.saveChanged()) std::cout << "已保存 " << path << std::endl;
}

// One line a script can read: "timings: load=S selection=S report=S save=S".
void PrintTimings(const Desk::Timings& t, std::ostream& out) {
  char line[160];
  std::snprintf(line, sizeof line, "timings: load=%.3f selection=%.3f report=%.3f save=%.3f", t.load, t.selection,
                t.report, t.save);
  out << line << std::endl;
}

// The dialog opens and, when a file is named, the teacher picks it.
bool StartDialog(Desk& desk, const std::optional<std::string>& select) {
  desk.run("UFInitialize", "", false);
  if (!select) return true;
  if (!desk.dialog().select(*select)) {
    tavo::cli::Say(std::cerr, "数据文件夹中没有 " + *select);
    return false;
  }
  desk.run("ltbCJBChange");
  return true;
}

int Run(const std::vector<std::string>& args) {
  std::string problem;
  auto a = Parse(args, {"system", "select", "csb", "timings"}, problem);
  if (!a) return Usage(problem);
  // A selection alone cleans the file and saves it: a teacher looks at it so.
  if (a->positional.empty() && !a->select) return Usage("run 需要 --select 或至少一个命令");
  for (const auto& command : a->positional)
    if (!tavo::engine::zupo::FindCommand(command)) return Usage("未知命令 " + command);

  tavo::cli::RunDesk& run = tavo::cli::StartRun(isatty(2));
  TerminalPlatform& platform = run.platform;
  Desk& desk = run.desk;
  // Long phases show on a terminal; logs and pipes get no such line, unless
  // the caller asks for progress as lines of its own (the page does).
  using Shown = tavo::cli::ProgressLine::Shown;
  tavo::cli::ProgressLine progress(std::cerr, std::getenv("TAVO_PROGRESS_LINES") ? Shown::AsLines
                                              : isatty(2)                          ? Shown::OnTerminal
                                                                                   : Shown::Nothing);
  platform.setProgress(&progress);
  struct Unshown {
    TerminalPlatform& platform;
    ~Unshown() { platform.setProgress(nullptr); }  // the line ends with the run; the desk may outlive it
  } unshown{platform};
  desk.openSystemWorkbook(a->system);
  if (!StartDialog(desk, a->select)) return kUsage;
  for (const auto& command : a->positional) desk.run(command, a->csb);
  SaveUnlessFailed(desk, platform);
  if (a->timings) PrintTimings(desk.timings(), std::cerr);
  const int status = Status(platform, &desk);
  run.saved = status == kOk;
  return status;
}

int List(const std::vector<std::string>& args) {
  std::string problem;
  auto a = Parse(args, {"system"}, problem);
  if (!a) return Usage(problem);
  if (!a->positional.empty()) return Usage("list 不带其他参数");
  TerminalPlatform platform(std::cerr, false);
  Desk desk(platform, std::cout, std::cerr);
  desk.openSystemWorkbook(a->system);
  desk.run("UFInitialize", "", false);
  for (int i = 0; i < desk.dialog().itemCount(); ++i) std::cout << desk.dialog().item(i) << '\n';
  return Status(platform, &desk);
}

int Show(const std::vector<std::string>& args) {
  if (args.empty() || args.size() > 2) return Usage("show 需要 FILE [SHEET]");
  TerminalPlatform platform(std::cerr, false);
  tavo::model::Application app(platform);
  auto loaded = tavo::cli::LoadAnyWorkbook(app, args[0]);
  tavo::model::Sheet* sheet = args.size() == 2 ? loaded.book->findModelSheet(args[1]) : &loaded.book->activeModelSheet();
  if (!sheet) {
    tavo::cli::Say(std::cerr, args[0] + " 中没有工作表 " + args[1]);
    return kUsage;
  }
  tavo::cli::PrintSheet(*sheet, std::cout);
  return kOk;
}

// A new system workbook in `folder`, laid out by the engine's own commands.
void CreateSystemWorkbook(Desk& desk, const fs::path& folder, bool sampleSettings) {
  auto book = tavo::workbooks::NewSystemWorkbook(desk.app(), folder.string());
  if (sampleSettings) tavo::workbooks::TypeSampleSettings(*book);
  auto& system = desk.adoptNew(std::move(book), (folder / tavo::workbooks::kSystemWorkbookName).string());
  desk.app().setThisWorkbook(system);
  for (const auto& command : tavo::engine::zupo::Commands())
    if (command.kind == tavo::engine::CommandKind::Layout) desk.run(command.name);
  system.setActiveSheet(system.modelSheet(1));
}

int Init(const std::vector<std::string>& args) {
  if (args.size() != 1) return Usage("init 需要一个文件夹 DIR");
  fs::path folder = fs::absolute(args[0]).lexically_normal();
  fs::path systemPath = folder / tavo::workbooks::kSystemWorkbookName;
  if (fs::exists(systemPath)) {
    tavo::cli::Say(std::cerr, systemPath.string() + " 已存在，未作改动");
    return kFileError;
  }
  fs::create_directories(folder / tavo::workbooks::kDataFolderName);
  TerminalPlatform platform(std::cerr, false);
  Desk desk(platform, std::cout, std::cerr);
  CreateSystemWorkbook(desk, folder, false);
  SaveUnlessFailed(desk, platform);
  std::cout << "数据文件夹: " << (folder / tavo::workbooks::kDataFolderName).string() << "/" << std::endl;
  return Status(platform, &desk);
}

int Demo(const std::vector<std::string>& args) {
  if (args.size() > 1) return Usage("demo 最多一个文件夹 DIR");
  fs::path folder = fs::absolute(args.empty() ? "tavo-demo" : args[0]).lexically_normal();
  fs::path systemPath = folder / tavo::workbooks::kSystemWorkbookName;
  // A teacher's own folder is never overwritten by the demo.
  if (fs::exists(systemPath) && !fs::exists(folder / kDemoMarker)) {
    tavo::cli::Say(std::cerr, systemPath.string() + " 不是示例创建的，未作改动");
    return kFileError;
  }
  fs::create_directories(folder / tavo::workbooks::kDataFolderName);
  std::ofstream(folder / kDemoMarker) << "tavo demo\n";

  TerminalPlatform platform(std::cerr, false);
  Desk desk(platform, std::cout, std::cerr);
  CreateSystemWorkbook(desk, folder, true);
  {
    tavo::model::Application scratch(platform);
    auto scores = tavo::workbooks::SampleScoreWorkbook(scratch, (folder / tavo::workbooks::kDataFolderName).string(),
                                                       tavo::workbooks::GenerateSampleScores());
    fs::path scoresPath = folder / tavo::workbooks::kDataFolderName / tavo::workbooks::kSampleScoresName;
    tavo::xlsx::SaveWorkbook(*scores, scoresPath.string());
    // The same school's earlier exam, for 进退步.
    auto earlier = tavo::workbooks::SampleScoreWorkbook(
        scratch, (folder / tavo::workbooks::kDataFolderName).string(),
        tavo::workbooks::EarlierSampleScores(tavo::workbooks::GenerateSampleScores()),
        tavo::workbooks::kEarlierSampleScoresName);
    tavo::xlsx::SaveWorkbook(*earlier, (folder / tavo::workbooks::kDataFolderName /
                                        tavo::workbooks::kEarlierSampleScoresName).string());
  }
  StartDialog(desk, std::string(tavo::workbooks::kSampleScoresName));
  for (const auto& command : tavo::engine::zupo::Commands())
    if (command.kind == tavo::engine::CommandKind::Report) desk.run(command.name, command.settingsSheet);
  SaveUnlessFailed(desk, platform);
  const fs::path sample = folder / tavo::workbooks::kDataFolderName / tavo::workbooks::kSampleScoresName;
  std::cout << "示例在 " << folder.string() << "（查看: tavo show " << sample.string() << " 数据表）" << std::endl;
  return Status(platform, &desk);
}

#ifdef __GLIBC__
// A city's scores take hundreds of megabytes, which the kernel hands out
// page by page on first touch: on a virtual machine a fifth of a run.
// Asked for 2 MB pages it faults fifty times less, but the C library asks
// only when told so at start-up: the program starts itself again, told.
void RestartWithHugePages(char** argv) {
  if (std::getenv("GLIBC_TUNABLES")) return;  // the caller's own settings stand
  std::ifstream policy("/sys/kernel/mm/transparent_hugepage/enabled");
  std::string modes;
  std::getline(policy, modes);
  // "always" gives them unasked, "never" not at all.
  if (modes.find("[madvise]") == std::string::npos) return;
  if (setenv("GLIBC_TUNABLES", "glibc.malloc.hugetlb=1", 1) != 0) return;
  execv("/proc/self/exe", argv);
  unsetenv("GLIBC_TUNABLES");  // no new start: run as we are
}
#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef __GLIBC__
  RestartWithHugePages(argv);
  // Buffers of megabytes (a part, a piece of sheet XML, a sort's records)
  // come and go many times in a run: kept in the heap rather than mapped
  // afresh each time, they cost no page faults.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 128 << 20);
  mallopt(M_TOP_PAD, 16 << 20);
#endif
  tavo::cli::StartRunLog();
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage("缺少子命令");
  const std::string sub = args[0];
  args.erase(args.begin());
  try {
    if (sub == "--version") {
      std::cout << "tavo " << TAVO_VERSION << std::endl;
      return kOk;
    }
    if (sub == "--help" || sub == "-h" || sub == "help") {
      std::cout << kUsageText;
      return kOk;
    }
    if (sub == "init") return Init(args);
    if (sub == "demo") return Demo(args);
    if (sub == "list") return List(args);
    if (sub == "run") return Run(args);
    if (sub == "show") return Show(args);
    return Usage("未知子命令 " + sub);
  } catch (const tavo::host::FileError& e) {
    tavo::cli::Say(std::cerr, e.path + ": " + e.reason);
    return kFileError;
  } catch (const fs::filesystem_error& e) {
    tavo::cli::Say(std::cerr, e.what());
    return kFileError;
  } catch (const std::bad_alloc&) {
    // Outside a command (loading, comparing, saving): nothing is written.
    tavo::cli::Say(std::cerr, "内存不足，未保存任何文件", tavo::cli::RunLog::Kind::Unsaved);
    return kFileError;
  }
}
