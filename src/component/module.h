// What the whole DLL shares: its handle and the count of live objects and
// locks that decides whether it may be unloaded.
#pragma once

#include <windows.h>

#include <string>

namespace tavo::component {

HMODULE Module();
std::wstring ModulePath();
void ObjectCreated();
void ObjectDestroyed();
void LockModule(bool lock);

}  // namespace tavo::component
