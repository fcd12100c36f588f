// What the dialog and the desktop spreadsheet are to a teacher elsewhere:
// the open workbooks, the dialog, the engine, and saving what changed.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "cli/terminal_platform.h"
#include "engine/zupo.h"
#include "host/model/application.h"
#include "host/model/dialog.h"
#include "host/xlsx/xlsx_reader.h"

namespace tavo::cli {

// A workbook as the desktop spreadsheet opens the file, whatever its type
// (.xlsx, .xls, .csv, .txt). Throws host::FileError.
xlsx::LoadedWorkbook LoadAnyWorkbook(model::Application&, const std::string& path, const xlsx::Progress& = {});

class Desk {
 public:
  Desk(TerminalPlatform&, std::ostream& out, std::ostream& err);

  // Opens the system workbook; throws host::FileError.
  void openSystemWorkbook(const std::string& path);
  // Adopts a workbook built in memory that will be saved to `path`.
  model::Workbook& adoptNew(std::unique_ptr<model::Workbook>, const std::string& path);

  // Runs one command through the entry, as the dialog would, and prints a
  // line with the sheets it wrote and the time it took.
  void run(const std::string& command, const std::string& csb = "", bool report = true);

  // Saves every workbook that changed (the original of a file with parts
  // tavo cannot keep goes to a backup first). Throws host::FileError.
  std::vector<std::string> saveChanged();

  // The open workbook that is saved to `path`, or nullptr.
  const model::Workbook* workbookAt(const std::string& path) const;

  // A workbook that could not be read while a command ran.
  bool readFailed() const { return readFailed_; }

  // Seconds spent so far in each phase of a run: reading files, the dialog's
  // selection, report commands (each with the taking of sheet prints), saving.
  struct Timings {
    double load = 0, selection = 0, report = 0, save = 0;
  };
  const Timings& timings() const { return timings_; }

  model::Application& app() { return app_; }
  model::Dialog& dialog() { return dialog_; }
  engine::zupo& engine() { return engine_; }

 private:
  struct Opened {
    std::string path;
    std::uint64_t fingerprint = 0;  // as loaded or last saved; 0 for new files
    std::vector<std::string> notCarried;
    bool backedUp = false;
    std::map<std::string, std::uint64_t> sheetsAtLoad = {};  // what a command that opened it compares with
    std::string convertedFrom = {};  // the .csv or .xls read, which is never written
  };
  std::map<const model::Workbook*, Opened> opened_;
  using SheetPrints = std::map<std::pair<const model::Workbook*, std::string>, std::uint64_t>;
  // The prints given, and those of the sheets they lack.
  SheetPrints completed(SheetPrints);
  // Loads a file, names what it holds that tavo cannot keep, and records it
  // as opened. Throws host::FileError.
  std::unique_ptr<model::Workbook> load(const std::string& path);
  SheetPrints sheetPrints();
  static std::map<std::string, std::uint64_t> SheetPrintsOf(const model::Workbook&);
  // The prints of the book's sheets in order; those not known are taken.
  static std::vector<std::uint64_t> InSheetOrder(const model::Workbook&, const std::map<std::string, std::uint64_t>&);
  // Every sheet's print after the last command, when nothing ran since.
  std::optional<SheetPrints> lastPrints_;
  // Workbooks closed while a command ran: one it opened only to read.
  std::set<const model::Workbook*> closedInCommand_;

  TerminalPlatform& platform_;
  std::ostream& out_;
  std::ostream& err_;
  model::Application app_;
  model::Dialog dialog_;
  engine::zupo engine_;
  bool readFailed_ = false;
  Timings timings_;
};

}  // namespace tavo::cli
