// The registry entries that make tavo.zupo creatable by name, written for the
// current user only, so that no administrator is needed.
#pragma once

#include <windows.h>

namespace tavo::component {

HRESULT RegisterForUser();
HRESULT UnregisterForUser();

}  // namespace tavo::component
