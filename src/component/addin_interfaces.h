// The spreadsheet application's add-in interfaces, as its own type
// libraries describe them (the toolchain's headers lack them). Both are
// dual: the application calls through the table and through Invoke.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace tavo::component {

enum ConnectMode { kAfterStartUp = 0, kStartUp = 1, kExternal = 2, kCommandLine = 3 };

// Connection and disconnection of an add-in; member numbers 1 to 5.
struct IDTExtensibility2 : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* Application, int ConnectMode, IDispatch* AddInInst,
                                                 SAFEARRAY** custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnDisconnection(int RemoveMode, SAFEARRAY** custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) = 0;
};

// The ribbon's markup; member number 1. The callbacks the markup names are
// called through the add-in's IDispatch by name.
struct IRibbonExtensibility : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE GetCustomUI(BSTR RibbonID, BSTR* RibbonXml) = 0;
};

}  // namespace tavo::component
