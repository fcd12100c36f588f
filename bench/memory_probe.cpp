// Peak resident memory of the model holding a generated 100,000 x 12 sheet of
// numbers, written cell by cell (no intermediate grid). Target: < 100 MB.
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <random>

#include "host/model/application.h"
#include "host/model/recording_platform.h"

int main(int argc, char** argv) {
  int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
  tavo::model::RecordingPlatform platform;
  tavo::model::Application app{platform};
  auto& sheet = app.createWorkbook("bench.xlsx", "").modelSheet(1);
  std::mt19937 rng(1);
  std::uniform_int_distribution<int> score(0, 150);
  for (int c = 1; c <= 12; ++c) {
    sheet.setValue(tavo::host::Rect::of({1, c}), tavo::host::Value("f" + std::to_string(c)));
    for (int r = 2; r <= rows + 1; ++r)
      sheet.setValue(tavo::host::Rect::of({r, c}), tavo::host::Value(static_cast<double>(score(rng))));
  }
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  double mb = u.ru_maxrss / 1024.0;
  std::printf("rows=%d x 12: peak RSS %.1f MB (target < 100)\n", rows, mb);
  return mb < 100 ? 0 : 1;
}
