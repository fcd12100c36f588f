// What one run of the program said and wrote, kept as data beside the
// terminal's lines: the page reads it rather than parsing what a terminal
// shows.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tavo::cli {

struct RunLog {
  // In the order said: the engine's message boxes, and the program's own
  // lines ("tavo: ...") of which a backup and a run that saved nothing are
  // told apart.
  enum class Kind { Box, Note, Backup, Unsaved };
  struct Said {
    Kind kind;
    std::string title;  // of a box
    std::string text;
  };
  // Each command run, and the sheets it wrote in each workbook ("-name"
  // for a sheet it deleted).
  struct Written {
    std::string file;
    std::vector<std::string> sheets;
  };
  struct Command {
    std::string name;
    std::vector<Written> written;
  };
  std::vector<Said> said;
  std::vector<Command> commands;
};

// The log of the run under way, or of the last one; a new run starts it
// afresh.
RunLog& CurrentRunLog();
void StartRunLog();

// "tavo: text" on `err`, and the same kept in the run's log.
void Say(std::ostream& err, const std::string& text, RunLog::Kind = RunLog::Kind::Note);

}  // namespace tavo::cli
