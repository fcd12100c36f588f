// The DLL under test, loaded from its full path, and its exported entries
// (DllRegisterServer, DllUnregisterServer, DllCanUnloadNow) called by name.
#pragma once

#include <windows.h>

#include <string>

#include "host/com/variant.h"

namespace tavo::testing {

class ComponentDll {
 public:
  explicit ComponentDll(const char* path) {
    wchar_t full[MAX_PATH];
    GetFullPathNameW(com::Wide(path).c_str(), MAX_PATH, full, nullptr);
    path_ = full;
    module_ = LoadLibraryW(full);
  }
  bool loaded() const { return module_ != nullptr; }
  const std::wstring& path() const { return path_; }
  HRESULT call(const char* entry) const {
    auto function = reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void (*)()>(GetProcAddress(module_, entry)));
    return function ? function() : E_NOTIMPL;
  }

 private:
  std::wstring path_;
  HMODULE module_ = nullptr;
};

}  // namespace tavo::testing
