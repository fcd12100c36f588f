// The add-in the spreadsheet application loads at start-up: on connection
// it keeps the application; its ribbon tab "成绩统计" opens the dialog and
// lays out the settings sheets. The ribbon's callbacks arrive through this
// object's IDispatch by name.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "component/addin_interfaces.h"
#include "component/counted_object.h"
#include "component/dialog_window.h"

namespace tavo::component {

class AddIn final : public CountedObject<IDTExtensibility2> {
 public:
  ~AddIn() override;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override;

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;

  HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* Application, int ConnectMode, IDispatch* AddInInst,
                                         SAFEARRAY** custom) override;
  HRESULT STDMETHODCALLTYPE OnDisconnection(int RemoveMode, SAFEARRAY** custom) override;
  HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY**) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY**) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY**) override;

  // The ribbon's markup: the tab, its buttons and their callback.
  static std::wstring RibbonMarkup();

 private:
  // The ribbon interface shares this object's identity.
  struct Ribbon final : IRibbonExtensibility {
    explicit Ribbon(AddIn& a) : addIn(a) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override { return addIn.QueryInterface(iid, out); }
    ULONG STDMETHODCALLTYPE AddRef() override { return addIn.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return addIn.Release(); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;
    HRESULT STDMETHODCALLTYPE GetCustomUI(BSTR RibbonID, BSTR* RibbonXml) override;
    AddIn& addIn;
  };

  // A ribbon button was pressed: the dialog's or a command's.
  void ButtonPressed(const std::string& id);
  void Disconnect();

  Ribbon ribbon_{*this};
  IDispatch* application_ = nullptr;
  std::unique_ptr<DialogWindow> dialog_;
};

}  // namespace tavo::component
