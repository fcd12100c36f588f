// Makes the DLL's objects for the component runtime: one factory per class.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace tavo::component {

class ClassFactory final : public IClassFactory {
 public:
  // `make` gives a new object holding one reference, or null.
  using Make = IUnknown* (*)();
  constexpr explicit ClassFactory(Make make) : make_(make) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // one static factory
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID, void**) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  Make make_;
};

}  // namespace tavo::component
