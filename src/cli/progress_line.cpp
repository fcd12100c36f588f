#include "cli/progress_line.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

namespace tavo::cli {

namespace {
constexpr auto kQuiet = std::chrono::milliseconds(1000);  // phases shorter than this show nothing
constexpr auto kRefresh = std::chrono::milliseconds(250);
}  // namespace

ProgressLine::ProgressLine(std::ostream& terminal, Shown shown)
    : out_(terminal), enabled_(shown != Shown::Nothing), asLines_(shown == Shown::AsLines) {
  if (!enabled_ || asLines_) return;
  try {
    painter_ = std::thread([this] { run(); });
  } catch (const std::system_error&) {
    enabled_ = false;  // no thread to paint with: the work goes on unshown
  }
}

ProgressLine::~ProgressLine() {
  if (!enabled_ || asLines_) return;
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  painter_.join();
  erase();
}

ProgressLine::Phase::Phase(ProgressLine* line, std::string label) : line_(line && line->enabled_ ? line : nullptr) {
  if (!line_) return;
  std::lock_guard lock(line_->mutex_);
  outer_ = std::exchange(line_->label_, std::move(label));
  outerDone_ = std::exchange(line_->done_, -1.0);
  outerStart_ = std::exchange(line_->start_, std::chrono::steady_clock::now());
  line_->tell();
}

void ProgressLine::Phase::done(double share) {
  if (!line_) return;
  std::lock_guard lock(line_->mutex_);
  line_->done_ = std::clamp(share, 0.0, 1.0);
  line_->tell();
}

ProgressLine::Phase::~Phase() {
  if (!line_) return;
  {
    std::lock_guard lock(line_->mutex_);
    line_->label_ = outer_;
    line_->done_ = outerDone_;
    line_->start_ = outerStart_;
    line_->tell();
    if (line_->drawn_) {
      line_->out_ << "\r\033[K" << std::flush;
      line_->drawn_ = false;
    }
  }
  line_->wake_.notify_all();
}

void ProgressLine::tell() {
  if (!asLines_) return;
  const int percent = done_ < 0 ? -1 : static_cast<int>(done_ * 100);
  if (percent == toldPercent_ && percent >= 0) return;  // a whole percent at a time
  toldPercent_ = percent;
  out_ << '\x1e' << label_ << '\t' << percent << '\n' << std::flush;
}

void ProgressLine::erase() {
  if (!enabled_ || asLines_) return;
  std::lock_guard lock(mutex_);
  if (drawn_) out_ << "\r\033[K" << std::flush;
  drawn_ = false;
}

void ProgressLine::draw() {
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  char elapsed[32];
  std::snprintf(elapsed, sizeof elapsed, "%.0f s", seconds);
  out_ << "\r\033[K" << label_;
  if (done_ >= 0) out_ << ' ' << static_cast<int>(done_ * 100) << '%';
  out_ << " … " << elapsed << std::flush;
  drawn_ = true;
}

void ProgressLine::run() {
  std::unique_lock lock(mutex_);
  while (!stop_) {
    wake_.wait_for(lock, kRefresh);
    if (!stop_ && !label_.empty() && std::chrono::steady_clock::now() - start_ >= kQuiet) draw();
  }
}

}  // namespace tavo::cli
