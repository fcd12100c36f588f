#include "host/com/variant.h"

#include <utility>

namespace tavo::com {

namespace {

// The spreadsheet's error values are VT_ERROR codes 0x800A0000 + n.
constexpr std::pair<int, host::ErrorKind> kCellErrors[] = {
    {2007, host::ErrorKind::Div0}, {2015, host::ErrorKind::Value}, {2023, host::ErrorKind::Ref},
    {2042, host::ErrorKind::NA},   {2029, host::ErrorKind::Name},  {2036, host::ErrorKind::Num},
    {2000, host::ErrorKind::Null},
};

SCODE CellErrorCode(host::ErrorKind e) {
  for (auto [code, kind] : kCellErrors)
    if (kind == e) return static_cast<SCODE>(0x800A0000u + static_cast<unsigned>(code));
  return static_cast<SCODE>(0x800A0000u + 2015u);
}

}  // namespace

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
  return w;
}

std::string Utf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string s(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), s.data(), n, nullptr, nullptr);
  return s;
}

std::string BstrText(BSTR b) { return b ? Utf8(std::wstring_view(b, SysStringLen(b))) : std::string(); }

Variant::Variant(double d) {
  VariantInit(&v_);
  v_.vt = VT_R8;
  v_.dblVal = d;
}

Variant::Variant(int i) {
  VariantInit(&v_);
  v_.vt = VT_I4;
  v_.lVal = i;
}

Variant::Variant(bool b) {
  VariantInit(&v_);
  v_.vt = VT_BOOL;
  v_.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
}

Variant::Variant(std::string_view text) {
  VariantInit(&v_);
  std::wstring w = Wide(text);
  v_.vt = VT_BSTR;
  v_.bstrVal = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
}

Variant::Variant(IDispatch* d) {
  VariantInit(&v_);
  v_.vt = VT_DISPATCH;
  v_.pdispVal = d;
  if (d) d->AddRef();
}

Variant::Variant(const host::Value& value) {
  VariantInit(&v_);
  switch (value.kind()) {
    case host::Value::Kind::Empty:
      break;
    case host::Value::Kind::Number:
      *this = Variant(value.number());
      break;
    case host::Value::Kind::Text:
      *this = Variant(std::string_view(value.text()));
      break;
    case host::Value::Kind::Boolean:
      *this = Variant(value.boolean());
      break;
    case host::Value::Kind::Error:
      v_.vt = VT_ERROR;
      v_.scode = CellErrorCode(value.error());
      break;
  }
}

Variant::Variant(const Variant& o) {
  VariantInit(&v_);
  VariantCopy(&v_, const_cast<VARIANT*>(&o.v_));
}

Variant::Variant(Variant&& o) noexcept {
  v_ = o.v_;
  VariantInit(&o.v_);
}

Variant& Variant::operator=(Variant o) {
  std::swap(v_, o.v_);
  return *this;
}

Variant Variant::Missing() {
  Variant m;
  m.v_.vt = VT_ERROR;
  m.v_.scode = DISP_E_PARAMNOTFOUND;
  return m;
}

Variant Variant::Adopt(VARIANT& v) {
  Variant a;
  a.v_ = v;
  VariantInit(&v);
  return a;
}

const VARIANT& Deref(const VARIANT& v) {
  const VARIANT* p = &v;
  while (p->vt == (VT_BYREF | VT_VARIANT) && p->pvarVal) p = p->pvarVal;
  return *p;
}

bool IsMissing(const VARIANT& v) {
  const VARIANT& d = Deref(v);
  return d.vt == VT_ERROR && d.scode == DISP_E_PARAMNOTFOUND;
}

host::Value ToValue(const VARIANT& v) {
  const VARIANT& d = Deref(v);
  if (d.vt == VT_EMPTY || d.vt == VT_NULL) return {};
  if ((d.vt & ~VT_BYREF) == VT_BSTR) return host::Value(BstrText(d.vt & VT_BYREF ? *d.pbstrVal : d.bstrVal));
  if ((d.vt & ~VT_BYREF) == VT_BOOL) return host::Value((d.vt & VT_BYREF ? *d.pboolVal : d.boolVal) != 0);
  if ((d.vt & ~VT_BYREF) == VT_ERROR) {
    SCODE code = d.vt & VT_BYREF ? *d.pscode : d.scode;
    for (auto [n, kind] : kCellErrors)
      if (code == static_cast<SCODE>(0x800A0000u + static_cast<unsigned>(n))) return host::Value(kind);
    throw host::HostError::typeMismatch();
  }
  VARIANT number;
  VariantInit(&number);
  if (FAILED(VariantChangeType(&number, const_cast<VARIANT*>(&d), 0, VT_R8))) throw host::HostError::typeMismatch();
  return host::Value(number.dblVal);
}

double ToNumber(const VARIANT& v) { return host::toNumber(ToValue(v)); }
int ToInt(const VARIANT& v) { return host::toInteger(ToValue(v)); }
bool ToBool(const VARIANT& v) {
  host::Value value = ToValue(v);
  if (value.isBoolean()) return value.boolean();
  return host::toNumber(value) != 0;
}
std::string ToText(const VARIANT& v) { return host::toText(ToValue(v)); }

IDispatch* ToDispatch(const VARIANT& v) {
  const VARIANT& d = Deref(v);
  if (d.vt == VT_DISPATCH) return d.pdispVal;
  if (d.vt == (VT_BYREF | VT_DISPATCH)) return d.ppdispVal ? *d.ppdispVal : nullptr;
  if (d.vt == VT_EMPTY || d.vt == VT_NULL || IsMissing(d)) return nullptr;
  throw host::HostError::typeMismatch();
}

host::Grid ToGrid(const VARIANT& v) {
  const VARIANT& d = Deref(v);
  if (!(d.vt & VT_ARRAY)) {
    host::Grid one(1, 1);
    one.at(0, 0) = ToValue(d);
    return one;
  }
  SAFEARRAY* a = d.vt & VT_BYREF ? *d.pparray : d.parray;
  if (!a || SafeArrayGetDim(a) != 2 || (d.vt & VT_TYPEMASK) != VT_VARIANT) throw host::HostError::typeMismatch();
  LONG r0, r1, c0, c1;
  SafeArrayGetLBound(a, 1, &r0);
  SafeArrayGetUBound(a, 1, &r1);
  SafeArrayGetLBound(a, 2, &c0);
  SafeArrayGetUBound(a, 2, &c1);
  host::Grid grid(r1 - r0 + 1, c1 - c0 + 1);
  VARIANT* data = nullptr;
  if (FAILED(SafeArrayAccessData(a, reinterpret_cast<void**>(&data)))) throw host::HostError::typeMismatch();
  // Column-major, as automation arrays are laid out.
  for (int c = 0; c < grid.cols; ++c)
    for (int r = 0; r < grid.rows; ++r) grid.at(r, c) = ToValue(data[static_cast<std::size_t>(c) * grid.rows + r]);
  SafeArrayUnaccessData(a);
  return grid;
}

Variant FromGrid(const host::Grid& grid) {
  SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(grid.rows), 1}, {static_cast<ULONG>(grid.cols), 1}};
  SAFEARRAY* a = SafeArrayCreate(VT_VARIANT, 2, bounds);
  if (!a) throw host::HostError(7, "内存不足");
  VARIANT* data = nullptr;
  SafeArrayAccessData(a, reinterpret_cast<void**>(&data));
  for (int c = 0; c < grid.cols; ++c)
    for (int r = 0; r < grid.rows; ++r) {
      Variant cell(grid.at(r, c));
      VariantCopy(&data[static_cast<std::size_t>(c) * grid.rows + r], cell.get());
    }
  SafeArrayUnaccessData(a);
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_ARRAY | VT_VARIANT;
  v.parray = a;
  return Variant::Adopt(v);
}

}  // namespace tavo::com
