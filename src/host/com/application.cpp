#include "host/com/application.h"

namespace tavo::com {

Application::~Application() {
  if (printer_ != Printer::Quiet) return;
  try {
    spreadsheet_.put("PrintCommunication", true);
  } catch (const host::HostError&) {
    // the page set-up stays as the sheet holds it
  }
}

void Application::quietPrinter() {
  if (printer_ != Printer::Untouched) return;
  try {
    spreadsheet_.put("PrintCommunication", false);
    printer_ = Printer::Quiet;
  } catch (const host::HostError&) {
    printer_ = Printer::NoSwitch;  // a host without it talks to its printer as before
  }
}

host::Workbook& Application::thisWorkbook() {
  return workbookOf(system_ ? system_ : spreadsheet_.object("ThisWorkbook", "Workbook"));
}

int Application::workbookCount() const { return ToInt(*workbooks().get("Count")); }

host::Workbook& Application::workbook(int index) {
  return workbookOf(workbooks().object("Item", "Workbook", {Variant(index)}));
}

host::Workbook* Application::findWorkbook(const std::string& name) {
  // Asking the collection for a name it lacks is an error, not an answer.
  Dispatch books = workbooks();
  const int count = ToInt(*books.get("Count"));
  for (int i = 1; i <= count; ++i) {
    Dispatch book = books.object("Item", "Workbook", {Variant(i)});
    if (ToText(*book.get("Name")) == name) return &workbookOf(book);
  }
  return nullptr;
}

host::Workbook& Application::workbook(const std::string& name) {
  return workbookOf(workbooks().object("Item", "Workbook", {Variant(name)}));
}

host::Workbook& Application::openWorkbook(const std::string& fullPath) {
  return workbookOf(Dispatch(workbooks().call("Open", {}, {{"Filename", Variant(fullPath)}}), "Workbook"));
}

host::Workbook& Application::activeWorkbook() { return workbookOf(spreadsheet_.object("ActiveWorkbook", "Workbook")); }

host::Worksheet& Application::activeSheet() { return sheetOf(spreadsheet_.object("ActiveSheet", "Worksheet")); }

host::Window& Application::activeWindow() { return windowOf(spreadsheet_.object("ActiveWindow", "Window")); }

}  // namespace tavo::com
