#include "host/com/workbook.h"

#include "host/com/application.h"
#include "host/com/cloud_folder.h"

namespace tavo::com {

std::string Workbook::path() const {
  std::string path = ToText(*book_.get("Path"));
  if (!IsWebAddress(path)) return path;
  if (auto local = LocalFolderOf(path)) return *local;
  throw host::HostError(1004, "工作簿 " + name() + " 在云盘的同步文件夹里（" + path +
                                  "），在这台电脑上找不到它对应的文件夹。请把它另存到本机的文件夹里"
                                  "（例如 D:\\成绩统计），把数据文件夹“数据”放在它旁边，再打开它。");
}

int Workbook::sheetCount() const { return ToInt(*sheets().get("Count")); }

host::Worksheet& Workbook::sheet(int index) {
  return app_.sheetOf(sheets().object("Item", "Worksheet", {Variant(index)}));
}

host::Worksheet& Workbook::sheet(const std::string& name) {
  return app_.sheetOf(sheets().object("Item", "Worksheet", {Variant(name)}));
}

host::Worksheet* Workbook::findSheet(const std::string& name) {
  try {
    return &sheet(name);
  } catch (const host::HostError& e) {
    if (e.kind() == host::HostError::Kind::SubscriptOutOfRange) return nullptr;  // no sheet of that name
    throw;
  }
}

host::Worksheet& Workbook::addSheet(host::Worksheet* before) {
  Dispatch all = sheets();
  Variant added;
  if (before) {
    added = all.call("Add", {}, {{"Before", Variant(static_cast<Worksheet&>(*before).object().raw())}});
  } else {
    Dispatch last = all.object("Item", "Worksheet", {all.get("Count")});
    added = all.call("Add", {}, {{"After", Variant(last.raw())}});
  }
  return app_.sheetOf(Dispatch(added, "Worksheet"));
}

void Workbook::deleteSheet(host::Worksheet& sheet) {
  auto& wrapper = static_cast<Worksheet&>(sheet);
  wrapper.object().call("Delete");
  app_.forget(wrapper);
}

void Workbook::close() {
  book_.call("Close", {}, {{"SaveChanges", Variant(false)}});
  app_.forget(*this);
}

host::Worksheet& Workbook::activeSheet() { return app_.sheetOf(book_.object("ActiveSheet", "Worksheet")); }

host::Window& Workbook::window() { return app_.windowOf(book_.object("Windows", "Window", {Variant(1)})); }

host::Chart& Workbook::addChartSheet() {
  return app_.chartOf(Dispatch(book_.object("Charts", "Sheets").call("Add"), "Chart"));
}

host::Chart& Workbook::locateChart(host::Chart& onChartSheet, host::Worksheet& on) {
  Dispatch chart = static_cast<Chart&>(onChartSheet).object();
  Variant embedded = chart.call("Location", {}, {{"Where", Variant(host::code::kLocationAsObject)},
                                                 {"Name", Variant(on.name())}});
  return app_.chartOf(Dispatch(embedded, "Chart"));
}

// The object model keeps colours as red + 256 green + 65536 blue.
host::Rgb Workbook::color(int index) const {
  auto bgr = static_cast<host::Rgb>(ToNumber(*book_.get("Colors", {Variant(index)})));
  return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
}

void Workbook::setColor(int index, host::Rgb rgb) {
  int bgr = static_cast<int>(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
  book_.put("Colors", Variant(bgr), {Variant(index)});
}

}  // namespace tavo::com
