#include "component/registration.h"

#include <olectl.h>
#include <oleauto.h>

#include <string>

#include "component/identifiers.h"
#include "component/module.h"

// In oleaut32 since Vista, but missing from the toolchain's headers.
extern "C" {
HRESULT WINAPI RegisterTypeLibForUser(ITypeLib*, OLECHAR* path, OLECHAR* helpFolder);
HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID, WORD major, WORD minor, LCID, SYSKIND);
}

namespace tavo::component {

namespace {

// A root key and the path below it that keys are named from. The current
// user's classes; a platform whose class lookup does not see them (Wine,
// say) gets the same entries in the machine's classes.
struct ClassesRoot {
  HKEY root;
  const wchar_t* prefix;
};
const ClassesRoot kUserClasses{HKEY_CURRENT_USER, L"Software\\Classes\\"};
const ClassesRoot kMachineClasses{HKEY_CLASSES_ROOT, L""};
const ClassesRoot kUser{HKEY_CURRENT_USER, L""};

bool SetValue(ClassesRoot where, const std::wstring& key, const wchar_t* name, DWORD type, const void* data,
              DWORD size) {
  HKEY handle;
  if (RegCreateKeyExW(where.root, (where.prefix + key).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) !=
      ERROR_SUCCESS)
    return false;
  LONG status = RegSetValueExW(handle, name, 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(handle);
  return status == ERROR_SUCCESS;
}

bool SetValue(ClassesRoot where, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  return SetValue(where, key, name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

// The DLL's two creatable classes: the entry the form's macros call and
// the add-in the spreadsheet application loads.
struct ClassEntry {
  const wchar_t* classId;
  const wchar_t* progId;
  const wchar_t* name;
  bool hasTypeLibrary;
};
const ClassEntry kClasses[] = {{kClassIdText, kProgId, L"zupo", true},
                               {kAddInClassIdText, kAddInProgId, L"tavo add-in", false}};

bool WriteClassEntries(ClassesRoot where) {
  for (const ClassEntry& c : kClasses) {
    const std::wstring classKey = std::wstring(L"CLSID\\") + c.classId;
    const std::wstring progKey = c.progId;
    if (!(SetValue(where, progKey, nullptr, c.name) && SetValue(where, progKey + L"\\CLSID", nullptr, c.classId) &&
          SetValue(where, classKey, nullptr, c.name) &&
          SetValue(where, classKey + L"\\InprocServer32", nullptr, ModulePath()) &&
          SetValue(where, classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
          SetValue(where, classKey + L"\\ProgID", nullptr, c.progId) &&
          SetValue(where, classKey + L"\\Version", nullptr, L"1.0")))
      return false;
    if (c.hasTypeLibrary && !SetValue(where, classKey + L"\\TypeLib", nullptr, kLibraryIdText)) return false;
  }
  return true;
}

void DeleteClassEntries(ClassesRoot where) {
  for (const ClassEntry& c : kClasses) {
    RegDeleteTreeW(where.root, (where.prefix + std::wstring(L"CLSID\\") + c.classId).c_str());
    RegDeleteTreeW(where.root, (where.prefix + std::wstring(c.progId)).c_str());
  }
}

// The spreadsheet application's entry for the add-in: its name in the
// list of add-ins and that it loads at start-up.
bool WriteAddInEntry() {
  const std::wstring key = std::wstring(kAddInsKey) + L"\\" + kAddInProgId;
  const DWORD load = kLoadAtStartUp;
  return SetValue(kUser, key, L"FriendlyName", L"成绩统计 (tavo)") &&
         SetValue(kUser, key, L"Description", L"tavo exam-score analysis") &&
         SetValue(kUser, key, L"LoadBehavior", REG_DWORD, &load, sizeof(load));
}

bool KeyExists(const wchar_t* key) {
  HKEY handle;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  RegCloseKey(handle);
  return true;
}

// Deletes `key` and each parent left empty, up to `root`.
void DeleteEmptyKeys(std::wstring key, const std::wstring& root) {
  for (; key.size() > root.size(); key.resize(key.rfind(L'\\'))) {
    HKEY handle;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) continue;
    DWORD subkeys = 1, values = 1;
    RegQueryInfoKeyW(handle, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    RegCloseKey(handle);
    if (subkeys || values) break;
    RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
  }
}

// Removes the add-in's key, then each parent registration left empty, up
// to the platform's own part of the path.
void DeleteAddInEntry() {
  const std::wstring key = std::wstring(kAddInsKey) + L"\\" + kAddInProgId;
  RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
  DeleteEmptyKeys(key.substr(0, key.rfind(L'\\')), kAddInsKeyRoot);
}

// Where the other spreadsheet is installed, it is allowed to load the
// add-in; nothing is written where it is not.
bool AllowInWps() {
  return !KeyExists(kWpsOfficeKey) || SetValue(kUser, kWpsAllowedAddInsKey, kAddInProgId, L"");
}

void DisallowInWps() {
  HKEY handle;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kWpsAllowedAddInsKey, 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS) return;
  RegDeleteValueW(handle, kAddInProgId);
  RegCloseKey(handle);
  DeleteEmptyKeys(kWpsAllowedAddInsKey, kWpsOfficeKey);
}

}  // namespace

HRESULT RegisterForUser() {
  if (!WriteClassEntries(kUserClasses)) return SELFREG_E_CLASS;
  CLSID seen;
  if (FAILED(CLSIDFromProgID(kProgId, &seen)) && !WriteClassEntries(kMachineClasses)) return SELFREG_E_CLASS;
  if (!WriteAddInEntry() || !AllowInWps()) return SELFREG_E_CLASS;

  // The type library lets macro editors list the method and its arguments.
  ITypeLib* library = nullptr;
  std::wstring path = ModulePath();
  if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library))) return SELFREG_E_TYPELIB;
  HRESULT hr = RegisterTypeLibForUser(library, path.data(), nullptr);
  library->Release();
  return FAILED(hr) ? SELFREG_E_TYPELIB : S_OK;
}

HRESULT UnregisterForUser() {
  DeleteAddInEntry();
  DisallowInWps();
  DeleteClassEntries(kUserClasses);
  // Only our own machine entries: those naming this DLL.
  wchar_t server[MAX_PATH] = {};
  DWORD size = sizeof(server);
  const std::wstring serverKey = std::wstring(L"CLSID\\") + kClassIdText + L"\\InprocServer32";
  if (RegGetValueW(HKEY_CLASSES_ROOT, serverKey.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, server, &size) ==
          ERROR_SUCCESS &&
      _wcsicmp(server, ModulePath().c_str()) == 0)
    DeleteClassEntries(kMachineClasses);
  UnRegisterTypeLibForUser(kLibraryId, 1, 0, LOCALE_NEUTRAL, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
  return S_OK;
}

}  // namespace tavo::component
