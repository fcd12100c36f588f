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

// The current user's classes; a platform whose class lookup does not see
// them (Wine, say) gets the same entries in the machine's classes.
struct ClassesRoot {
  HKEY root;
  const wchar_t* prefix;
};
const ClassesRoot kUserClasses{HKEY_CURRENT_USER, L"Software\\Classes\\"};
const ClassesRoot kMachineClasses{HKEY_CLASSES_ROOT, L""};

bool SetValue(ClassesRoot where, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY handle;
  if (RegCreateKeyExW(where.root, (where.prefix + key).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) !=
      ERROR_SUCCESS)
    return false;
  LONG status = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                               static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
  return status == ERROR_SUCCESS;
}

bool WriteClassEntries(ClassesRoot where) {
  const std::wstring classKey = std::wstring(L"CLSID\\") + kClassIdText;
  const std::wstring progKey = kProgId;
  return SetValue(where, progKey, nullptr, L"zupo") && SetValue(where, progKey + L"\\CLSID", nullptr, kClassIdText) &&
         SetValue(where, classKey, nullptr, L"zupo") &&
         SetValue(where, classKey + L"\\InprocServer32", nullptr, ModulePath()) &&
         SetValue(where, classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
         SetValue(where, classKey + L"\\ProgID", nullptr, kProgId) &&
         SetValue(where, classKey + L"\\TypeLib", nullptr, kLibraryIdText) &&
         SetValue(where, classKey + L"\\Version", nullptr, L"1.0");
}

void DeleteClassEntries(ClassesRoot where) {
  RegDeleteTreeW(where.root, (where.prefix + std::wstring(L"CLSID\\") + kClassIdText).c_str());
  RegDeleteTreeW(where.root, (where.prefix + std::wstring(kProgId)).c_str());
}

}  // namespace

HRESULT RegisterForUser() {
  if (!WriteClassEntries(kUserClasses)) return SELFREG_E_CLASS;
  CLSID seen;
  if (FAILED(CLSIDFromProgID(kProgId, &seen)) && !WriteClassEntries(kMachineClasses)) return SELFREG_E_CLASS;

  // The type library lets macro editors list the method and its arguments.
  ITypeLib* library = nullptr;
  std::wstring path = ModulePath();
  if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library))) return SELFREG_E_TYPELIB;
  HRESULT hr = RegisterTypeLibForUser(library, path.data(), nullptr);
  library->Release();
  return FAILED(hr) ? SELFREG_E_TYPELIB : S_OK;
}

HRESULT UnregisterForUser() {
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
