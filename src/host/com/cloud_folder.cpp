#include "host/com/cloud_folder.h"

#include <windows.h>

#include <vector>

#include "host/com/variant.h"

namespace tavo::com {

namespace {

constexpr const wchar_t* kProviders = L"Software\\SyncEngines\\Providers";

std::vector<std::wstring> SubKeys(HKEY key) {
  std::vector<std::wstring> names;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  return names;
}

std::string Text(HKEY key, const wchar_t* value) {
  wchar_t data[1024] = {};
  DWORD size = sizeof(data) - sizeof(wchar_t);
  if (RegGetValueW(key, nullptr, value, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS) return "";
  return Utf8(data);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The rest of an address as a relative folder: %XX decoded (UTF-8 bytes),
// slashes as backslashes.
std::string FolderPart(const std::string& rest) {
  std::string out;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '%' && i + 2 < rest.size() && HexDigit(rest[i + 1]) >= 0 && HexDigit(rest[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(rest[i + 1]) * 16 + HexDigit(rest[i + 2]));
      i += 2;
    } else {
      out += rest[i] == '/' ? '\\' : rest[i];
    }
  }
  return out;
}

bool StartsWithIgnoringCase(const std::string& text, const std::string& start) {
  return text.size() >= start.size() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, text.data(),
                                                       static_cast<int>(start.size()), start.data(),
                                                       static_cast<int>(start.size())) == CSTR_EQUAL;
}

}  // namespace

bool IsWebAddress(const std::string& path) {
  return StartsWithIgnoringCase(path, "https://") || StartsWithIgnoringCase(path, "http://");
}

std::optional<std::string> LocalFolderOf(const std::string& address) {
  HKEY providers;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kProviders, 0, KEY_READ, &providers) != ERROR_SUCCESS) return std::nullopt;
  std::optional<std::string> found;
  std::size_t longest = 0;  // the most specific mirror wins
  for (const std::wstring& provider : SubKeys(providers)) {
    HKEY engine;
    if (RegOpenKeyExW(providers, provider.c_str(), 0, KEY_READ, &engine) != ERROR_SUCCESS) continue;
    for (const std::wstring& mirror : SubKeys(engine)) {
      HKEY entry;
      if (RegOpenKeyExW(engine, mirror.c_str(), 0, KEY_READ, &entry) != ERROR_SUCCESS) continue;
      std::string prefix = Text(entry, L"UrlNamespace"), folder = Text(entry, L"MountPoint");
      RegCloseKey(entry);
      if (prefix.empty() || folder.empty()) continue;
      if (prefix.back() != '/') prefix += '/';
      const std::string withSlash = address + "/";
      if (prefix.size() <= longest || !StartsWithIgnoringCase(withSlash, prefix)) continue;
      std::string rest = FolderPart(withSlash.substr(prefix.size()));
      if (!rest.empty() && rest.back() == '\\') rest.pop_back();
      while (!folder.empty() && folder.back() == '\\') folder.pop_back();
      found = rest.empty() ? folder : folder + "\\" + rest;
      longest = prefix.size();
    }
    RegCloseKey(engine);
  }
  RegCloseKey(providers);
  return found;
}

}  // namespace tavo::com
