#include "cli/desk.h"

#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>

#include "cli/run_log.h"
#include "host/csv/csv_reader.h"
#include "host/file_error.h"
#include "host/xls/compound_file.h"
#include "host/xls/xls_reader.h"
#include "host/xlsx/carried.h"
#include "host/xlsx/xlsx_reader.h"
#include "host/xlsx/xlsx_writer.h"

namespace tavo::cli {

namespace fs = std::filesystem;

namespace {

std::string Joined(const std::vector<std::string>& items, const char* separator) {
  std::string out;
  for (const auto& s : items) out += (out.empty() ? "" : separator) + s;
  return out;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Adds the time until it goes out of scope to a phase, less the time spent
// loading files meanwhile (which is a phase of its own).
class PhaseCharge {
 public:
  PhaseCharge(double& phase, const double& load) : phase_(phase), load_(load), loadAtStart_(load) {}
  ~PhaseCharge() { phase_ += SecondsSince(start_) - (load_ - loadAtStart_); }
  PhaseCharge(const PhaseCharge&) = delete;
  PhaseCharge& operator=(const PhaseCharge&) = delete;

 private:
  double& phase_;
  const double& load_;
  const double loadAtStart_;
  const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// "成绩.xlsx" -> "成绩.xlsx.bak", then ".bak2", ... : an older backup is
// never overwritten.
std::string BackupPath(const std::string& path) {
  std::string backup = path + ".bak";
  for (int n = 2; fs::exists(backup); ++n) backup = path + ".bak" + std::to_string(n);
  return backup;
}

}  // namespace

Desk::Desk(TerminalPlatform& platform, std::ostream& out, std::ostream& err)
    : platform_(platform), out_(out), err_(err), app_(platform) {
  app_.setLoader([this](model::Application&, const std::string& path) {
    try {
      return load(path);
    } catch (const host::FileError& e) {
      readFailed_ = true;
      throw host::HostError::refused("无法读取 " + e.path + ": " + e.reason);
    }
  });
  app_.setOnClose([this](const model::Workbook& book) {
    opened_.erase(&book);
    if (lastPrints_) std::erase_if(*lastPrints_, [&](const auto& print) { return print.first.first == &book; });
    closedInCommand_.insert(&book);
  });
}

namespace {

std::string LowerExtension(const std::string& path) {
  std::string e = fs::path(path).extension().string();
  for (char& c : e) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return e;
}

}  // namespace

xlsx::LoadedWorkbook LoadAnyWorkbook(model::Application& app, const std::string& path, const xlsx::Progress& progress) {
  const std::string type = LowerExtension(path);
  if (type == ".csv" || type == ".txt") return {csv::LoadTextWorkbook(app, path), {}};
  if (type == ".xls") {
    xls::LoadedXls loaded = xls::LoadXlsWorkbook(app, path);
    return {std::move(loaded.book), std::move(loaded.notCarried)};
  }
  try {
    return xlsx::LoadWorkbook(app, path, progress);
  } catch (const host::FileError& notXlsx) {
    // No zip at all: an encrypted workbook is a compound file holding the
    // package encrypted; an old workbook given the new name is read as one.
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    bool encrypted = false, old = false;
    try {
      encrypted = xls::IsCompoundFile(bytes) && xls::ReadCompoundStream(bytes, "EncryptedPackage");
      old = !encrypted && xls::IsCompoundFile(bytes) &&
            (xls::ReadCompoundStream(bytes, "Workbook") || xls::ReadCompoundStream(bytes, "Book"));
    } catch (const std::exception&) {
      throw notXlsx;  // a damaged container: what the xlsx reader said stands
    }
    if (encrypted) throw host::FileError(path, "文件有密码保护：请在表格程序中去掉打开密码、保存后再试");
    if (!old) throw;
    xls::LoadedXls loaded = xls::LoadXlsWorkbook(app, path);
    loaded.notCarried.push_back("xls 格式的原文件");  // saved as xlsx in its place: the original is backed up first
    return {std::move(loaded.book), std::move(loaded.notCarried)};
  }
}

std::unique_ptr<model::Workbook> Desk::load(const std::string& path) {
  // A file of another type is never written: its workbook goes to STEM.xlsx
  // beside it, which must not hold anything yet.
  const std::string type = LowerExtension(path);
  const bool converted = type == ".csv" || type == ".txt" || type == ".xls";
  const auto start = std::chrono::steady_clock::now();
  ProgressLine::Phase shown(platform_.progress(), "读取 " + fs::path(path).filename().string());
  const std::string target = converted ? (fs::path(path).replace_extension(".xlsx")).string() : path;
  if (converted && fs::exists(target))
    throw host::FileError(path, "旁边已有 " + target + "，tavo 不会覆盖它：请选择 " +
                                    fs::path(target).filename().string() + "，或把它移走");
  xlsx::LoadedWorkbook loaded = LoadAnyWorkbook(app_, path, [&](double done) { shown.done(done); });
  if (platform_.progress()) platform_.progress()->erase();
  if (!loaded.notCarried.empty() && !converted)
    Say(err_, "注意: " + path + " 含有 tavo 无法保留的内容（" + Joined(loaded.notCarried, "、") +
                  "）；保存前原文件将另存为备份");
  if (!loaded.notCarried.empty() && converted)
    Say(err_, "注意: " + path + " 中的" + Joined(loaded.notCarried, "、") + "不会带到 " + target);
  auto prints = SheetPrintsOf(*loaded.book);
  opened_[loaded.book.get()] = {target, xlsx::WorkbookFingerprint(*loaded.book, InSheetOrder(*loaded.book, prints)),
                                converted ? std::vector<std::string>{} : loaded.notCarried, false, std::move(prints),
                                converted ? path : ""};
  timings_.load += SecondsSince(start);
  return std::move(loaded.book);
}

void Desk::openSystemWorkbook(const std::string& path) {
  lastPrints_.reset();
  app_.setThisWorkbook(app_.adopt(load(fs::absolute(path).lexically_normal().string())));
}

const model::Workbook* Desk::workbookAt(const std::string& path) const {
  const fs::path wanted = fs::absolute(path).lexically_normal();
  for (const auto& [book, o] : opened_)
    if (fs::absolute(o.path).lexically_normal() == wanted) return book;
  return nullptr;
}

model::Workbook& Desk::adoptNew(std::unique_ptr<model::Workbook> book, const std::string& path) {
  lastPrints_.reset();
  model::Workbook& adopted = app_.adopt(std::move(book));
  opened_[&adopted] = {path, 0, {}};
  return adopted;
}

std::vector<std::uint64_t> Desk::InSheetOrder(const model::Workbook& book,
                                              const std::map<std::string, std::uint64_t>& prints) {
  std::vector<std::uint64_t> ordered;
  for (int s = 1; s <= book.sheetCount(); ++s) {
    auto it = prints.find(book.modelSheet(s).name());
    ordered.push_back(it != prints.end() ? it->second : xlsx::SheetFingerprint(book.modelSheet(s)));
  }
  return ordered;
}

std::map<std::string, std::uint64_t> Desk::SheetPrintsOf(const model::Workbook& book) {
  std::map<std::string, std::uint64_t> prints;
  for (int s = 1; s <= book.sheetCount(); ++s) prints[book.modelSheet(s).name()] = xlsx::SheetFingerprint(book.modelSheet(s));
  return prints;
}

Desk::SheetPrints Desk::completed(SheetPrints prints) {
  for (int i = 1; i <= app_.workbookCount(); ++i) {
    model::Workbook& book = app_.modelWorkbook(i);
    for (int s = 1; s <= book.sheetCount(); ++s)
      if (auto& print = prints[{&book, book.modelSheet(s).name()}]; !print)
        print = xlsx::SheetFingerprint(book.modelSheet(s));
  }
  return prints;
}

Desk::SheetPrints Desk::sheetPrints() { return completed({}); }

void Desk::run(const std::string& command, const std::string& csb, bool report) {
  // Nothing changes the workbooks between commands: the prints taken after
  // the last one are the prints before this one.
  const auto info = engine::zupo::FindCommand(command);
  const bool writesReports = info && info->kind == engine::CommandKind::Report;
  PhaseCharge charge(writesReports ? timings_.report : timings_.selection, timings_.load);
  SheetPrints before = !report ? SheetPrints{} : lastPrints_ ? completed(std::move(*lastPrints_)) : sheetPrints();
  lastPrints_.reset();
  const auto commandStart = std::chrono::steady_clock::now();
  std::optional<ProgressLine::Phase> shown(std::in_place, platform_.progress(), command);
  // A step the command left open ends inside the command's phase: the
  // entry ends it before it returns.
  engine_.MyFunClick(app_, dialog_, command, csb);
  const double elapsed = SecondsSince(commandStart);
  shown.reset();
  // A workbook the command closed went unchanged, and its address may now be another's.
  std::erase_if(before, [&](const auto& print) { return closedInCommand_.count(print.first.first) > 0; });
  closedInCommand_.clear();
  if (!report) return;
  // A workbook the command opened is compared with the file as loaded.
  for (int i = 1; i <= app_.workbookCount(); ++i) {
    const model::Workbook& book = app_.modelWorkbook(i);
    auto opened = opened_.find(&book);
    if (opened == opened_.end()) continue;
    for (const auto& [sheet, print] : opened->second.sheetsAtLoad)
      if (!before.count({&book, sheet}) && book.findModelSheet(sheet)) before[{&book, sheet}] = print;
  }
  // A sheet that was not there before is written whatever it holds: its
  // print (a pass over every cell) waits until something needs it.
  std::map<const model::Workbook*, std::vector<std::string>> written;
  SheetPrints after;
  for (int i = 1; i <= app_.workbookCount(); ++i) {
    const model::Workbook& book = app_.modelWorkbook(i);
    for (int s = 1; s <= book.sheetCount(); ++s) {
      const std::pair<const model::Workbook*, std::string> key{&book, book.modelSheet(s).name()};
      auto it = before.find(key);
      if (it == before.end()) {
        written[key.first].push_back(key.second);
        continue;
      }
      const std::uint64_t print = xlsx::SheetFingerprint(book.modelSheet(s));
      after[key] = print;
      if (it->second != print) written[key.first].push_back(key.second);
    }
  }
  lastPrints_ = after;
  for (const auto& [key, _] : before)
    if (!after.count(key) && app_.findWorkbook(key.first->name()) == key.first)
      written[key.first].push_back("-" + key.second);
  std::string what;
  RunLog::Command& logged = CurrentRunLog().commands.emplace_back(RunLog::Command{command, {}});
  for (const auto& [book, sheets] : written) {
    what += (what.empty() ? "" : "; ") + book->name() + ": " + Joined(sheets, ", ");
    logged.written.push_back({book->name(), sheets});
  }
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.2f s", elapsed);
  out_ << command << "  " << (what.empty() ? "(无改动)" : what) << "  (" << seconds << ")" << std::endl;
}

std::vector<std::string> Desk::saveChanged() {
  PhaseCharge charge(timings_.save, timings_.load);
  std::vector<std::string> saved;
  for (int i = 1; i <= app_.workbookCount(); ++i) {
    model::Workbook& book = app_.modelWorkbook(i);
    auto it = opened_.find(&book);
    if (it == opened_.end()) continue;
    Opened& o = it->second;
    std::map<std::string, std::uint64_t> known;
    if (lastPrints_)
      for (const auto& [key, print] : *lastPrints_)
        if (key.first == &book) known[key.second] = print;
    // A sheet the file did not have changes the workbook for certain: no
    // print of it is needed to know.
    bool added = false;
    for (int s = 1; s <= book.sheetCount(); ++s) {
      const std::string& name = book.modelSheet(s).name();
      added = added || (!known.count(name) && !o.sheetsAtLoad.count(name));
    }
    const std::uint64_t now = added ? 0 : xlsx::WorkbookFingerprint(book, InSheetOrder(book, known));
    if (!added && o.fingerprint == now && fs::exists(o.path)) continue;
    // What the file held beside the cells, now anchored to cells that moved
    // or naming a sheet that is gone, is left out rather than written wrong.
    const std::vector<std::string> dropped = xlsx::DroppedOnSave(book, xlsx::FileKindOf(o.path));
    if (!dropped.empty())
      Say(err_, "注意: " + o.path + " 中的" + Joined(dropped, "、") + "指向的单元格或工作表已经变动，保存时不再保留");
    if ((!o.notCarried.empty() || !dropped.empty()) && !o.backedUp && fs::exists(o.path)) {
      std::string backup = BackupPath(o.path);
      std::error_code ec;
      fs::copy_file(o.path, backup, ec);
      if (ec) throw host::FileError(o.path, "无法保存备份 " + backup + ": " + ec.message());
      Say(err_, "原文件已备份为 " + backup, RunLog::Kind::Backup);
      o.backedUp = true;
    }
    {
      ProgressLine::Phase shown(platform_.progress(), "保存 " + fs::path(o.path).filename().string());
      xlsx::SaveWorkbook(book, o.path, [&](double done) { shown.done(done); });
    }
    o.fingerprint = now;
    if (!o.convertedFrom.empty()) out_ << "由 " << o.convertedFrom << " 另存为 " << o.path << "（原文件未改动）" << std::endl;
    saved.push_back(o.path);
  }
  return saved;
}

}  // namespace tavo::cli
