// Automation values: VARIANTs owned in C++, and their conversions to and
// from the host boundary's values, texts and grids.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <string_view>

#include "host/grid.h"
#include "host/value.h"

namespace tavo::com {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);
// A BSTR carries its own length; a null one is empty text.
std::string BstrText(BSTR);

// An owned VARIANT; copies are deep, as VariantCopy makes them.
class Variant {
 public:
  Variant() { VariantInit(&v_); }
  Variant(double);
  Variant(int);
  Variant(bool);
  Variant(std::string_view text);
  Variant(const char* text) : Variant(std::string_view(text)) {}
  Variant(const std::string& text) : Variant(std::string_view(text)) {}
  Variant(IDispatch*);  // adds a reference; null is Nothing
  explicit Variant(const host::Value&);
  Variant(const Variant&);
  Variant(Variant&&) noexcept;
  Variant& operator=(Variant);
  ~Variant() { VariantClear(&v_); }

  // The argument a caller leaves out.
  static Variant Missing();
  // Takes over a VARIANT (the result of a call, say).
  static Variant Adopt(VARIANT&);

  VARIANT* get() { return &v_; }
  const VARIANT& operator*() const { return v_; }

 private:
  VARIANT v_;
};

// The value inside any by-reference or variant wrapping.
const VARIANT& Deref(const VARIANT&);
bool IsMissing(const VARIANT&);

// A cell value as the spreadsheet hands it over: dates and currency are
// numbers, error codes (2007 #DIV/0! ...) are errors. Anything else is a
// type mismatch (13).
host::Value ToValue(const VARIANT&);
double ToNumber(const VARIANT&);
int ToInt(const VARIANT&);
bool ToBool(const VARIANT&);
std::string ToText(const VARIANT&);
// A borrowed object pointer; null for Nothing, empty or missing.
IDispatch* ToDispatch(const VARIANT&);

// A rectangle's values: Range.Value gives a 1-based two-dimensional array,
// or a single value for one cell.
host::Grid ToGrid(const VARIANT&);
Variant FromGrid(const host::Grid&);

}  // namespace tavo::com
