// A dispatch object served from C++: members are looked up by name without
// regard to case, as the spreadsheet's own objects are, and each is a
// function of the call. Every Invoke is counted, so that tests and the
// benchmark see how many calls a command costs.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/com/variant.h"

namespace tavo::standin {

using com::ToBool;
using com::ToInt;
using com::ToNumber;
using com::ToText;
using com::Variant;

// One Invoke: the value of a put, the positional arguments in order and the
// named ones by lower-case name.
struct Call {
  bool isPut = false;
  const VARIANT* value = nullptr;
  std::vector<const VARIANT*> positional;
  std::map<std::string, const VARIANT*> named;

  // The argument at `position` or named `name`; null when left out.
  const VARIANT* arg(std::size_t position, const char* name) const;
  // As arg(), but a missing argument is the host's error 449.
  const VARIANT& need(std::size_t position, const char* name) const;
};

struct Counters {
  unsigned long invokes = 0;
  unsigned long nameLookups = 0;
  // What the application does after every call it answers (its windows
  // follow the active workbook).
  std::function<void()> afterCall;
};
Counters& Served();

class ServerObject : public IDispatch {
 public:
  using Member = std::function<Variant(const Call&)>;
  using Getter = std::function<Variant()>;
  using Setter = std::function<void(const VARIANT&)>;

  virtual ~ServerObject() = default;

  // A method or a parameterised property.
  ServerObject& method(const std::string& name, Member);
  // A property read with get and written with set (when given).
  ServerObject& property(const std::string& name, Getter get, Setter set = {});

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;

 private:
  LONG references_ = 1;
  std::unordered_map<std::string, Member> members_;
};

// A new object as a variant: the variant holds the only reference.
Variant Give(ServerObject*);

}  // namespace tavo::standin
