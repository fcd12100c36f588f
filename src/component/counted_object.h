// The reference count every object of the DLL keeps, and the module's count
// of live objects that decides whether the DLL may be unloaded.
#pragma once

#include <windows.h>

#include "component/module.h"

namespace tavo::component {

// `Interface` is the object's primary interface; the object starts with
// one reference, its creator's.
template <class Interface>
class CountedObject : public Interface {
 public:
  CountedObject() { ObjectCreated(); }
  virtual ~CountedObject() { ObjectDestroyed(); }
  CountedObject(const CountedObject&) = delete;
  CountedObject& operator=(const CountedObject&) = delete;

  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

 private:
  LONG references_ = 1;
};

}  // namespace tavo::component
