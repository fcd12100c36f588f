// A fresh folder for a test's files, removed afterwards.
#pragma once

#include <filesystem>
#include <random>
#include <string>

namespace tavo::testing {

struct TempFolder {
  std::filesystem::path path;
  TempFolder() {
    std::random_device rd;
    path = std::filesystem::temp_directory_path() / ("tavo-test-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  std::string file(const std::string& name) const { return (path / name).string(); }
};

}  // namespace tavo::testing
