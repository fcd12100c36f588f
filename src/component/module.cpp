// The DLL's exported entry points.
#include "component/module.h"

#include "component/class_factory.h"
#include "component/identifiers.h"
#include "component/registration.h"

namespace tavo::component {

namespace {

HMODULE module = nullptr;
LONG liveObjects = 0;
LONG locks = 0;
ClassFactory factory;

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
  if (clsid != kClassId) return CLASS_E_CLASSNOTAVAILABLE;
  return factory.QueryInterface(iid, out);
}

STDAPI DllCanUnloadNow() { return liveObjects == 0 && locks == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() { return RegisterForUser(); }

STDAPI DllUnregisterServer() { return UnregisterForUser(); }

}  // extern "C"
