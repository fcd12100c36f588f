// The tavo program. For now it only tells its version.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc >= 2 && (std::strcmp(argv[1], "--version") == 0)) {
    std::printf("tavo %s\n", TAVO_VERSION);
    return 0;
  }
  std::fprintf(stderr, "usage: tavo --version\n");
  return 1;
}
