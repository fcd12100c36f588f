#include "host/com/dispatch.h"

#include <dispex.h>

#include <map>
#include <utility>
#include <vector>

namespace tavo::com {

namespace {

// Automation clients speak to the spreadsheet in US English whatever the
// user's settings: other locale ids change how text becomes numbers and
// dates, and an English interface refuses them outright.
constexpr LCID kAutomationLocale = 1033;

// IDispatchEx, which the toolchain declares but its libraries do not define.
constexpr IID kDispatchEx = {0xA6EF9860, 0xC720, 0x11D0, {0x93, 0x37, 0x00, 0xA0, 0xC9, 0x0D, 0xCA, 0xA9}};

// Member numbers by kind of object, member and named arguments.
std::vector<DISPID> Resolve(IDispatch* object, const char* kind, const char* member,
                            std::initializer_list<NamedArg> named) {
  static std::map<std::string, std::vector<DISPID>> cache;
  std::string key = std::string(kind) + '|' + member;
  for (const NamedArg& n : named) key += std::string("|") + n.name;
  if (auto it = cache.find(key); it != cache.end()) return it->second;

  std::vector<std::wstring> names{Wide(member)};
  for (const NamedArg& n : named) names.push_back(Wide(n.name));
  std::vector<LPOLESTR> pointers;
  for (auto& n : names) pointers.push_back(n.data());
  std::vector<DISPID> ids(names.size());
  HRESULT hr = object->GetIDsOfNames(IID_NULL, pointers.data(), static_cast<UINT>(pointers.size()),
                                     kAutomationLocale, ids.data());
  if (FAILED(hr) && named.size() == 0) {
    // Some script engines answer names only through IDispatchEx.
    IDispatchEx* ex = nullptr;
    if (SUCCEEDED(object->QueryInterface(kDispatchEx, reinterpret_cast<void**>(&ex)))) {
      BSTR name = SysAllocString(names[0].c_str());
      hr = ex->GetDispID(name, fdexNameCaseInsensitive, &ids[0]);
      SysFreeString(name);
      ex->Release();
    }
  }
  if (FAILED(hr)) throw CallError(DISP_E_MEMBERNOTFOUND, nullptr);
  cache.emplace(std::move(key), ids);
  return ids;
}

}  // namespace

host::HostError CallError(HRESULT hr, EXCEPINFO* e) {
  if (hr == DISP_E_EXCEPTION && e) {
    if (e->pfnDeferredFillIn) e->pfnDeferredFillIn(e);
    std::string description = BstrText(e->bstrDescription);
    int number = e->wCode ? e->wCode
                 : HRESULT_FACILITY(e->scode) == FACILITY_CONTROL ? HRESULT_CODE(e->scode)
                                                                  : static_cast<int>(e->scode);
    SysFreeString(e->bstrSource);
    SysFreeString(e->bstrDescription);
    SysFreeString(e->bstrHelpFile);
    if (description.empty()) description = "应用程序定义或对象定义错误";
    return host::HostError(number, description);
  }
  switch (hr) {
    case DISP_E_MEMBERNOTFOUND:
    case DISP_E_UNKNOWNNAME:
      return host::HostError(438, "对象不支持该属性或方法");
    case DISP_E_TYPEMISMATCH:
      return host::HostError::typeMismatch();
    case DISP_E_BADINDEX:
      return host::HostError::subscriptOutOfRange();
    case DISP_E_OVERFLOW:
      return host::HostError::overflow();
    case DISP_E_BADPARAMCOUNT:
    case DISP_E_PARAMNOTOPTIONAL:
    case DISP_E_PARAMNOTFOUND:
      return host::HostError(450, "错误的参数号或无效的属性赋值");
    default:
      return host::HostError(static_cast<int>(hr), "自动化错误");
  }
}

Dispatch::Dispatch(IDispatch* object, const char* kind) : object_(object), kind_(kind) {
  if (object_) object_->AddRef();
}

Dispatch::Dispatch(const Variant& object, const char* kind) : Dispatch(ToDispatch(*object), kind) {}

Dispatch::Dispatch(const Dispatch& o) : Dispatch(o.object_, o.kind_) {}

Dispatch::Dispatch(Dispatch&& o) noexcept : object_(std::exchange(o.object_, nullptr)), kind_(o.kind_) {}

Dispatch& Dispatch::operator=(Dispatch o) {
  std::swap(object_, o.object_);
  std::swap(kind_, o.kind_);
  return *this;
}

Dispatch::~Dispatch() {
  if (object_) object_->Release();
}

IUnknown* Dispatch::identity() const {
  IUnknown* unknown = nullptr;
  if (!object_ || FAILED(object_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)))) return nullptr;
  // The pointer stays valid while this object holds its own reference.
  unknown->Release();
  return unknown;
}

Variant Dispatch::get(const char* member, std::initializer_list<Variant> args) const {
  return invoke(member, DISPATCH_PROPERTYGET, args, {}, nullptr);
}

Dispatch Dispatch::object(const char* member, const char* kind, std::initializer_list<Variant> args) const {
  Dispatch d(get(member, args), kind);
  if (!d) throw host::HostError(91, "对象变量或 With 块变量未设置");
  return d;
}

void Dispatch::put(const char* member, const Variant& value, std::initializer_list<Variant> args) const {
  invoke(member, DISPATCH_PROPERTYPUT, args, {}, &value);
}

Variant Dispatch::call(const char* member, std::initializer_list<Variant> args,
                       std::initializer_list<NamedArg> named) const {
  return invoke(member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, named, nullptr);
}

Variant Dispatch::invoke(const char* member, WORD flags, std::initializer_list<Variant> args,
                         std::initializer_list<NamedArg> named, const Variant* putValue) const {
  if (!object_) throw host::HostError(91, "对象变量或 With 块变量未设置");
  std::vector<DISPID> ids = Resolve(object_, kind_, member, named);

  // Named arguments first, in their order, then the positional ones last to
  // first; a put's value is the named argument DISPID_PROPERTYPUT.
  std::vector<VARIANT> slots;
  std::vector<DISPID> namedIds;
  if (putValue) {
    slots.push_back(**putValue);
    namedIds.push_back(DISPID_PROPERTYPUT);
  }
  std::size_t i = 1;
  for (const NamedArg& n : named) {
    slots.push_back(*n.value);
    namedIds.push_back(ids[i++]);
  }
  for (auto it = std::rbegin(args); it != std::rend(args); ++it) slots.push_back(**it);

  DISPPARAMS params{slots.data(), namedIds.data(), static_cast<UINT>(slots.size()),
                    static_cast<UINT>(namedIds.size())};
  VARIANT result;
  VariantInit(&result);
  EXCEPINFO exception{};
  UINT badArg = 0;
  // A read may be a parameterised property or a method giving a value.
  if (flags == DISPATCH_PROPERTYGET) flags |= DISPATCH_METHOD;
  HRESULT hr = object_->Invoke(ids[0], IID_NULL, kAutomationLocale, flags, &params,
                               putValue ? nullptr : &result, &exception, &badArg);
  if (FAILED(hr)) throw CallError(hr, &exception);
  return Variant::Adopt(result);
}

}  // namespace tavo::com
