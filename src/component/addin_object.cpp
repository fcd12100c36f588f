#include "component/addin_object.h"

#include "component/identifiers.h"
#include "engine/zupo.h"
#include "host/com/variant.h"

namespace tavo::component {

namespace {

// Member numbers of the add-in's IDispatch: the connection's, as its
// interface numbers them, then the ribbon's callback.
constexpr DISPID kOnConnection = 1, kOnDisconnection = 2, kOnAddInsUpdate = 3, kOnStartupComplete = 4,
                 kOnBeginShutdown = 5, kOnRibbonButton = 101;
constexpr DISPID kGetCustomUI = 1;

struct Member {
  const wchar_t* name;
  DISPID id;
};
constexpr Member kMembers[] = {{L"OnConnection", kOnConnection},       {L"OnDisconnection", kOnDisconnection},
                               {L"OnAddInsUpdate", kOnAddInsUpdate},   {L"OnStartupComplete", kOnStartupComplete},
                               {L"OnBeginShutdown", kOnBeginShutdown}, {L"OnRibbonButton", kOnRibbonButton}};

// The ribbon button that opens the dialog; every other button's id is the
// name of the command it runs.
constexpr const char* kDialogButton = "tavoDialog";

// The argument at position `i` of a call, counting from the first.
const VARIANT& Argument(const DISPPARAMS& params, UINT i) { return params.rgvarg[params.cArgs - 1 - i]; }

SAFEARRAY** NoCustom() {
  static SAFEARRAY* none = nullptr;
  return &none;
}

}  // namespace

AddIn::~AddIn() { Disconnect(); }

HRESULT AddIn::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kExtensibilityId) {
    *out = static_cast<IDTExtensibility2*>(this);
  } else if (iid == kRibbonExtensibilityId) {
    *out = static_cast<IRibbonExtensibility*>(&ribbon_);
  } else {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

HRESULT AddIn::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT AddIn::GetTypeInfo(UINT, LCID, ITypeInfo** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

HRESULT AddIn::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  HRESULT result = S_OK;
  for (UINT i = 0; i < count; ++i) {
    ids[i] = DISPID_UNKNOWN;
    if (i == 0)
      for (const Member& m : kMembers)
        if (_wcsicmp(names[0], m.name) == 0) ids[0] = m.id;
    if (ids[i] == DISPID_UNKNOWN) result = DISP_E_UNKNOWNNAME;
  }
  return result;
}

HRESULT AddIn::Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                      UINT*) {
  if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
  if (!params) return E_INVALIDARG;
  if (result) VariantInit(result);
  const UINT n = params->cArgs;
  try {
    switch (member) {
      case kOnConnection:
        if (n < 1) return DISP_E_BADPARAMCOUNT;
        return OnConnection(com::ToDispatch(Argument(*params, 0)), n > 1 ? com::ToInt(Argument(*params, 1)) : 0,
                            nullptr, NoCustom());
      case kOnDisconnection:
        return OnDisconnection(n > 0 ? com::ToInt(Argument(*params, 0)) : 0, NoCustom());
      case kOnAddInsUpdate:
      case kOnStartupComplete:
        return S_OK;
      case kOnBeginShutdown:
        return OnBeginShutdown(NoCustom());
      case kOnRibbonButton: {
        if (n < 1) return DISP_E_BADPARAMCOUNT;
        IDispatch* control = com::ToDispatch(Argument(*params, 0));
        if (!control) return DISP_E_TYPEMISMATCH;
        // The application may let go of the add-in while the command's
        // boxes are up; the add-in lives until the command returns.
        AddRef();
        try {
          ButtonPressed(com::ToText(*com::Dispatch(control, "RibbonControl").get("Id")));
        } catch (...) {
          Release();
          throw;
        }
        Release();
        return S_OK;
      }
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  } catch (const host::HostError&) {
    return DISP_E_TYPEMISMATCH;
  } catch (...) {
    return E_FAIL;  // nothing may cross into the application
  }
}

HRESULT AddIn::OnConnection(IDispatch* application, int, IDispatch*, SAFEARRAY**) {
  if (!application) return E_INVALIDARG;
  Disconnect();
  application->AddRef();
  application_ = application;
  return S_OK;
}

HRESULT AddIn::OnDisconnection(int, SAFEARRAY**) {
  Disconnect();
  return S_OK;
}

HRESULT AddIn::OnBeginShutdown(SAFEARRAY**) {
  DialogWindow::Dispose(std::move(dialog_));  // the window goes before the application does
  return S_OK;
}

void AddIn::Disconnect() {
  DialogWindow::Dispose(std::move(dialog_));
  if (application_) application_->Release();
  application_ = nullptr;
}

void AddIn::ButtonPressed(const std::string& id) {
  if (!application_) return;
  // A click in another workbook's window while a command's box is up: the
  // command under way finishes first.
  if (dialog_ && dialog_->busy()) {
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  if (!dialog_) dialog_ = std::make_unique<DialogWindow>(com::Dispatch(application_, "Application"));
  if (id == kDialogButton) {
    dialog_->show();
    return;
  }
  if (auto command = engine::zupo::FindCommand(id)) dialog_->run(command->name);
}

std::wstring AddIn::RibbonMarkup() {
  std::string xml =
      "<customUI xmlns=\"http://schemas.microsoft.com/office/2006/01/customui\">"
      "<ribbon><tabs><tab id=\"tavoTab\" label=\"成绩统计\">"
      "<group id=\"tavoDialogGroup\" label=\"成绩统计\">"
      "<button id=\"" + std::string(kDialogButton) + "\" label=\"统计对话框\" size=\"large\" "
      "imageMso=\"TableInsert\" screentip=\"选成绩文件、设参数表、出统计表\" onAction=\"OnRibbonButton\"/>"
      "<button id=\"MyHelp\" label=\"" + engine::zupo::FindCommand("MyHelp")->caption +
      "\" size=\"large\" imageMso=\"Help\" onAction=\"OnRibbonButton\"/>"
      "</group><group id=\"tavoSettingsGroup\" label=\"参数表\">";
  for (const engine::CommandInfo& command : engine::zupo::Commands())
    if (command.kind == engine::CommandKind::Layout)
      xml += "<button id=\"" + command.name + "\" label=\"" + command.caption +
             "\" imageMso=\"PropertySheet\" onAction=\"OnRibbonButton\"/>";
  xml += "</group></tab></tabs></ribbon></customUI>";
  return com::Wide(xml);
}

HRESULT AddIn::Ribbon::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT AddIn::Ribbon::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  if (count == 1 && _wcsicmp(names[0], L"GetCustomUI") == 0) {
    ids[0] = kGetCustomUI;
    return S_OK;
  }
  return DISP_E_UNKNOWNNAME;
}

HRESULT AddIn::Ribbon::Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                              EXCEPINFO*, UINT*) {
  if (member != kGetCustomUI || !(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
  if (!result) return E_POINTER;
  VariantInit(result);
  BSTR markup = nullptr;
  HRESULT hr = GetCustomUI(nullptr, &markup);
  if (SUCCEEDED(hr)) {
    result->vt = VT_BSTR;
    result->bstrVal = markup;
  }
  return hr;
}

HRESULT AddIn::Ribbon::GetCustomUI(BSTR, BSTR* markup) {
  if (!markup) return E_POINTER;
  // One markup for every ribbon the application asks about.
  const std::wstring xml = RibbonMarkup();
  *markup = SysAllocStringLen(xml.data(), static_cast<UINT>(xml.size()));
  return *markup ? S_OK : E_OUTOFMEMORY;
}

}  // namespace tavo::component
