// The add-in under Wine, met as the spreadsheet application meets it: found
// through its registry entry, created, connected to the stand-in, its ribbon
// read and its button pressed. The dialog window that opens is read and
// clicked with window messages; after each click every workbook equals the
// same command run directly on the model. Registering and removing the DLL
// leave the registry as it was.
//
//   addin_test.exe PATH\tavo.dll SCREENSHOT.bmp
#include <objbase.h>

#include <atomic>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "check.h"
#include "component/addin_interfaces.h"
#include "component/identifiers.h"
#include "component_dll.h"
#include "engine/zupo.h"
#include "host/com/dispatch.h"
#include "message_box_watcher.h"
#include "same_workbooks.h"
#include "screenshot.h"
#include "standin/spreadsheet.h"
#include "workbooks/starting_workbooks.h"
#include "world.h"

using namespace tavo;
using testing::Check;
using testing::CheckEqual;

namespace {

// ---- the registry ----

// Every key and value below `path`, in order, as text.
void DumpKey(HKEY root, const std::wstring& path, std::ostringstream& out) {
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  out << com::Utf8(path) << '\n';
  std::vector<std::wstring> children;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    children.emplace_back(name, length);
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    BYTE data[1024];
    DWORD length = 256, size = sizeof(data), type = 0;
    if (RegEnumValueW(key, i, name, &length, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
    out << "  " << com::Utf8(std::wstring(name, length)) << '=' << type << ':';
    for (DWORD b = 0; b < size; ++b) out << static_cast<int>(data[b]) << ',';
    out << '\n';
  }
  RegCloseKey(key);
  for (const std::wstring& child : children) DumpKey(root, path + L"\\" + child, out);
}

std::string Registry() {
  std::ostringstream out;
  DumpKey(HKEY_CURRENT_USER, L"Software", out);
  DumpKey(HKEY_LOCAL_MACHINE, L"Software\\Classes", out);
  return out.str();
}

// The first line where two dumps part.
std::string FirstChangedLine(const std::string& a, const std::string& b) {
  std::istringstream x(a), y(b);
  std::string l, m;
  while (true) {
    const bool more = static_cast<bool>(std::getline(x, l)), other = static_cast<bool>(std::getline(y, m));
    if (!more && !other) return "";
    if (!more || !other || l != m) return "[" + l + "] vs [" + m + "]";
  }
}

void CheckRegistrationRoundTrip(const testing::ComponentDll& dll, const std::string& what) {
  const std::string before = Registry();
  CheckEqual(dll.call("DllRegisterServer"), S_OK, what + ": DllRegisterServer");
  const std::wstring key = std::wstring(component::kAddInsKey) + L"\\" + component::kAddInProgId;
  DWORD load = 0, size = sizeof(load);
  Check(RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"LoadBehavior", RRF_RT_REG_DWORD, nullptr, &load, &size) ==
                ERROR_SUCCESS &&
            load == component::kLoadAtStartUp,
        what + ": the add-in loads at start-up");
  CheckEqual(dll.call("DllUnregisterServer"), S_OK, what + ": DllUnregisterServer");
  const std::string after = Registry();
  Check(after == before, what + ": the registry is as it was", FirstChangedLine(before, after));
}

// ---- the window ----

std::string Text(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return com::Utf8(text);
}

std::string ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return com::Utf8(name);
}

BOOL CALLBACK AddChild(HWND child, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
  return TRUE;
}

std::vector<HWND> Children(HWND window) {
  std::vector<HWND> all;
  EnumChildWindows(window, AddChild, reinterpret_cast<LPARAM>(&all));
  return all;
}

HWND ChildByText(HWND window, const std::string& text) {
  for (HWND c : Children(window))
    if (Text(c) == text) return c;
  return nullptr;
}

HWND ChildOfClass(HWND window, const char* kind) {
  for (HWND c : Children(window))
    if (_stricmp(ClassOf(c).c_str(), kind) == 0) return c;
  return nullptr;
}

void Pump(int rounds) {
  for (int i = 0; i < rounds; ++i) {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    Sleep(20);
  }
}

RECT RectIn(HWND parent, HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Every control lies inside the window, no two overlap, and each button's
// caption fits it in the button's own font.
void CheckNothingCutOff(HWND window, const std::string& when) {
  RECT client;
  GetClientRect(window, &client);
  std::vector<std::pair<HWND, RECT>> placed;
  for (HWND c : Children(window)) {
    if (GetParent(c) != window) continue;  // the combo box's own parts
    RECT r = RectIn(window, c);
    const std::string name = ClassOf(c) + " \"" + Text(c) + "\"";
    Check(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom,
          when + ": " + name + " inside the window");
    if (_stricmp(ClassOf(c).c_str(), "Button") == 0) {
      HDC dc = GetDC(c);
      HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(c, WM_GETFONT, 0, 0)));
      const std::wstring caption = com::Wide(Text(c));
      SIZE extent{};
      GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
      SelectObject(dc, old);
      ReleaseDC(c, dc);
      Check(extent.cx + 8 <= r.right - r.left && extent.cy + 4 <= r.bottom - r.top, when + ": " + name + " fits",
            std::to_string(extent.cx) + "x" + std::to_string(extent.cy) + " in " + std::to_string(r.right - r.left) +
                "x" + std::to_string(r.bottom - r.top));
    }
    // A combo box's rectangle includes its drop-down list.
    if (_stricmp(ClassOf(c).c_str(), "ComboBox") == 0) {
      COMBOBOXINFO info{};
      info.cbSize = sizeof(info);
      GetComboBoxInfo(c, &info);
      r.bottom = r.top + info.rcItem.bottom + 4;
    }
    for (auto& [other, o] : placed) {
      RECT overlap;
      Check(!IntersectRect(&overlap, &r, &o), when + ": " + name + " clear of \"" + Text(other) + "\"");
    }
    placed.push_back({c, r});
  }
}

// Whether `upper` stands in front of `lower` on the screen.
bool InFrontOf(HWND upper, HWND lower) {
  for (HWND w = GetWindow(upper, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT))
    if (w == lower) return true;
  return false;
}

// The window as the screen shows it, as a 24-bit BMP.
bool Screenshot(HWND window, const std::wstring& path) {
  RECT r;
  GetWindowRect(window, &r);
  return testing::ScreenshotOf(r, path);
}

// Answers the platform's file dialog titled `title` with `path`, from a
// thread of its own while the click that opened it waits.
class FileDialogAnswer {
 public:
  FileDialogAnswer(std::wstring title, std::wstring path)
      : thread_([this, t = std::move(title), p = std::move(path)] { answer(t, p); }) {}
  ~FileDialogAnswer() {
    stop_ = true;
    thread_.join();
  }
  bool answered() const { return answered_; }

 private:
  void answer(const std::wstring& title, const std::wstring& path) {
    for (int i = 0; i < 500 && !stop_; ++i, Sleep(20)) {
      HWND box = FindWindowW(L"#32770", title.c_str());
      if (!box || !IsWindowVisible(box)) continue;
      Sleep(100);
      // The name box is an edit field or, in the explorer style, a combo box.
      for (int id : {0x47c, 0x480}) SetDlgItemTextW(box, id, path.c_str());
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      answered_ = true;
      return;
    }
  }
  std::atomic<bool> stop_{false}, answered_{false};
  std::thread thread_;
};

}  // namespace

int main(int argc, char** argv) {
  // "layout" only opens the dialog, checks that nothing is cut off and
  // takes its picture: for a display of another scale.
  if (argc != 3 && !(argc == 4 && std::string(argv[3]) == "layout")) {
    std::cout << "usage: addin_test PATH\\tavo.dll SCREENSHOT.bmp [layout]" << std::endl;
    return 2;
  }
  const bool layoutOnly = argc == 4;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const std::wstring screenshot = com::Wide(argv[2]);
  const testing::ComponentDll dll(argv[1]);
  Check(dll.loaded(), "the DLL loads");
  if (!dll.loaded()) return 1;

  // ---- registration and removal, with and without another add-in ----
  {
    const std::wstring other = std::wstring(component::kAddInsKey) + L"\\other.addin";
    HKEY key;
    RegCreateKeyExW(HKEY_CURRENT_USER, other.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    const DWORD load = 3;
    RegSetValueExW(key, L"LoadBehavior", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&load), sizeof(load));
    RegCloseKey(key);
    CheckRegistrationRoundTrip(dll, "beside another add-in");
    // The whole branch below the platform's own part goes, as on a machine
    // that never had an add-in.
    const std::wstring addIns = component::kAddInsKey;
    RegDeleteTreeW(HKEY_CURRENT_USER,
                   addIns.substr(0, addIns.find(L'\\', std::wstring(component::kAddInsKeyRoot).size() + 1)).c_str());
    CheckRegistrationRoundTrip(dll, "the only add-in");

    // The other spreadsheet, once installed, loads only the add-ins its
    // allow-list names: registration adds ours there and removal takes it
    // out again, whether the list was there before or not.
    auto allowed = [] {
      HKEY list;
      if (RegOpenKeyExW(HKEY_CURRENT_USER, component::kWpsAllowedAddInsKey, 0, KEY_READ, &list) != ERROR_SUCCESS)
        return false;
      const bool named = RegQueryValueExW(list, component::kAddInProgId, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
      RegCloseKey(list);
      return named;
    };
    Check(!allowed(), "nothing is written for the other spreadsheet where it is not installed");
    HKEY wps;
    RegCreateKeyExW(HKEY_CURRENT_USER, component::kWpsOfficeKey, 0, nullptr, 0, KEY_WRITE, nullptr, &wps, nullptr);
    RegCloseKey(wps);
    CheckEqual(dll.call("DllRegisterServer"), S_OK, "DllRegisterServer with the other spreadsheet");
    Check(allowed(), "the other spreadsheet's allow-list names the add-in");
    CheckEqual(dll.call("DllUnregisterServer"), S_OK, "DllUnregisterServer with the other spreadsheet");
    CheckRegistrationRoundTrip(dll, "the other spreadsheet installed, its list empty");
    RegCreateKeyExW(HKEY_CURRENT_USER, component::kWpsAllowedAddInsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &wps, nullptr);
    RegSetValueExW(wps, L"other.addin", 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), sizeof(wchar_t));
    RegCloseKey(wps);
    CheckRegistrationRoundTrip(dll, "beside another add-in of the other spreadsheet");
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Kingsoft");
  }
  CheckEqual(dll.call("DllRegisterServer"), S_OK, "DllRegisterServer");

  // ---- loaded as the application loads it ----
  CLSID addInClass;
  IUnknown* created = nullptr;
  Check(SUCCEEDED(CLSIDFromProgID(component::kAddInProgId, &addInClass)) &&
            SUCCEEDED(CoCreateInstance(addInClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                       reinterpret_cast<void**>(&created))),
        "the add-in is created by its programmatic identifier");
  if (!created) return 1;
  component::IDTExtensibility2* connection = nullptr;
  component::IRibbonExtensibility* ribbon = nullptr;
  IDispatch* callbacks = nullptr;
  created->QueryInterface(component::kExtensibilityId, reinterpret_cast<void**>(&connection));
  created->QueryInterface(component::kRibbonExtensibilityId, reinterpret_cast<void**>(&ribbon));
  created->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&callbacks));
  Check(connection && ribbon && callbacks, "the add-in has the connection, ribbon and dispatch interfaces");
  if (!connection || !ribbon || !callbacks) return 1;

  const std::string folder = testing::TestFolder();
  testing::World direct(folder), served(folder);
  standin::Spreadsheet spreadsheet(served.app, served.dialog);
  spreadsheet.windowPerWorkbook();
  engine::zupo engine;
  SAFEARRAY* custom = nullptr;
  CheckEqual(connection->OnConnection(com::ToDispatch(*spreadsheet.application()), component::kStartUp, nullptr,
                                      &custom),
             S_OK, "OnConnection");
  CheckEqual(connection->OnStartupComplete(&custom), S_OK, "OnStartupComplete");

  // ---- the ribbon: well-formed, the tab, the buttons and their callback ----
  BSTR markup = nullptr;
  BSTR ribbonId = SysAllocString(component::kWorkbookRibbonId);
  CheckEqual(ribbon->GetCustomUI(ribbonId, &markup), S_OK, "GetCustomUI");
  SysFreeString(ribbonId);
  {
    CLSID parserClass;
    IDispatch* parser = nullptr;
    CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &parserClass);
    CoCreateInstance(parserClass, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&parser));
    Check(parser != nullptr, "an XML parser");
    if (parser) {
      com::Dispatch document(parser, "DOMDocument");
      parser->Release();
      const bool parsed = com::ToBool(*document.call("loadXML", {com::Variant(com::BstrText(markup))}));
      Check(parsed, "the ribbon markup is well-formed XML", com::BstrText(markup));
      com::Dispatch tabs = document.object("getElementsByTagName", "NodeList", {com::Variant("tab")});
      Check(com::ToInt(*tabs.get("length")) == 1 &&
                com::ToText(*tabs.object("item", "Element", {0}).call("getAttribute", {com::Variant("label")})) ==
                    "成绩统计",
            "one tab, labelled 成绩统计");
      std::set<std::string> ids, expected{"tavoDialog", "MyHelp"};
      for (const engine::CommandInfo& c : engine::zupo::Commands())
        if (c.kind == engine::CommandKind::Layout) expected.insert(c.name);
      com::Dispatch buttons = document.object("getElementsByTagName", "NodeList", {com::Variant("button")});
      for (int i = 0; i < com::ToInt(*buttons.get("length")); ++i) {
        com::Dispatch button = buttons.object("item", "Element", {i});
        const std::string id = com::ToText(*button.call("getAttribute", {com::Variant("id")}));
        ids.insert(id);
        Check(!com::ToText(*button.call("getAttribute", {com::Variant("imageMso")})).empty(),
              "the ribbon button " + id + " has a built-in image");
        std::wstring callback = com::Wide(com::ToText(*button.call("getAttribute", {com::Variant("onAction")})));
        LPOLESTR name = callback.data();
        DISPID member = DISPID_UNKNOWN;
        Check(SUCCEEDED(callbacks->GetIDsOfNames(IID_NULL, &name, 1, 0, &member)),
              "the add-in answers the callback " + com::Utf8(callback));
      }
      Check(ids == expected, "the ribbon's buttons: the dialog, help and the five settings sheets");
    }
  }
  SysFreeString(markup);

  // ---- the ribbon button opens the dialog ----
  auto press = [&](const std::string& id) {
    auto* control = new standin::ServerObject;
    control->property("Id", [id] { return com::Variant(id); });
    com::Variant argument = standin::Give(control);
    std::wstring name = L"OnRibbonButton";
    LPOLESTR names = name.data();
    DISPID member = DISPID_UNKNOWN;
    callbacks->GetIDsOfNames(IID_NULL, &names, 1, 0, &member);
    VARIANT arg = *argument;
    DISPPARAMS params{&arg, nullptr, 1, 0};
    return callbacks->Invoke(member, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
  };
  auto same = [&](const std::string& what) {
    std::string difference = testing::FirstDifference(direct.app, served.app);
    Check(difference.empty(), what + ": workbooks equal", difference);
  };
  engine.MyFunClick(direct.app, direct.dialog, "UFInitialize");
  CheckEqual(press("tavoDialog"), S_OK, "the ribbon's dialog button");
  HWND dialog = FindWindowW(L"tavoDialogWindow", com::Wide("成绩统计").c_str());
  Check(dialog && IsWindowVisible(dialog), "the dialog window appears");
  if (!dialog) return 1;
  same("opening the dialog");
  HWND list = ChildOfClass(dialog, "ListBox");
  HWND settingsSheet = ChildOfClass(dialog, "ComboBox");
  Check(list && settingsSheet, "the dialog has its list and the settings-sheet choice");
  CheckEqual(static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)), direct.dialog.itemCount(),
             "the list holds the data folder's files");
  std::vector<std::string> captions = {"打开…", "新建…", "刷新列表", "帮助", "分数段"};
  for (const engine::CommandInfo& c : engine::zupo::Commands())
    if (c.kind != engine::CommandKind::Dialog) captions.push_back(c.caption);
  for (const std::string& caption : captions) Check(ChildByText(dialog, caption) != nullptr, "a button " + caption);
  Check(Text(ChildOfClass(dialog, "Static")).find(folder) != std::string::npos, "the dialog names the system workbook",
        Text(ChildOfClass(dialog, "Static")));
  const LONG style = GetWindowLongW(dialog, GWL_STYLE);
  Check((style & WS_THICKFRAME) && (style & WS_MINIMIZEBOX), "resizable and minimisable");
  Pump(25);
  CheckNothingCutOff(dialog, "first size");
  Check(Screenshot(dialog, screenshot), "screenshot");
  if (layoutOnly) {
    HDC screen = GetDC(nullptr);
    std::cout << "dialog at " << GetDeviceCaps(screen, LOGPIXELSY) << " dpi" << std::endl;
    ReleaseDC(nullptr, screen);
    connection->OnBeginShutdown(&custom);
    connection->OnDisconnection(0, &custom);
    callbacks->Release();
    ribbon->Release();
    connection->Release();
    created->Release();
    CheckEqual(dll.call("DllUnregisterServer"), S_OK, "DllUnregisterServer");
    std::cout << (testing::Failures() ? "FAILED" : "PASSED") << " (" << testing::Failures() << " failures)" << std::endl;
    return testing::Failures() == 0 ? 0 : 1;
  }

  // ---- Tab moves between the controls, though the loop is not the dialog's ----
  {
    HWND first = ChildByText(dialog, "打开…");
    SetFocus(first);
    PostMessageW(first, WM_KEYDOWN, VK_TAB, 0);
    PostMessageW(first, WM_KEYUP, VK_TAB, 0);
    Pump(5);
    Check(GetFocus() != first && IsChild(dialog, GetFocus()), "Tab moves the focus to the next control",
          Text(GetFocus()));
  }

  // ---- every command by its button, as the model runs it ----
  auto click = [&](const std::string& caption) {
    HWND button = ChildByText(dialog, caption);
    Check(button != nullptr, "a button " + caption);
    if (button) SendMessageW(button, BM_CLICK, 0, 0);
  };
  for (const engine::CommandInfo& c : engine::zupo::Commands())
    if (c.kind == engine::CommandKind::Layout) {
      engine.MyFunClick(direct.app, direct.dialog, c.name);
      click(c.settingsSheet);
      same(c.settingsSheet);
    }
  direct.dialog.setListIndex(0);
  engine.MyFunClick(direct.app, direct.dialog, "ltbCJBChange");
  SendMessageW(list, LB_SETCURSEL, 0, 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  same("picking the score file");
  // The score file's workbook is active now and its window in front: the
  // dialog belongs to that window and stands in front of it.
  {
    HWND scores = spreadsheet.windowOf(*served.app.findWorkbook(workbooks::kSampleScoresName));
    HWND system = spreadsheet.windowOf(*served.app.findWorkbook(workbooks::kSystemWorkbookName));
    Pump(5);
    CheckEqual(GetWindow(dialog, GW_OWNER), scores, "the dialog belongs to the active workbook's window");
    Check(IsWindowVisible(dialog) && InFrontOf(dialog, scores), "the dialog stands in front of the score file's window");
    Check(InFrontOf(scores, system), "the score file's window covers the system workbook's");
    RECT frame, both;
    GetWindowRect(dialog, &frame);
    GetWindowRect(scores, &both);
    UnionRect(&both, &both, &frame);
    std::wstring picture = screenshot;
    picture.insert(picture.size() - 4, L"-in-front");
    testing::ScreenshotOf(both, picture);
  }
  // The score bands read the settings sheet chosen beside their button.
  SendMessageW(settingsSheet, CB_SETCURSEL, 0, 0);
  for (const engine::CommandInfo& c : engine::zupo::Commands())
    if (c.kind == engine::CommandKind::Report) {
      engine.MyFunClick(direct.app, direct.dialog, c.name, c.settingsSheet);
      click(c.caption);
      same(c.name);
    }
  // Coming back to the dialog from a settings sheet chooses that sheet for
  // the score bands, as the form's button reads the sheet the teacher is on.
  {
    auto* system = static_cast<model::Workbook*>(served.app.findWorkbook(workbooks::kSystemWorkbookName));
    system->setActiveSheet(*system->findModelSheet("四率版"));
    SendMessageW(dialog, WM_ACTIVATE, WA_CLICKACTIVE, 0);
    CheckEqual(Text(settingsSheet), std::string("四率版"), "the score bands follow the active settings sheet");
    system->setActiveSheet(system->modelSheet(1));
    auto* mine = static_cast<model::Workbook*>(direct.app.findWorkbook(workbooks::kSystemWorkbookName));
    mine->setActiveSheet(mine->modelSheet(1));
  }
  // The score bands read the settings sheet chosen beside their button.
  SendMessageW(settingsSheet, CB_SETCURSEL, 1, 0);
  engine.MyFunClick(direct.app, direct.dialog, "cmdCJ_Click", "双线版");
  click("分数段");
  same("score bands of 双线版");
  Check(direct.platform.boxes.empty(), "the commands ran without a message box");

  // ---- help without a word processor: the engine's one box ----
  {
    testing::MessageBoxWatcher watcher;
    engine.MyFunClick(direct.app, direct.dialog, "MyHelp");
    click("帮助");
    auto boxes = watcher.boxes();
    Check(boxes.size() == 1 && direct.platform.boxes.size() == 1 &&
              boxes[0].text == direct.platform.boxes[0].prompt,
          "help shows the engine's box");
    direct.platform.boxes.clear();
  }

  // ---- resized, minimised, closed and shown again ----
  {
    HWND help = ChildByText(dialog, "帮助");
    const RECT listBefore = RectIn(dialog, list), helpBefore = RectIn(dialog, help);
    RECT frame;
    GetWindowRect(dialog, &frame);
    SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left + 240, frame.bottom - frame.top + 160,
                 SWP_NOMOVE | SWP_NOZORDER);
    Pump(10);
    const RECT listAfter = RectIn(dialog, list), helpAfter = RectIn(dialog, help);
    CheckEqual(listAfter.right - listBefore.right, 240L, "the list grows with the window's width");
    CheckEqual(listAfter.bottom - listBefore.bottom, 160L, "the list grows with the window's height");
    Check(helpAfter.left - helpBefore.left == 240 && helpAfter.top - helpBefore.top == 160,
          "help stays in the bottom right corner");
    CheckNothingCutOff(dialog, "larger");
    std::wstring wide = screenshot;
    wide.insert(wide.size() - 4, L"-larger");
    Screenshot(dialog, wide);
    ShowWindow(dialog, SW_MINIMIZE);
    Check(IsIconic(dialog), "the dialog minimises");
    SendMessageW(dialog, WM_CLOSE, 0, 0);
    Check(IsWindow(dialog) && !IsWindowVisible(dialog), "closing hides the dialog");
    CheckEqual(press("tavoDialog"), S_OK, "the ribbon's button again");
    Check(IsWindowVisible(dialog) && !IsIconic(dialog), "the dialog is back");
    CheckEqual(static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)), 0, "with its selection");
  }

  // ---- a settings-sheet button on the ribbon runs through the dialog ----
  engine.MyFunClick(direct.app, direct.dialog, "cmdSiLvSZ_Click");
  CheckEqual(press("cmdSiLvSZ_Click"), S_OK, "the ribbon's 四率版 button");
  same("四率版 from the ribbon");

  // The ribbon's button, after the window that owned the dialog closed.
  auto reopen = [&](const std::string& when) {
    CheckEqual(press("tavoDialog"), S_OK, "the ribbon's button " + when);
    HWND again = FindWindowW(L"tavoDialogWindow", com::Wide("成绩统计").c_str());
    Check(again && IsWindowVisible(again), "the dialog is made again " + when);
    if (!again) return false;
    dialog = again;
    list = ChildOfClass(dialog, "ListBox");
    settingsSheet = ChildOfClass(dialog, "ComboBox");
    return true;
  };

  // ---- the score file's workbook closes and takes its window and the
  // dialog along; the ribbon's button makes the dialog again ----
  {
    served.app.setActiveWorkbook(*static_cast<model::Workbook*>(served.app.findWorkbook(workbooks::kSampleScoresName)));
    CheckEqual(press("tavoDialog"), S_OK, "the ribbon's dialog button on the score file's window");
    CheckEqual(GetWindow(dialog, GW_OWNER),
               spreadsheet.windowOf(*served.app.findWorkbook(workbooks::kSampleScoresName)),
               "the dialog belongs to the score file's window");
    for (testing::World* world : {&direct, &served})
      world->app.closeWorkbook(*static_cast<model::Workbook*>(world->app.findWorkbook(workbooks::kSampleScoresName)));
    spreadsheet.followActiveWorkbook();
    Pump(5);
    Check(!IsWindow(dialog), "the dialog went with its owner's window");
    if (!reopen("after its owner closed")) return 1;
    CheckEqual(GetWindow(dialog, GW_OWNER),
               spreadsheet.windowOf(served.app.activeWorkbook()),
               "and belongs to the window of the workbook now active");
    CheckEqual(static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)), 1, "its list is filled again");
  }

  // ---- no system workbook open: the dialog says so; 新建 makes one ----
  {
    served.app.closeWorkbook(*static_cast<model::Workbook*>(served.app.findWorkbook(workbooks::kSystemWorkbookName)));
    spreadsheet.followActiveWorkbook();
    if (!IsWindow(dialog) && !reopen("after the system workbook closed")) return 1;
    click("刷新列表");
    Check(Text(ChildOfClass(dialog, "Static")).find("未打开") != std::string::npos, "the dialog says none is open");
    CheckEqual(static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)), 0, "and lists nothing");

    std::string savedAs;
    int savedFormat = 0;
    spreadsheet.addWorkbook = [&]() -> host::Workbook& {
      return served.app.adopt(std::make_unique<model::Workbook>(served.app, "工作簿1", ""));
    };
    spreadsheet.saveAs = [&](host::Workbook& book, const std::string& path, int format) {
      savedAs = path;
      savedFormat = format;
      auto& b = static_cast<model::Workbook&>(book);
      b.setName(path.substr(path.find_last_of('\\') + 1));
      b.setPath(path.substr(0, path.find_last_of('\\')));
    };
    const std::string newFolder = folder + "\\新建";
    CreateDirectoryW(com::Wide(newFolder).c_str(), nullptr);
    const std::string newPath = newFolder + "\\" + workbooks::kSystemWorkbookName;
    DeleteFileW(com::Wide(newPath).c_str());
    {
      FileDialogAnswer answer(com::Wide("新建成绩统计工作簿：选文件夹和文件名"), com::Wide(newPath));
      click("新建…");
      Check(answer.answered(), "the file dialog was answered");
    }
    CheckEqual(savedAs, newPath, "saved where the teacher chose");
    CheckEqual(savedFormat, 51, "as an xlsx workbook");
    const DWORD data = GetFileAttributesW(com::Wide(newFolder + "\\" + workbooks::kDataFolderName).c_str());
    Check(data != INVALID_FILE_ATTRIBUTES && (data & FILE_ATTRIBUTE_DIRECTORY), "the data folder beside it");
    Check(Text(ChildOfClass(dialog, "Static")).find(newPath) != std::string::npos, "the dialog names the new workbook");

    // The same workbook as tavo init makes.
    testing::TestPlatform quiet;
    model::Application expected(quiet);
    auto& book = expected.adopt(workbooks::NewSystemWorkbook(expected, newFolder));
    expected.setThisWorkbook(book);
    engine::zupo layouts;
    for (const engine::CommandInfo& c : engine::zupo::Commands())
      if (c.kind == engine::CommandKind::Layout) layouts.MyFunClick(expected, direct.dialog, c.name);
    book.setActiveSheet(book.modelSheet(1));
    auto* made = static_cast<model::Workbook*>(served.app.findWorkbook(workbooks::kSystemWorkbookName));
    Check(made != nullptr, "the new workbook is open");
    if (made) {
      std::string difference = testing::WorkbookDifference(book, *made);
      Check(difference.empty(), "the new workbook is tavo init's", difference);
    }
  }

  // ---- 打开 opens a system workbook; a workbook without settings is refused ----
  {
    const std::string openFolder = folder + "\\打开";
    CreateDirectoryW(com::Wide(openFolder).c_str(), nullptr);
    CreateDirectoryW(com::Wide(openFolder + "\\" + workbooks::kDataFolderName).c_str(), nullptr);
    const std::string systemPath = openFolder + "\\" + workbooks::kSystemWorkbookName,
                      otherPath = openFolder + "\\成绩.xlsx";
    for (const std::string& path : {systemPath, otherPath})
      CloseHandle(CreateFileW(com::Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr));
    // The stand-in opens the files as the workbooks they would hold.
    served.app.setLoader([&](model::Application& app, const std::string& path) {
      if (path == systemPath) return workbooks::NewSystemWorkbook(app, openFolder);
      return std::make_unique<model::Workbook>(app, "成绩.xlsx", openFolder);
    });
    served.app.closeWorkbook(*static_cast<model::Workbook*>(served.app.findWorkbook(workbooks::kSystemWorkbookName)));
    spreadsheet.followActiveWorkbook();
    if (!IsWindow(dialog) && !reopen("after the new workbook closed")) return 1;
    const std::wstring title = com::Wide("打开成绩统计工作簿");
    {
      testing::MessageBoxWatcher watcher;
      {
        FileDialogAnswer answer(title, com::Wide(otherPath));
        click("打开…");
        Check(answer.answered(), "the open dialog was answered");
      }
      auto boxes = watcher.boxes();
      Check(boxes.size() == 1 && boxes[0].text.find("不是成绩统计工作簿") != std::string::npos,
            "a workbook without settings sheets is named as such",
            boxes.empty() ? "no box" : boxes[0].title + ": " + boxes[0].text);
    }
    {
      FileDialogAnswer answer(title, com::Wide(systemPath));
      click("打开…");
    }
    Check(Text(ChildOfClass(dialog, "Static")).find(systemPath) != std::string::npos,
          "the dialog works on the opened workbook", Text(ChildOfClass(dialog, "Static")));
  }

  // ---- a click in another workbook's window while a box of the dialog's
  // command is up: the command under way finishes first ----
  {
    HWND elsewhere = spreadsheet.windowOf(*served.app.findWorkbook(workbooks::kSystemWorkbookName));
    int clicks = 0;
    std::size_t switchesDuringClick = 0;
    spreadsheet.onWindowMessage = [&](UINT message, WPARAM) {
      if (message != WM_APP) return;
      ++clicks;
      const std::size_t before = spreadsheet.switchLog.size();
      CheckEqual(press("cmdSiLvSZ_Click"), S_OK, "a ribbon button pressed while a box is up");
      switchesDuringClick += spreadsheet.switchLog.size() - before;
    };
    {
      testing::MessageBoxWatcher teacher([&](HWND) {
        PostMessageW(elsewhere, WM_APP, 0, 0);
        Sleep(200);
      });
      click("帮助");
      CheckEqual(teacher.boxes().size(), std::size_t{1}, "help shows its box");
    }
    CheckEqual(clicks, 1, "the click arrived while the box was up");
    CheckEqual(switchesDuringClick, std::size_t{0}, "the command was not entered a second time");
  }

  // ---- the application closes while the box is up: the dialog ends when
  // the command returns, not under it ----
  {
    HWND elsewhere = spreadsheet.windowOf(*served.app.findWorkbook(workbooks::kSystemWorkbookName));
    spreadsheet.onWindowMessage = [&](UINT message, WPARAM) {
      if (message != WM_APP + 1) return;
      CheckEqual(connection->OnBeginShutdown(&custom), S_OK, "OnBeginShutdown while a box is up");
      CheckEqual(connection->OnDisconnection(0, &custom), S_OK, "OnDisconnection while a box is up");
    };
    {
      testing::MessageBoxWatcher teacher([&](HWND) {
        PostMessageW(elsewhere, WM_APP + 1, 0, 0);
        Sleep(200);
      });
      click("帮助");
      CheckEqual(teacher.boxes().size(), std::size_t{1}, "help shows its box");
    }
    Pump(5);
    Check(!IsWindow(dialog), "the dialog is gone once its command returned");
    spreadsheet.onWindowMessage = nullptr;
  }

  // ---- disconnection closes the dialog; removal ----
  CheckEqual(connection->OnBeginShutdown(&custom), S_OK, "OnBeginShutdown");
  CheckEqual(connection->OnDisconnection(0, &custom), S_OK, "OnDisconnection");
  Check(!IsWindow(dialog), "the dialog is gone with the add-in");
  callbacks->Release();
  ribbon->Release();
  connection->Release();
  created->Release();
  CheckEqual(dll.call("DllCanUnloadNow"), S_OK, "the DLL may unload");
  CheckEqual(dll.call("DllUnregisterServer"), S_OK, "DllUnregisterServer");

  std::cout << (testing::Failures() ? "FAILED" : "PASSED") << " (" << testing::Failures() << " failures)" << std::endl;
  return testing::Failures() == 0 ? 0 : 1;
}
