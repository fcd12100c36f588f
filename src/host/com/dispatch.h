// A late-bound automation object: members are called by name, as a macro
// would call them. Each name is resolved once per kind of object ("Range",
// "Worksheet", ...) and kept, since objects of one kind share their member
// numbers. A failing call throws HostError with the object's own number and
// description.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <initializer_list>
#include <string>

#include "host/com/variant.h"

namespace tavo::com {

struct NamedArg {
  const char* name;
  Variant value;
};

class Dispatch {
 public:
  Dispatch() = default;
  Dispatch(IDispatch* object, const char* kind);  // adds a reference
  Dispatch(const Variant& object, const char* kind);
  Dispatch(const Dispatch&);
  Dispatch(Dispatch&&) noexcept;
  Dispatch& operator=(Dispatch);
  ~Dispatch();

  explicit operator bool() const { return object_ != nullptr; }
  IDispatch* raw() const { return object_; }
  const char* kind() const { return kind_; }
  // The object's identity: the same for every pointer to one object.
  IUnknown* identity() const;

  Variant get(const char* member, std::initializer_list<Variant> args = {}) const;
  // The object a member gives, of the kind named.
  Dispatch object(const char* member, const char* kind, std::initializer_list<Variant> args = {}) const;
  void put(const char* member, const Variant& value, std::initializer_list<Variant> args = {}) const;
  Variant call(const char* member, std::initializer_list<Variant> args = {},
               std::initializer_list<NamedArg> named = {}) const;

 private:
  Variant invoke(const char* member, WORD flags, std::initializer_list<Variant> args,
                 std::initializer_list<NamedArg> named, const Variant* putValue) const;

  IDispatch* object_ = nullptr;
  const char* kind_ = "";
};

// The HostError a failed call stands for, as the classic runtime numbers it:
// the object's exception keeps its number (1004 ...), an unknown member is
// 438, a bad argument type 13, a bad index 9.
host::HostError CallError(HRESULT, EXCEPINFO*);

}  // namespace tavo::com
