#include "host/com/windows_platform.h"

#include <algorithm>
#include <string>

namespace tavo::com {

HWND WindowsPlatform::owner() const {
  try {
    return reinterpret_cast<HWND>(static_cast<std::intptr_t>(ToNumber(*spreadsheet_.get("Hwnd"))));
  } catch (const host::HostError&) {
    return nullptr;  // a box without an owner still shows
  }
}

int WindowsPlatform::messageBox(const std::string& prompt, int style, const std::string& title) {
  return MessageBoxW(owner(), Wide(prompt).c_str(), Wide(title).c_str(), static_cast<UINT>(style));
}

void WindowsPlatform::beep(int frequencyHz, int durationMs) {
  ::Beep(static_cast<DWORD>(frequencyHz), static_cast<DWORD>(durationMs));
}

std::vector<std::string> WindowsPlatform::listFiles(const std::string& folder) {
  std::wstring pattern = Wide(folder);
  if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
  pattern += L'*';
  std::vector<std::string> files;
  WIN32_FIND_DATAW entry;
  HANDLE listing = FindFirstFileW(pattern.c_str(), &entry);
  if (listing == INVALID_HANDLE_VALUE) return files;
  constexpr DWORD kSkipped = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  do {
    if (!(entry.dwFileAttributes & kSkipped)) files.push_back(Utf8(entry.cFileName));
  } while (FindNextFileW(listing, &entry));
  FindClose(listing);
  return files;
}

void WindowsPlatform::openDocument(const std::string& path) {
  CLSID word;
  IDispatch* created = nullptr;
  if (FAILED(CLSIDFromProgID(L"Word.Application", &word)) ||
      FAILED(CoCreateInstance(word, nullptr, CLSCTX_LOCAL_SERVER | CLSCTX_INPROC_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(&created))))
    throw host::HostError(429, "ActiveX 部件不能创建对象");
  Dispatch app(created, "WordApplication");
  created->Release();
  app.put("Visible", true);
  app.object("Documents", "Documents").call("Open", {}, {{"FileName", Variant(path)}});
}

// Titles are compared as the window holds them, in wide characters, so that
// a Chinese caption is found whatever the system's code page.
std::intptr_t WindowsPlatform::findWindow(const std::string& className, const std::string& title) {
  return reinterpret_cast<std::intptr_t>(FindWindowW(Wide(className).c_str(), Wide(title).c_str()));
}

std::int32_t WindowsPlatform::windowStyle(std::intptr_t window) {
  return static_cast<std::int32_t>(GetWindowLongW(reinterpret_cast<HWND>(window), GWL_STYLE));
}

void WindowsPlatform::setWindowStyle(std::intptr_t window, std::int32_t style) {
  SetWindowLongW(reinterpret_cast<HWND>(window), GWL_STYLE, style);
}

host::Date WindowsPlatform::today() const {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay};
}

void WindowsPlatform::showProgress(const std::string& step, double share) {
  if (share >= 1) {
    endProgress();
    return;
  }
  // A call per percent at most: each is a round trip to the spreadsheet.
  const int percent = std::clamp(static_cast<int>(share * 100), 0, 99);
  if (step == shownStep_ && percent == shownPercent_) return;
  shownStep_ = step;
  shownPercent_ = percent;
  try {
    spreadsheet_.put("StatusBar", Variant(step + " " + std::to_string(percent) + "%"));
  } catch (const host::HostError&) {  // a spreadsheet without a status bar shows nothing
  }
}

void WindowsPlatform::endProgress() {
  if (shownStep_.empty()) return;
  shownStep_.clear();
  shownPercent_ = -1;
  try {
    spreadsheet_.put("StatusBar", Variant(false));
  } catch (const host::HostError&) {
  }
}

}  // namespace tavo::com
