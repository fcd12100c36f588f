// One line on a terminal that says what a long run is doing: the phase, its
// share done where that is known, and its seconds so far; drawn only once a
// phase has taken about a second and erased when it ends, so that logs and
// pipes (no terminal) get nothing. For a caller that shows progress itself
// (the page), each phase and each whole percent go out instead as a line
// "\x1e" label TAB percent (-1: not known; an empty label: the run is between
// phases), as they happen.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <utility>

namespace tavo::cli {

class ProgressLine {
 public:
  enum class Shown { Nothing, OnTerminal, AsLines };
  ProgressLine(std::ostream& terminal, Shown);
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // While a phase lasts, the line shows `label`; a phase begun inside
  // another shows instead of it and gives the line back. No line, no show.
  class Phase {
   public:
    Phase(ProgressLine* line, std::string label);
    ~Phase();
    Phase(const Phase&) = delete;
    Phase& operator=(const Phase&) = delete;
    // The share of the phase done, 0 to 1; from any thread.
    void done(double share);

   private:
    ProgressLine* line_;
    std::string outer_;
    double outerDone_ = -1;
    std::chrono::steady_clock::time_point outerStart_;
  };

  // Erases the line before other text goes to the terminal.
  void erase();

 private:
  void draw();  // with mutex_ held
  void run();
  void tell();  // with mutex_ held: the line for the caller, when told as lines

  std::ostream& out_;
  bool enabled_;
  bool asLines_ = false;
  int toldPercent_ = -2;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::string label_;
  double done_ = -1;  // below 0: not known
  std::chrono::steady_clock::time_point start_;
  bool drawn_ = false;
  bool stop_ = false;
  std::thread painter_;
};

}  // namespace tavo::cli
