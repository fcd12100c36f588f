// The progress line shows a long phase on a terminal, with its share done
// when it is known, and leaves nothing behind: no text for short phases,
// none at all off a terminal.
#include "cli/progress_line.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>

#include "cli/terminal_platform.h"

namespace tavo::cli {
namespace {

using namespace std::chrono_literals;

TEST(ProgressLineTest, ShowsLongPhasesOnlyAndErasesThem) {
  std::ostringstream terminal;
  {
    ProgressLine line(terminal, ProgressLine::Shown::OnTerminal);
    { ProgressLine::Phase quick(&line, "读取 a.xlsx"); }
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(terminal.str(), "") << "a phase shorter than a second";
    {
      ProgressLine::Phase outer(&line, "cmdSanXianTJ_Click");
      std::this_thread::sleep_for(1500ms);
      EXPECT_NE(terminal.str().find("cmdSanXianTJ_Click … 1 s"), std::string::npos) << terminal.str();
      ProgressLine::Phase inner(&line, "读取 b.xlsx");
      inner.done(0.427);
      std::this_thread::sleep_for(1300ms);
      EXPECT_NE(terminal.str().find("读取 b.xlsx 42% … 1 s"), std::string::npos) << terminal.str();
    }
  }
  const std::string shown = terminal.str();
  EXPECT_EQ(shown.substr(shown.size() - 4), "\r\033[K") << "the line is erased at the end";
  EXPECT_EQ(shown.find('\n'), std::string::npos);
}

TEST(ProgressLineTest, NothingOffATerminal) {
  std::ostringstream log;
  {
    ProgressLine line(log, ProgressLine::Shown::Nothing);
    ProgressLine::Phase phase(&line, "cmdSanXianTJ_Click");
    std::this_thread::sleep_for(1300ms);
    line.erase();
  }
  ProgressLine::Phase none(nullptr, "no line at all");
  EXPECT_EQ(log.str(), "");
}

// For a caller that shows progress itself: every phase as it begins and
// ends (the outer one back), each whole percent once, at once.
TEST(ProgressLineTest, AsLinesEachPhaseAndWholePercentOnce) {
  std::ostringstream told;
  {
    ProgressLine line(told, ProgressLine::Shown::AsLines);
    ProgressLine::Phase outer(&line, "cmdSanXianTJ_Click");
    {
      ProgressLine::Phase inner(&line, "读取 b.xlsx");
      for (double share : {0.10, 0.101, 0.109, 0.5, 1.0}) inner.done(share);
    }
  }
  EXPECT_EQ(told.str(),
            "\x1e" "cmdSanXianTJ_Click\t-1\n"
            "\x1e" "读取 b.xlsx\t-1\n"
            "\x1e" "读取 b.xlsx\t10\n"
            "\x1e" "读取 b.xlsx\t50\n"
            "\x1e" "读取 b.xlsx\t100\n"
            "\x1e" "cmdSanXianTJ_Click\t-1\n"
            "\x1e" "\t-1\n");
}

// The steps a command tells (a sheet written in pieces) show inside its
// phase; a share of 1 or the end of the command gives the phase back.
TEST(ProgressLineTest, ACommandsStepsShowInsideItsPhase) {
  std::ostringstream told, errors;
  {
    ProgressLine line(told, ProgressLine::Shown::AsLines);
    TerminalPlatform platform(errors, false);
    platform.setProgress(&line);
    ProgressLine::Phase command(&line, "cmdCJ_Click");
    platform.showProgress("写入 成绩表", 0.5);
    platform.showProgress("写入 成绩表", 1);
    platform.showProgress("写入 临界生", 0.25);
    platform.endProgress();  // the command failed midway
  }
  EXPECT_EQ(told.str(),
            "\x1e"
            "cmdCJ_Click\t-1\n"
            "\x1e"
            "写入 成绩表\t-1\n"
            "\x1e"
            "写入 成绩表\t50\n"
            "\x1e"
            "写入 成绩表\t100\n"
            "\x1e"
            "cmdCJ_Click\t-1\n"
            "\x1e"
            "写入 临界生\t-1\n"
            "\x1e"
            "写入 临界生\t25\n"
            "\x1e"
            "cmdCJ_Click\t-1\n"
            "\x1e"
            "\t-1\n");
  EXPECT_EQ(errors.str(), "");
}

}  // namespace
}  // namespace tavo::cli
