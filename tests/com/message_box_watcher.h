// Watches for the real message boxes a call shows: each box (window class
// "#32770" with a text) is read, its title and text kept, and its OK button pressed, so
// that the call can go on.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "host/com/variant.h"

namespace tavo::testing {

class MessageBoxWatcher {
 public:
  struct Box {
    std::string title, text;
  };

  // `meanwhile` runs (on the watcher's thread) while each box is up, before
  // its OK is pressed: what the teacher does elsewhere meanwhile.
  explicit MessageBoxWatcher(std::function<void(HWND box)> meanwhile = {})
      : meanwhile_(std::move(meanwhile)), thread_([this] { Watch(); }) {}
  ~MessageBoxWatcher() {
    stop_ = true;
    thread_.join();
  }

  std::vector<Box> boxes() {
    std::lock_guard<std::mutex> lock(mutex_);
    return boxes_;
  }

 private:
  struct Search {
    const std::set<HWND>* pressed;
    HWND found = nullptr;
  };

  static BOOL CALLBACK Visit(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    wchar_t className[16] = {};
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    GetClassNameW(window, className, 16);
    // A message box holds its text in the static 0xFFFF; the file dialogs,
    // of the same class, have none.
    if (process == GetCurrentProcessId() && wcscmp(className, L"#32770") == 0 && IsWindowVisible(window) &&
        GetDlgItem(window, 0xFFFF) && !search->pressed->count(window)) {
      search->found = window;
      return FALSE;
    }
    return TRUE;
  }

  // A visible box of this process not pressed yet, or null.
  static HWND OpenBox(const std::set<HWND>& pressed) {
    Search search{&pressed};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  void Watch() {
    std::set<HWND> pressed;
    while (!stop_) {
      if (HWND box = OpenBox(pressed)) {
        wchar_t title[256] = {}, text[4096] = {};
        GetWindowTextW(box, title, 256);
        GetDlgItemTextW(box, 0xFFFF, text, 4096);  // the box's static text
        {
          std::lock_guard<std::mutex> lock(mutex_);
          boxes_.push_back({com::Utf8(title), com::Utf8(text)});
        }
        pressed.insert(box);
        if (meanwhile_) meanwhile_(box);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  std::function<void(HWND)> meanwhile_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<Box> boxes_;
  std::thread thread_;
};

}  // namespace tavo::testing
