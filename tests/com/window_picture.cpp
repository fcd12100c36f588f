// Waits for a top-level window whose title starts with TITLE, leaves its
// picture in OUT.bmp and then, when asked, presses its default button (the
// control numbered 1): a teacher going through an installer's pages.
//
//   window_picture.exe TITLE OUT.bmp [press]
#include <windows.h>

#include <iostream>
#include <string>

#include "host/com/variant.h"
#include "screenshot.h"

namespace {

struct Search {
  std::wstring title;
  HWND found = nullptr;
};

BOOL CALLBACK Visit(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  wchar_t title[256] = {};
  GetWindowTextW(window, title, 256);
  if (IsWindowVisible(window) && std::wstring(title).starts_with(search->title)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

int main() {
  // The title is Chinese: the arguments as the command line holds them.
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc < 3) {
    std::cout << "usage: window_picture TITLE OUT.bmp [press]" << std::endl;
    return 2;
  }
  Search search{argv[1]};
  for (int i = 0; i < 500 && !search.found; ++i) {
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    if (!search.found) Sleep(40);
  }
  if (!search.found) {
    std::cout << "no window titled " << tavo::com::Utf8(argv[1]) << std::endl;
    return 1;
  }
  // A page that is still working enables its button when it is done.
  const bool press = argc > 3 && std::wstring(argv[3]) == L"press";
  HWND button = GetDlgItem(search.found, 1);
  for (int i = 0; press && i < 250 && button && !IsWindowEnabled(button); ++i) Sleep(40);
  Sleep(700);  // the page drawn in full
  RECT frame;
  GetWindowRect(search.found, &frame);
  const bool pictured = tavo::testing::ScreenshotOf(frame, argv[2]);
  if (press) {
    if (!button || !IsWindowEnabled(button)) {
      std::cout << "no default button to press" << std::endl;
      return 1;
    }
    PostMessageW(button, BM_CLICK, 0, 0);
  }
  return pictured ? 0 : 1;
}
