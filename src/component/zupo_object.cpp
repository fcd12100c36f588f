#include "component/zupo_object.h"

#include <array>

#include "component/identifiers.h"
#include "component/module.h"
#include "host/com/application.h"
#include "host/com/dialog.h"
#include "host/com/windows_platform.h"

namespace tavo::component {

namespace {

// Parameter numbers for named arguments, in the method's order.
constexpr std::array<const wchar_t*, 4> kParameters = {L"EA", L"UF", L"strFlag", L"CSB"};

ITypeInfo* LoadTypeInfo() {
  static ITypeInfo* info = [] {
    ITypeLib* library = nullptr;
    ITypeInfo* found = nullptr;
    if (SUCCEEDED(LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &library))) {
      library->GetTypeInfoOfGuid(kInterfaceId, &found);
      library->Release();
    }
    return found;
  }();
  return info;
}

// An object argument: IDispatch, or IUnknown that gives one; null for Nothing.
IDispatch* ObjectArgument(const VARIANT& v) {
  const VARIANT& d = com::Deref(v);
  if (d.vt == VT_UNKNOWN || d.vt == (VT_BYREF | VT_UNKNOWN)) {
    IUnknown* unknown = d.vt & VT_BYREF ? *d.ppunkVal : d.punkVal;
    IDispatch* object = nullptr;
    if (unknown && SUCCEEDED(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&object))))
      object->Release();  // the caller's reference keeps it alive through the call
    return object;
  }
  return com::ToDispatch(d);
}

}  // namespace

HRESULT ZupoObject::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kInterfaceId) {
    *out = static_cast<IZupo*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

HRESULT ZupoObject::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = LoadTypeInfo() ? 1 : 0;
  return S_OK;
}

HRESULT ZupoObject::GetTypeInfo(UINT index, LCID, ITypeInfo** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  ITypeInfo* info = LoadTypeInfo();
  if (!info) return TYPE_E_CANTLOADLIBRARY;
  info->AddRef();
  *out = info;
  return S_OK;
}

HRESULT ZupoObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (count == 0) return S_OK;
  HRESULT result = S_OK;
  // Names are matched without regard to case, as every automation client does.
  if (_wcsicmp(names[0], L"MyFunClick") == 0) {
    ids[0] = kMyFunClick;
  } else {
    ids[0] = DISPID_UNKNOWN;
    result = DISP_E_UNKNOWNNAME;
  }
  for (UINT i = 1; i < count; ++i) {
    ids[i] = DISPID_UNKNOWN;
    for (DISPID p = 0; p < static_cast<DISPID>(kParameters.size()); ++p)
      if (ids[0] == kMyFunClick && _wcsicmp(names[i], kParameters[static_cast<std::size_t>(p)]) == 0) ids[i] = p;
    if (ids[i] == DISPID_UNKNOWN) result = DISP_E_UNKNOWNNAME;
  }
  return result;
}

HRESULT ZupoObject::Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                           EXCEPINFO*, UINT* badArgument) {
  if (member != kMyFunClick) return DISP_E_MEMBERNOTFOUND;
  if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
  if (!params) return E_INVALIDARG;

  // Arguments by parameter: named ones by their number, the positional ones
  // last to first in front of them.
  std::array<const VARIANT*, 4> arguments{};
  const UINT positional = params->cArgs - params->cNamedArgs;
  if (params->cArgs > arguments.size()) return DISP_E_BADPARAMCOUNT;
  for (UINT i = 0; i < positional; ++i) arguments[i] = &params->rgvarg[params->cArgs - 1 - i];
  for (UINT i = 0; i < params->cNamedArgs; ++i) {
    DISPID p = params->rgdispidNamedArgs[i];
    if (p < 0 || p >= static_cast<DISPID>(arguments.size())) return DISP_E_PARAMNOTFOUND;
    arguments[static_cast<std::size_t>(p)] = &params->rgvarg[i];
  }
  for (std::size_t p = 0; p < 3; ++p)
    if (!arguments[p] || com::IsMissing(*arguments[p])) return DISP_E_PARAMNOTOPTIONAL;

  std::size_t at = 0;
  try {
    IDispatch* EA = ObjectArgument(*arguments[0]);
    at = 1;
    IDispatch* UF = ObjectArgument(*arguments[1]);
    at = 2;
    std::string strFlag = com::ToText(*arguments[2]);
    at = 3;
    std::string CSB = arguments[3] && !com::IsMissing(*arguments[3]) ? com::ToText(*arguments[3]) : std::string();
    return Run(EA, UF, strFlag, CSB, result);
  } catch (const host::HostError&) {
    // Positions count from the last argument, as rgvarg holds them.
    if (badArgument && at < positional) *badArgument = positional - 1 - static_cast<UINT>(at);
    return DISP_E_TYPEMISMATCH;
  }
}

HRESULT ZupoObject::MyFunClick(IDispatch** EA, IDispatch** UF, BSTR* strFlag, VARIANT* CSB, VARIANT* result) {
  if (!EA || !UF || !strFlag) return E_POINTER;
  try {
    std::string csb = CSB && !com::IsMissing(*CSB) ? com::ToText(*CSB) : std::string();
    return Run(*EA, *UF, com::BstrText(*strFlag), csb, result);
  } catch (const host::HostError&) {
    return DISP_E_TYPEMISMATCH;
  }
}

HRESULT ZupoObject::Run(IDispatch* EA, IDispatch* UF, const std::string& strFlag, const std::string& CSB,
                        VARIANT* result) {
  if (result) VariantInit(result);  // the result is always empty
  try {
    // Every host object the command touches is released when it ends.
    com::Dispatch spreadsheet(EA, "Application");
    com::WindowsPlatform platform(spreadsheet);
    com::Application application(spreadsheet, platform);
    com::Dialog dialog(com::Dispatch(UF, "UserForm"));
    engine_.MyFunClick(application, dialog, strFlag, CSB);
  } catch (...) {
    // The entry reports every error itself; nothing may reach the caller.
  }
  return S_OK;
}

}  // namespace tavo::component
