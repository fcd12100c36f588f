#include "component/registration.h"

#include <olectl.h>
#include <oleauto.h>

#include <string>

#include "component/guids.h"
#include "component/module.h"

// In oleaut32 since Vista, but missing from the toolchain's headers.
extern "C" {
HRESULT WINAPI RegisterTypeLibForUser(ITypeLib*, OLECHAR* path, OLECHAR* helpFolder);
HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID, WORD major, WORD minor, LCID, SYSKIND);
}

namespace tavo::component {

namespace {

const std::wstring kClasses = L"Software\\Classes\\";

bool SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY handle;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) !=
      ERROR_SUCCESS)
    return false;
  LONG status = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                               static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
  return status == ERROR_SUCCESS;
}

}  // namespace

HRESULT RegisterForUser() {
  const std::wstring classKey = kClasses + L"CLSID\\" + kClassIdText;
  const std::wstring progKey = kClasses + kProgId;
  bool written = SetValue(progKey, nullptr, L"zupo") && SetValue(progKey + L"\\CLSID", nullptr, kClassIdText) &&
                 SetValue(classKey, nullptr, L"zupo") &&
                 SetValue(classKey + L"\\InprocServer32", nullptr, ModulePath()) &&
                 SetValue(classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
                 SetValue(classKey + L"\\ProgID", nullptr, kProgId) &&
                 SetValue(classKey + L"\\TypeLib", nullptr, kLibraryIdText) &&
                 SetValue(classKey + L"\\Version", nullptr, L"1.0");
  if (!written) return SELFREG_E_CLASS;

  // The type library lets macro editors list the method and its arguments.
  ITypeLib* library = nullptr;
  std::wstring path = ModulePath();
  if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library))) return SELFREG_E_TYPELIB;
  HRESULT hr = RegisterTypeLibForUser(library, path.data(), nullptr);
  library->Release();
  return FAILED(hr) ? SELFREG_E_TYPELIB : S_OK;
}

HRESULT UnregisterForUser() {
  RegDeleteTreeW(HKEY_CURRENT_USER, (kClasses + L"CLSID\\" + kClassIdText).c_str());
  RegDeleteTreeW(HKEY_CURRENT_USER, (kClasses + kProgId).c_str());
  UnRegisterTypeLibForUser(kLibraryId, 1, 0, LOCALE_NEUTRAL, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
  return S_OK;
}

}  // namespace tavo::component
