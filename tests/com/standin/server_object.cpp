#include "standin/server_object.h"

#include <cwctype>

#include "host/value.h"

namespace tavo::standin {

namespace {

// Member and argument names share one table of numbers.
struct NameTable {
  std::unordered_map<std::string, DISPID> ids;
  std::vector<std::string> names;
  DISPID id(const std::string& name) {
    auto [it, added] = ids.emplace(name, static_cast<DISPID>(names.size() + 100));
    if (added) names.push_back(name);
    return it->second;
  }
  const std::string& name(DISPID id) const { return names.at(static_cast<std::size_t>(id - 100)); }
};

NameTable& Names() {
  static NameTable table;
  return table;
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

}  // namespace

Counters& Served() {
  static Counters counters;
  return counters;
}

const VARIANT* Call::arg(std::size_t position, const char* name) const {
  const VARIANT* found = nullptr;
  if (auto it = named.find(Lower(name)); it != named.end()) found = it->second;
  else if (position < positional.size()) found = positional[position];
  return found && !com::IsMissing(*found) ? found : nullptr;
}

const VARIANT& Call::need(std::size_t position, const char* name) const {
  const VARIANT* v = arg(position, name);
  if (!v) throw host::HostError(449, "参数不可选");
  return *v;
}

ServerObject& ServerObject::method(const std::string& name, Member m) {
  members_[Lower(name)] = std::move(m);
  return *this;
}

ServerObject& ServerObject::property(const std::string& name, Getter get, Setter set) {
  return method(name, [get = std::move(get), set = std::move(set)](const Call& c) {
    if (!c.isPut) return get();
    if (!set) throw host::HostError(1004, "不能设置该属性");
    set(*c.value);
    return Variant();
  });
}

HRESULT ServerObject::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch) {
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG ServerObject::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG ServerObject::Release() {
  LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT ServerObject::GetTypeInfoCount(UINT* n) {
  if (n) *n = 0;
  return S_OK;
}

HRESULT ServerObject::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }

// The spreadsheet answers automation in US English only where its
// interface is not in the caller's language: an English interface with
// other regional settings refuses the call ("Old format or invalid type
// library").
constexpr LCID kAnsweredLocale = 1033;

HRESULT ServerObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) {
  ++Served().nameLookups;
  if (locale != kAnsweredLocale) return TYPE_E_INVDATAREAD;
  HRESULT result = S_OK;
  for (UINT i = 0; i < count; ++i) {
    std::string name = Lower(com::Utf8(names[i]));
    if (i == 0 && !members_.count(name)) {
      ids[0] = DISPID_UNKNOWN;
      result = DISP_E_UNKNOWNNAME;
      continue;
    }
    ids[i] = Names().id(name);
  }
  return result;
}

HRESULT ServerObject::Invoke(DISPID id, REFIID, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                             EXCEPINFO* exception, UINT*) {
  ++Served().invokes;
  if (locale != kAnsweredLocale) return TYPE_E_INVDATAREAD;
  struct AfterCall {
    ~AfterCall() {
      if (Served().afterCall) Served().afterCall();
    }
  } after;
  if (id < 100 || static_cast<std::size_t>(id - 100) >= Names().names.size()) return DISP_E_MEMBERNOTFOUND;
  auto member = members_.find(Names().name(id));
  if (member == members_.end()) return DISP_E_MEMBERNOTFOUND;

  Call call;
  call.isPut = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  UINT first = 0;
  for (UINT i = 0; i < params->cNamedArgs; ++i) {
    DISPID n = params->rgdispidNamedArgs[i];
    if (n == DISPID_PROPERTYPUT) call.value = &params->rgvarg[i];
    else call.named[Names().name(n)] = &params->rgvarg[i];
    ++first;
  }
  for (UINT i = params->cArgs; i > first; --i) call.positional.push_back(&params->rgvarg[i - 1]);
  if (call.isPut && !call.value) return DISP_E_PARAMNOTOPTIONAL;

  try {
    Variant value = member->second(call);
    if (result) {
      *result = *value.get();  // the caller owns it now
      VariantInit(value.get());
    }
    return S_OK;
  } catch (const host::HostError& e) {
    if (exception) {
      *exception = EXCEPINFO{};
      exception->scode = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, e.number);
      exception->bstrSource = SysAllocString(L"tavo stand-in");
      exception->bstrDescription = SysAllocString(com::Wide(e.description).c_str());
    }
    return DISP_E_EXCEPTION;
  }
}

Variant Give(ServerObject* object) {
  Variant v(static_cast<IDispatch*>(object));
  object->Release();
  return v;
}

}  // namespace tavo::standin
