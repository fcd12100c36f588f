// The creatable class zupo: its default interface _zupo is a dual interface
// with the one method MyFunClick, which forwards each call to the engine with
// the spreadsheet and the dialog wrapped as host objects.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "component/counted_object.h"
#include "engine/zupo.h"

namespace tavo::component {

// _zupo as the type library describes it.
struct IZupo : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE MyFunClick(IDispatch** EA, IDispatch** UF, BSTR* strFlag, VARIANT* CSB,
                                               VARIANT* result) = 0;
};

class ZupoObject final : public CountedObject<IZupo> {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override;

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  // Takes the arguments as a script passes them (variants, by value or by
  // reference) and as a macro does (typed, by reference), positional or named.
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;

  HRESULT STDMETHODCALLTYPE MyFunClick(IDispatch** EA, IDispatch** UF, BSTR* strFlag, VARIANT* CSB,
                                       VARIANT* result) override;

 private:
  HRESULT Run(IDispatch* EA, IDispatch* UF, const std::string& strFlag, const std::string& CSB, VARIANT* result);

  engine::zupo engine_;  // keeps the selected data workbook between calls
};

}  // namespace tavo::component
