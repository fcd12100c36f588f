#include "host/com/page_setup.h"

#include "host/com/application.h"

namespace tavo::com {

namespace {

const char* PropertyName(host::PageField f) {
  switch (f) {
    case host::PageField::TopMargin: return "TopMargin";
    case host::PageField::BottomMargin: return "BottomMargin";
    case host::PageField::FooterMargin: return "FooterMargin";
    case host::PageField::Orientation: return "Orientation";
    case host::PageField::PaperSize: return "PaperSize";
    case host::PageField::Zoom: return "Zoom";
    case host::PageField::CenterHorizontally: return "CenterHorizontally";
    case host::PageField::LeftMargin: return "LeftMargin";
    case host::PageField::RightMargin: return "RightMargin";
    case host::PageField::HeaderMargin: return "HeaderMargin";
    case host::PageField::CenterFooter: return "CenterFooter";
    case host::PageField::PrintTitleRows: return "PrintTitleRows";
  }
  return "";
}

}  // namespace

host::Value PageSetup::get(host::PageField f) const {
  return ToValue(*sheet_.object("PageSetup", "PageSetup").get(PropertyName(f)));
}

void PageSetup::set(host::PageField f, const host::Value& v) {
  app_.quietPrinter();
  sheet_.object("PageSetup", "PageSetup").put(PropertyName(f), Variant(v));
}

}  // namespace tavo::com
