#include "host/model/page_setup.h"

#include "host/address.h"

namespace tavo::model {

using host::PageField;
using host::Value;

Value ModelPageSetup::get(PageField f) const {
  const auto& s = settings;
  switch (f) {
    case PageField::TopMargin: return s.topMargin;
    case PageField::BottomMargin: return s.bottomMargin;
    case PageField::FooterMargin: return s.footerMargin;
    case PageField::Orientation: return s.orientation;
    case PageField::PaperSize: return s.paperSize;
    case PageField::Zoom: return s.zoom;
    case PageField::CenterHorizontally: return s.centerHorizontally;
    case PageField::LeftMargin: return s.leftMargin;
    case PageField::RightMargin: return s.rightMargin;
    case PageField::HeaderMargin: return s.headerMargin;
    case PageField::CenterFooter: return s.centerFooter;
    case PageField::PrintTitleRows: return s.printTitleRows;
  }
  return {};
}

namespace {
host::HostError refusal(const char* what) {
  return host::HostError::refused(std::string("不能设置 PageSetup 类的 ") + what + " 属性");
}
double number(const Value& v, double lo, double hi, const char* what) {
  if (v.isEmpty()) throw refusal(what);
  double x;
  try {
    x = host::toNumber(v);
  } catch (const host::HostError&) {
    throw refusal(what);
  }
  if (x < lo || x > hi) throw refusal(what);
  return x;
}
}  // namespace

void ModelPageSetup::set(PageField f, const Value& v) {
  auto& s = settings;
  switch (f) {
    case PageField::TopMargin: s.topMargin = number(v, 0, 1584, "TopMargin"); break;
    case PageField::BottomMargin: s.bottomMargin = number(v, 0, 1584, "BottomMargin"); break;
    case PageField::FooterMargin: s.footerMargin = number(v, 0, 1584, "FooterMargin"); break;
    case PageField::LeftMargin: s.leftMargin = number(v, 0, 1584, "LeftMargin"); break;
    case PageField::RightMargin: s.rightMargin = number(v, 0, 1584, "RightMargin"); break;
    case PageField::HeaderMargin: s.headerMargin = number(v, 0, 1584, "HeaderMargin"); break;
    case PageField::Orientation: {
      double o = number(v, 1, 2, "Orientation");
      if (o != 1 && o != 2) throw refusal("Orientation");
      s.orientation = static_cast<int>(o);
      break;
    }
    case PageField::PaperSize:
      s.paperSize = host::roundToInteger(number(v, 1, 118, "PaperSize"));
      s.paperSizeGiven = true;
      break;
    case PageField::Zoom: s.zoom = host::roundToInteger(number(v, 10, 400, "Zoom")); break;
    case PageField::CenterHorizontally:
      if (v.isBoolean()) s.centerHorizontally = v.boolean();
      else s.centerHorizontally = number(v, -1e300, 1e300, "CenterHorizontally") != 0;
      break;
    case PageField::CenterFooter:
      if (v.isError()) throw refusal("CenterFooter");
      s.centerFooter = host::displayText(v);
      break;
    case PageField::PrintTitleRows: {
      std::string t = v.isEmpty() ? "" : host::displayText(v);
      if (!t.empty()) {
        auto r = host::parseRect(t);
        if (!r.wholeRows()) throw refusal("PrintTitleRows");
      }
      s.printTitleRows = t;
      break;
    }
  }
}

}  // namespace tavo::model
