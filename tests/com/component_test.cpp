// The component under Wine: registered for the user, created by its
// programmatic identifier, and every command run through IDispatch::Invoke
// against the spreadsheet stand-in. Each command's result must equal, cell
// by cell and format by format, the same command run directly on the model.
//
//   component_test.exe PATH\tavo.dll
#include <objbase.h>

#include <algorithm>
#include <iomanip>

#include "check.h"
#include "component/identifiers.h"
#include "component_dll.h"
#include "engine/zupo.h"
#include "host/com/application.h"
#include "message_box_watcher.h"
#include "same_workbooks.h"
#include "standin/spreadsheet.h"
#include "world.h"

using namespace tavo;
using testing::Check;
using testing::CheckEqual;

namespace {

// MyFunClick through Invoke with the arguments as given, positional unless
// named; returns the call's status.
HRESULT Invoke(IDispatch* zupo, std::vector<com::Variant> args, std::vector<std::wstring> names = {}) {
  std::vector<LPOLESTR> all{const_cast<LPOLESTR>(L"MyFunClick")};
  for (auto& n : names) all.push_back(n.data());
  std::vector<DISPID> ids(all.size());
  HRESULT hr = zupo->GetIDsOfNames(IID_NULL, all.data(), static_cast<UINT>(all.size()), LOCALE_USER_DEFAULT, ids.data());
  if (FAILED(hr)) return hr;
  // Named arguments come first; the positional ones follow, last first.
  std::vector<VARIANT> slots;
  const std::size_t named = names.size();
  for (std::size_t i = 0; i < named; ++i) slots.push_back(*args[args.size() - named + i]);
  for (std::size_t i = args.size() - named; i > 0; --i) slots.push_back(*args[i - 1]);
  DISPPARAMS params{slots.data(), named ? ids.data() + 1 : nullptr, static_cast<UINT>(slots.size()),
                    static_cast<UINT>(named)};
  VARIANT result;
  VariantInit(&result);
  hr = zupo->Invoke(ids[0], IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr, nullptr);
  if (SUCCEEDED(hr)) Check(result.vt == VT_EMPTY, "MyFunClick returns an empty variant");
  VariantClear(&result);
  return hr;
}

com::Variant ByReference(com::Variant& v) {
  VARIANT r;
  VariantInit(&r);
  r.vt = VT_BYREF | VT_VARIANT;
  r.pvarVal = v.get();
  return com::Variant::Adopt(r);
}

std::wstring RegisteredServer() {
  std::wstring key = std::wstring(L"Software\\Classes\\CLSID\\") + component::kClassIdText + L"\\InprocServer32";
  wchar_t path[MAX_PATH] = {};
  DWORD size = sizeof(path);
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, path, &size) != ERROR_SUCCESS)
    return L"";
  return path;
}

IDispatch* CreateByName() {
  CLSID id;
  IDispatch* object = nullptr;
  HRESULT hr = CLSIDFromProgID(component::kProgId, &id);
  if (SUCCEEDED(hr))
    hr = CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&object));
  if (FAILED(hr)) std::cout << "creating tavo.zupo: HRESULT " << std::hex << hr << std::dec << std::endl;
  return object;
}

// Everything the host boundary reads, through the automation host, equals
// what the model itself answers: names, page set-up, breaks, charts, and per
// cell values, formulas, formats, merges, validation and runs.
void CheckReadsThroughAutomation(model::Application& model, standin::Spreadsheet& spreadsheet) {
  com::Dispatch application(spreadsheet.application(), "Application");
  testing::TestPlatform quiet;
  com::Application automation(application, quiet);
  CheckEqual(automation.workbookCount(), model.workbookCount(), "workbook count");
  for (int b = 1; b <= model.workbookCount(); ++b) {
    host::Workbook& mine = model.workbook(b);
    host::Workbook& theirs = automation.workbook(b);
    CheckEqual(theirs.name(), mine.name(), "workbook name");
    CheckEqual(theirs.path(), mine.path(), "workbook path");
    CheckEqual(theirs.color(37), mine.color(37), "palette entry");
    CheckEqual(theirs.window().splitRow(), mine.window().splitRow(), "split row");
    for (int k = 1; k <= mine.sheetCount(); ++k) {
      host::Worksheet& m = mine.sheet(k);
      host::Worksheet& t = theirs.sheet(k);
      const std::string at = mine.name() + " " + m.name();
      CheckEqual(t.name(), m.name(), at + ": name");
      Check(t.visible() == m.visible() && t.tabColorIndex() == m.tabColorIndex(), at + ": visibility and tab");
      Check(t.usedRange() == m.usedRange(), at + ": used range");
      Check(t.currentRegion({1, 1}) == m.currentRegion({1, 1}), at + ": current region");
      for (int f = 0; f <= static_cast<int>(host::PageField::PrintTitleRows); ++f)
        Check(t.pageSetup().get(static_cast<host::PageField>(f)) == m.pageSetup().get(static_cast<host::PageField>(f)),
              at + ": page field " + std::to_string(f));
      Check(t.pageBreaks() == m.pageBreaks(), at + ": page breaks");
      CheckEqual(t.chartCount(), m.chartCount(), at + ": charts");
      for (int i = 1; i <= m.chartCount(); ++i) CheckEqual(t.chart(i).name(), m.chart(i).name(), at + ": chart name");
      for (int r = 1; r <= 12; ++r) {
        CheckEqual(t.rowHeight(r), m.rowHeight(r), at + ": row height");
        CheckEqual(t.columnWidth(r), m.columnWidth(r), at + ": column width");
      }
      const host::Rect used = m.usedRange();
      for (int r = 1; r <= std::min(used.bottom, 16); ++r)
        for (int c = 1; c <= std::min(used.right, 16); ++c) {
          const host::Cell cell{r, c};
          const std::string where = at + " (" + std::to_string(r) + "," + std::to_string(c) + ")";
          Check(t.value(cell) == m.value(cell), where + ": value");
          Check(t.hasFormula(cell) == m.hasFormula(cell), where + ": has formula");
          CheckEqual(t.formulaR1C1(cell), m.formulaR1C1(cell), where + ": formula");
          const host::Format x = t.format(cell), y = m.format(cell);
          Check(x.font == y.font && x.fill.colorIndex == y.fill.colorIndex && x.border == y.border &&
                    x.horizontalAlignment == y.horizontalAlignment && x.verticalAlignment == y.verticalAlignment &&
                    x.numberFormat == y.numberFormat && x.wrapText == y.wrapText,
                where + ": format");
          Check(t.mergeArea(cell) == m.mergeArea(cell), where + ": merge area");
          Check(t.validation(cell) == m.validation(cell), where + ": validation");
          Check(t.textRuns(cell) == m.textRuns(cell), where + ": text runs");
        }
      // Character runs sit in a few headers; those are read one character
      // at a time, so only the first few are compared.
      int runs = 0;
      for (int r = 1; r <= used.bottom && runs < 6; ++r)
        for (int c = 1; c <= used.right && runs < 6; ++c)
          if (auto expected = m.textRuns({r, c}); !expected.empty()) {
            ++runs;
            Check(t.textRuns({r, c}) == expected, at + ": text runs at (" + std::to_string(r) + "," + std::to_string(c) + ")");
          }
    }
  }
}

// Every command in the dialog's order, directly on the model and through
// the component against the stand-in; after each the workbooks must be
// equal, the clipboard untouched and the printer not asked.
void RunEveryCommand(IDispatch* zupo, engine::zupo& engine, testing::World& direct, testing::World& served,
                     standin::Spreadsheet& spreadsheet, const std::string& school) {
  auto step = [&](const std::string& flag, const std::string& csb = "") {
    engine.MyFunClick(direct.app, direct.dialog, flag, csb);
    const standin::Counters before = standin::Served();
    std::vector<com::Variant> args{spreadsheet.application(), spreadsheet.dialog(), com::Variant(flag)};
    if (!csb.empty()) args.emplace_back(csb);
    CheckEqual(Invoke(zupo, args), S_OK, school + flag + " through Invoke");
    const unsigned long calls = standin::Served().invokes - before.invokes;
    if (school.empty())
      std::cout << std::left << std::setw(22) << flag << std::right << std::setw(8) << calls << " dispatch calls"
                << std::setw(6) << standin::Served().nameLookups - before.nameLookups << " name lookups" << std::endl;
    std::string difference = testing::FirstDifference(direct.app, served.app);
    Check(difference.empty(), school + flag + ": workbooks equal", difference);
    CheckEqual(spreadsheet.clipboardUses, 0, school + flag + ": the clipboard is not used");
    if (!spreadsheet.olderMembersOnly)
      CheckEqual(spreadsheet.pageSettingsWithPrinter, 0, school + flag + ": page set-up without the printer");
    Check(spreadsheet.printCommunication, school + flag + ": printer communication is on again");
    Check(spreadsheet.statusBar.empty(), school + flag + ": the status bar is the spreadsheet's again");
  };
  for (const engine::CommandInfo& command : engine::zupo::Commands())
    if (command.kind == engine::CommandKind::Layout) step(command.name);
  step("UFInitialize");
  CheckEqual(served.dialog.itemCount(), 1, school + "the data folder's file is listed");
  direct.dialog.setListIndex(0);
  served.dialog.setListIndex(0);
  step("ltbCJBChange");
  for (const engine::CommandInfo& command : engine::zupo::Commands())
    if (command.kind == engine::CommandKind::Report) step(command.name, command.settingsSheet);
}

// Classes named by grade and class ("1-3"), as many schools name them: the
// spreadsheet would read each as a date unless it is put as text.
void NameClassesByGrade(testing::World& world) {
  for (int b = 1; b <= world.app.workbookCount(); ++b) {
    host::Workbook& book = world.app.workbook(b);
    for (int k = 1; k <= book.sheetCount(); ++k) {
      host::Worksheet& sheet = book.sheet(k);
      const host::Rect used = sheet.usedRange();
      for (int c = 1; c <= 20; ++c)
        sheet.replace(used, std::to_string(c) + "班", "1-" + std::to_string(c), true);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cout << "usage: component_test PATH\\tavo.dll" << std::endl;
    return 2;
  }
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

  // ---- registration for the current user ----
  const testing::ComponentDll dll(argv[1]);
  Check(dll.loaded(), "the DLL loads");
  if (!dll.loaded()) return 1;
  CheckEqual(dll.call("DllRegisterServer"), S_OK, "DllRegisterServer");
  Check(_wcsicmp(RegisteredServer().c_str(), dll.path().c_str()) == 0, "InprocServer32 names the DLL");

  IDispatch* zupo = CreateByName();
  Check(zupo != nullptr, "tavo.zupo is created by its programmatic identifier");
  if (!zupo) return 1;
  ITypeInfo* info = nullptr;
  Check(SUCCEEDED(zupo->GetTypeInfo(0, 0, &info)) && info, "the type library describes _zupo");
  if (info) {
    BSTR name = nullptr;
    info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
    CheckEqual(com::BstrText(name), std::string("_zupo"), "interface name");
    SysFreeString(name);
    info->Release();
  }

  // ---- every command, directly and through the component ----
  const std::string folder = testing::TestFolder();
  testing::World direct(folder), served(folder);
  standin::Spreadsheet spreadsheet(served.app, served.dialog);
  engine::zupo engine;
  testing::MessageBoxWatcher watcher;
  RunEveryCommand(zupo, engine, direct, served, spreadsheet, "");
  {
    const auto& shown = spreadsheet.statusBarLog;
    Check(std::any_of(shown.begin(), shown.end(), [](const std::string& s) { return s.starts_with("写入 成绩表 "); }),
          "成绩表's writing shows in the status bar");
    Check(shown.size() < 2000, "at most a put per percent", std::to_string(shown.size()) + " puts");
  }
  CheckReadsThroughAutomation(served.app, spreadsheet);
  Check(direct.platform.boxes.empty(), "the demo runs without a message box");
  Check(watcher.boxes().empty(), "no box was shown through the component");
  Check(!direct.platform.beeps.empty(), "the reports sound their tone");

  // ---- a name outside the table: nothing shown, switches off and on ----
  const std::vector<std::string> offAndOn = {"DisplayAlerts=0", "ScreenUpdating=0", "EnableEvents=0",
                                             "EnableEvents=1",  "DisplayAlerts=1",  "ScreenUpdating=1"};
  for (const char* flag : {"noSuchCommand", "cmdsanxiantj_click", ""}) {
    spreadsheet.switchLog.clear();
    CheckEqual(Invoke(zupo, {spreadsheet.application(), spreadsheet.dialog(), com::Variant(flag)}), S_OK, flag);
    Check(spreadsheet.switchLog == offAndOn, std::string("switches off and on for '") + flag + "'");
  }
  Check(watcher.boxes().empty(), "an unknown name shows nothing");

  // ---- the dialog's window gets a sizing border and a minimize box ----
  {
    WNDCLASSW frame{};
    frame.lpfnWndProc = DefWindowProcW;
    frame.hInstance = GetModuleHandleW(nullptr);
    frame.lpszClassName = L"ThunderDFrame";
    RegisterClassW(&frame);
    HWND window = CreateWindowExW(0, L"ThunderDFrame", com::Wide(served.dialog.caption()).c_str(),
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0, 0, 300, 200, nullptr, nullptr,
                                  frame.hInstance, nullptr);
    Check(window != nullptr, "a window of the dialog's class");
    const LONG before = GetWindowLongW(window, GWL_STYLE);
    Check((before & (WS_THICKFRAME | WS_MINIMIZEBOX)) == 0, "the window starts fixed");
    CheckEqual(Invoke(zupo, {spreadsheet.application(), spreadsheet.dialog(), com::Variant("UFInitialize")}), S_OK,
               "UFInitialize with the dialog's window");
    const LONG after = GetWindowLongW(window, GWL_STYLE);
    CheckEqual(after, before | WS_THICKFRAME | WS_MINIMIZEBOX, "sizing border and minimize box added, nothing else");
    DestroyWindow(window);
  }

  // ---- arguments as scripts pass them: variants by reference, named ----
  {
    com::Variant ea = spreadsheet.application(), uf = spreadsheet.dialog(), flag("UFInitialize");
    const int items = served.dialog.itemCount();
    CheckEqual(Invoke(zupo, {ByReference(ea), ByReference(uf), ByReference(flag)}), S_OK, "variants by reference");
    CheckEqual(served.dialog.itemCount(), items + 1, "by reference: the list grew");
    CheckEqual(Invoke(zupo, {flag, uf, ea}, {L"strFlag", L"UF", L"EA"}), S_OK, "named arguments");
    CheckEqual(served.dialog.itemCount(), items + 2, "named: the list grew");
    CheckEqual(Invoke(zupo, {ea, uf}), DISP_E_PARAMNOTOPTIONAL, "strFlag is required");
    CheckEqual(Invoke(zupo, {ea, uf, ea}), DISP_E_TYPEMISMATCH, "strFlag must be text");
  }

  // ---- the error box: a report after the data workbook was closed (for
  // the component, through the automation host, without saving) ----
  direct.app.closeWorkbook(*static_cast<model::Workbook*>(direct.app.findWorkbook(workbooks::kSampleScoresName)));
  {
    com::Dispatch application(spreadsheet.application(), "Application");
    testing::TestPlatform quiet;
    com::Application automation(application, quiet);
    const int open = served.app.workbookCount();
    automation.workbook(workbooks::kSampleScoresName).close();
    CheckEqual(served.app.workbookCount(), open - 1, "a workbook closes through the automation host");
    CheckEqual(spreadsheet.closed, 1, "by Workbook.Close, SaveChanges:=False");
    Check(automation.findWorkbook(workbooks::kSampleScoresName) == nullptr, "and is found no more");
  }
  engine.MyFunClick(direct.app, direct.dialog, "cmdSanXianTJ_Click");
  Check(direct.platform.boxes.size() == 1, "the model shows one error box");
  CheckEqual(Invoke(zupo, {spreadsheet.application(), spreadsheet.dialog(), com::Variant("cmdSanXianTJ_Click")}), S_OK,
             "the failing report returns normally");
  auto boxes = watcher.boxes();
  CheckEqual(boxes.size(), std::size_t{1}, "one real box");
  if (boxes.size() == 1 && direct.platform.boxes.size() == 1) {
    CheckEqual(boxes[0].title, std::string("错误"), "box title");
    CheckEqual(boxes[0].text, direct.platform.boxes[0].prompt, "box text");
    std::cout << "error box read: [" << boxes[0].title << "] " << boxes[0].text << std::endl;
    Check(boxes[0].text.starts_with("错误[") && boxes[0].text.find("]\r") != std::string::npos,
          "the text holds the number, a carriage return and the description", boxes[0].text);
  }
  Check(served.app.displayAlerts() && served.app.screenUpdating() && served.app.enableEvents(),
        "the switches are on again after the error");

  // ---- the guide without a word processor: one error box, switches back ----
  {
    const std::size_t shown = watcher.boxes().size();
    direct.platform.boxes.clear();
    engine.MyFunClick(direct.app, direct.dialog, "MyHelp");
    CheckEqual(Invoke(zupo, {spreadsheet.application(), spreadsheet.dialog(), com::Variant("MyHelp")}), S_OK,
               "MyHelp returns normally");
    auto all = watcher.boxes();
    CheckEqual(all.size(), shown + 1, "MyHelp without a word processor shows one box");
    if (all.size() == shown + 1 && direct.platform.boxes.size() == 1)
      CheckEqual(all.back().text, direct.platform.boxes[0].prompt, "MyHelp's box text");
    Check(served.app.displayAlerts() && served.app.screenUpdating() && served.app.enableEvents(),
          "the switches are on again after MyHelp");
  }

  // ---- the stand-in answers in US English only ----
  {
    IDispatch* application = com::ToDispatch(*spreadsheet.application());
    LPOLESTR name = const_cast<LPOLESTR>(L"Version");
    DISPID id = DISPID_UNKNOWN;
    CheckEqual(application->GetIDsOfNames(IID_NULL, &name, 1, MAKELCID(2052, SORT_DEFAULT), &id), TYPE_E_INVDATAREAD,
               "another locale id is refused, as an English interface refuses it");
  }

  // ---- a system workbook in a folder synced to the cloud ----
  {
    auto* system = served.app.findWorkbook(workbooks::kSystemWorkbookName);
    const std::string parent = folder.substr(0, folder.find_last_of('\\'));
    const std::string address = "https://d.docs.live.net/0a1b2c3d4e5f/" + folder.substr(parent.size() + 1);
    spreadsheet.webPaths[system] = address;
    const std::size_t shown = watcher.boxes().size();
    const int listed = served.dialog.itemCount();
    CheckEqual(Invoke(zupo, {spreadsheet.application(), spreadsheet.dialog(), com::Variant("UFInitialize")}), S_OK,
               "UFInitialize in a synced folder nobody mirrors");
    const auto cloudBoxes = watcher.boxes();
    Check(cloudBoxes.size() == shown + 1 && cloudBoxes.back().text.find("同步文件夹") != std::string::npos &&
              cloudBoxes.back().text.find(address) != std::string::npos,
          "the teacher is told the workbook is in the cloud and where the files must be",
          cloudBoxes.size() > shown ? cloudBoxes.back().text : "no box");
    CheckEqual(served.dialog.itemCount(), listed, "nothing is listed");

    const std::wstring mirror = L"Software\\SyncEngines\\Providers\\OneDrive\\Personal";
    HKEY key;
    RegCreateKeyExW(HKEY_CURRENT_USER, mirror.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    auto set = [key](const wchar_t* name, const std::string& value) {
      const std::wstring wide = com::Wide(value);
      RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                     static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
    };
    set(L"UrlNamespace", "https://d.docs.live.net/0a1b2c3d4e5f/");
    set(L"MountPoint", parent);
    RegCloseKey(key);
    CheckEqual(Invoke(zupo, {spreadsheet.application(), spreadsheet.dialog(), com::Variant("UFInitialize")}), S_OK,
               "UFInitialize in a mirrored synced folder");
    CheckEqual(served.dialog.itemCount(), listed + 1, "the synced folder's data folder is listed");
    CheckEqual(watcher.boxes().size(), shown + 1, "without a box");
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\SyncEngines");
    spreadsheet.webPaths.clear();
  }

  // ---- a school's .xls, open in compatibility mode, whose classes are
  // named "1-3", while another program holds the clipboard ----
  {
    IDispatch* second = CreateByName();
    testing::World direct2(folder), served2(folder);
    NameClassesByGrade(direct2);
    NameClassesByGrade(served2);
    standin::Spreadsheet strict(served2.app, served2.dialog);
    host::Workbook* scores = served2.app.findWorkbook(workbooks::kSampleScoresName);
    strict.compatibilityMode.insert(scores);
    strict.clipboardHeldElsewhere = true;
    engine::zupo engine2;
    const std::size_t shown = watcher.boxes().size();
    if (second) RunEveryCommand(second, engine2, direct2, served2, strict, "compatibility mode, classes 1-3: ");
    CheckEqual(watcher.boxes().size(), shown, "compatibility mode, classes 1-3: no box");
    // The three-line report writes its class rows itself.
    bool named = false;
    if (host::Worksheet* report = scores->findSheet("总分1")) {
      auto at = report->find(report->usedRange(), "1-2", {1, 1}, true);
      named = at && report->value(*at).isText();
    }
    Check(named, "a report names the class 1-2 as text");
    if (second) second->Release();
  }

  // ---- a spreadsheet without the newer members: page set-up goes to its
  // printer, as it did before the switch existed ----
  {
    IDispatch* third = CreateByName();
    testing::World direct3(folder), served3(folder);
    standin::Spreadsheet older(served3.app, served3.dialog);
    older.olderMembersOnly = true;
    older.hasPrinter = true;
    engine::zupo engine3;
    const std::size_t shown = watcher.boxes().size();
    if (third) RunEveryCommand(third, engine3, direct3, served3, older, "older object model: ");
    CheckEqual(watcher.boxes().size(), shown, "older object model: no box");
    Check(older.pageSettingsWithPrinter > 0, "older object model: page set-up went to the printer");
    if (third) third->Release();
  }

  // ---- values both ways through the automation host ----
  std::string stage = "start";
  try {
    com::Dispatch application(spreadsheet.application(), "Application");
    testing::TestPlatform quiet;
    com::Application automation(application, quiet);
    stage = "adding a sheet";
    host::Worksheet& sheet = automation.thisWorkbook().addSheet(nullptr);
    stage = "writing and reading";
    host::Grid grid(2, 6);
    const host::Value kinds[] = {host::Value(), 1.5, "文本", true, false, -2.0,
                                 host::ErrorKind::Div0, host::ErrorKind::Value, host::ErrorKind::Ref,
                                 host::ErrorKind::NA, host::ErrorKind::Name, host::ErrorKind::Num};
    for (int i = 0; i < 12; ++i) grid.at(i / 6, i % 6) = kinds[i];
    sheet.setValues({3, 2}, grid);
    host::Grid back = sheet.values({3, 2, 4, 7});
    Check(back.cells == grid.cells, "a rectangle of every kind of value comes back as written");
    for (int i = 0; i < 12; ++i)
      Check(sheet.value({3 + i / 6, 2 + i % 6}) == kinds[i], "cell read " + std::to_string(i));
    stage = "typed entry";
    sheet.setValue(host::Rect::of(host::Cell{9, 1}), host::Value(" 12 "));
    Check(sheet.value({9, 1}) == host::Value(12.0), "typed entry through the host: text that reads as a number");
    stage = "formats by code";
    {
      using H = host::HorizontalAlignment;
      using V = host::VerticalAlignment;
      using B = host::BorderLine;
      using U = host::Underline;
      const H hs[] = {H::General,    H::Left, H::Center, H::Right, H::Fill, H::Justify, H::CenterAcrossSelection,
                      H::Distributed};
      const V vs[] = {V::Top, V::Center, V::Bottom, V::Justify, V::Distributed};
      const B bs[] = {B::None, B::Continuous, B::Dashed, B::Dotted, B::Double};
      const U us[] = {U::None, U::Single, U::Double};
      for (int i = 0; i < 8; ++i) {
        host::FormatPatch p;
        p.horizontalAlignment = hs[i];
        p.verticalAlignment = vs[i % 5];
        p.border = bs[i % 5];
        p.underline = us[i % 3];
        p.fill = i % 2 ? host::Fill::Solid(3 + i) : host::Fill{};
        const host::Cell at{12, 1 + i};
        sheet.applyFormat(host::Rect::of(at), p);
        const host::Format f = sheet.format(at);
        Check(f.horizontalAlignment == hs[i] && f.verticalAlignment == vs[i % 5] && f.border == bs[i % 5] &&
                  f.font.underline == us[i % 3] && f.fill == *p.fill,
              "format " + std::to_string(i) + " comes back through the object model's codes");
      }
      try {
        com::Dispatch(application.object("ActiveSheet", "Worksheet"))
            .object("Range", "Range", {com::Variant(std::string("A12"))})
            .put("HorizontalAlignment", 12345);
        Check(false, "an alignment code the object model lacks is refused");
      } catch (const host::HostError& e) {
        CheckEqual(e.number, 1004, "an unknown alignment code is refused");
      }
    }
    try {
      automation.workbook("没有的工作簿.xlsx");
      Check(false, "a missing workbook is an error");
    } catch (const host::HostError& e) {
      CheckEqual(e.number, 9, "the stand-in's error number arrives");
    }
  } catch (const host::HostError& e) {
    Check(false, "values through the automation host, " + stage, std::to_string(e.number) + " " + e.description);
  }

  // ---- release, unload, unregister ----
  zupo->Release();
  CheckEqual(dll.call("DllCanUnloadNow"), S_OK, "the DLL may unload once its object is gone");
  CheckEqual(dll.call("DllUnregisterServer"), S_OK, "DllUnregisterServer");
  CLSID gone;
  Check(FAILED(CLSIDFromProgID(component::kProgId, &gone)), "tavo.zupo is no longer registered");
  Check(RegisteredServer().empty(), "the class entries are gone");

  std::cout << (testing::Failures() ? "FAILED" : "PASSED") << " (" << testing::Failures() << " failures)" << std::endl;
  return testing::Failures() == 0 ? 0 : 1;
}
