// The DLL's exported entry points.
#include "component/module.h"

#include <new>

#include "component/addin_object.h"
#include "component/class_factory.h"
#include "component/identifiers.h"
#include "component/registration.h"
#include "component/zupo_object.h"

namespace tavo::component {

namespace {

HMODULE module = nullptr;
LONG liveObjects = 0;
LONG locks = 0;
ClassFactory zupoFactory([]() -> IUnknown* { return static_cast<IZupo*>(new (std::nothrow) ZupoObject()); });
ClassFactory addInFactory(
    []() -> IUnknown* { return static_cast<IDTExtensibility2*>(new (std::nothrow) AddIn()); });

}  // namespace

HMODULE Module() { return module; }

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

void ObjectCreated() { InterlockedIncrement(&liveObjects); }
void ObjectDestroyed() { InterlockedDecrement(&liveObjects); }
void LockModule(bool lock) { lock ? InterlockedIncrement(&locks) : InterlockedDecrement(&locks); }

}  // namespace tavo::component

using namespace tavo::component;

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (clsid == kClassId) return zupoFactory.QueryInterface(iid, out);
  if (clsid == kAddInClassId) return addInFactory.QueryInterface(iid, out);
  return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() { return liveObjects == 0 && locks == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() { return RegisterForUser(); }

STDAPI DllUnregisterServer() { return UnregisterForUser(); }

// regsvr32 /i /n tavo.dll and regsvr32 /u /i /n tavo.dll: the same, for
// installers that call this entry.
STDAPI DllInstall(BOOL install, LPCWSTR) { return install ? RegisterForUser() : UnregisterForUser(); }

}  // extern "C"
