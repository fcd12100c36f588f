#include "component/dialog_window.h"

#include <commdlg.h>

#include <algorithm>
#include <functional>

#include "component/module.h"
#include "component/system_workbook.h"
#include "host/com/application.h"
#include "host/com/windows_platform.h"
#include "workbooks/starting_workbooks.h"

namespace tavo::component {

namespace {

constexpr const wchar_t* kWindowClass = L"tavoDialogWindow";
constexpr const char* kCaption = "成绩统计";
constexpr const char* kScoreBands = "cmdCJ_Click";
constexpr const char* kHelp = "MyHelp";

// The dialog's own buttons; the commands' buttons follow from kFirstCommand.
enum ControlId { kList = 100, kSettingsSheet, kOpen, kNew, kRefresh, kFirstCommand = 200 };

struct CommandButton {
  std::string command, caption;
  engine::CommandKind kind;
};

// The buttons in the order of the form: the layouts, the score bands, the
// reports, help; captions as the command table gives them.
std::vector<CommandButton> CommandButtons() {
  std::vector<CommandButton> buttons;
  for (auto kind : {engine::CommandKind::Layout, engine::CommandKind::Report})
    for (const engine::CommandInfo& c : engine::zupo::Commands())
      if (c.kind == kind) buttons.push_back({c.name, c.caption, c.kind});
  const auto help = engine::zupo::FindCommand(kHelp);
  buttons.push_back({help->name, help->caption, help->kind});
  return buttons;
}

// Buttons hold six characters of the dialog's font ("标准分与赋分").
int ButtonWidth(int unit) { return unit * 6; }

// Rows of the right-hand panel, two buttons a row: the layouts, the score
// bands with their settings-sheet choice, the other reports.
int ButtonRows() {
  int layouts = 0, reports = 0;
  for (const engine::CommandInfo& c : engine::zupo::Commands()) {
    if (c.kind == engine::CommandKind::Layout) ++layouts;
    if (c.kind == engine::CommandKind::Report && c.name != kScoreBands) ++reports;
  }
  return (layouts + 1) / 2 + 1 + (reports + 1) / 2;
}

std::string WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return com::Utf8(text);
}

// The message font at ten and a half points for the window's screen, with a
// face that has Chinese characters: the font mapper picks one of the GB2312
// character set when the named face is missing.
HFONT MakeFont(UINT dpi, int& height) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  LOGFONTW font = metrics.lfMessageFont;
  HDC screen = GetDC(nullptr);
  font.lfHeight = -MulDiv(21, static_cast<int>(dpi), 144);
  font.lfCharSet = GB2312_CHARSET;
  wcscpy_s(font.lfFaceName, L"Microsoft YaHei UI");
  HFONT made = CreateFontIndirectW(&font);
  HGDIOBJ old = SelectObject(screen, made);
  TEXTMETRICW text{};
  GetTextMetricsW(screen, &text);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  height = std::max<int>(text.tmHeight, 12);
  return made;
}

// Tab and the arrow keys move between the controls of a modeless window
// only when the message loop asks the window first; the spreadsheet's loop
// does not, so a hook of the thread's messages does.
HWND hookedWindow = nullptr;
HHOOK messageHook = nullptr;

LRESULT CALLBACK MessageHook(int code, WPARAM remove, LPARAM message) {
  auto* m = reinterpret_cast<MSG*>(message);
  if (code >= 0 && remove == PM_REMOVE && hookedWindow && m->message >= WM_KEYFIRST && m->message <= WM_KEYLAST &&
      (m->hwnd == hookedWindow || IsChild(hookedWindow, m->hwnd)) && IsDialogMessageW(hookedWindow, m)) {
    m->message = WM_NULL;
  }
  return CallNextHookEx(messageHook, code, remove, message);
}

// Each screen's own scale (Windows 10 and later): the dialog asks for it
// for the window it makes, and is drawn sharp on a second monitor of
// another scale instead of stretched. The calls are looked up, as older
// systems lack them.
constexpr UINT kDpiChanged = 0x02E0;  // WM_DPICHANGED
using SetThreadDpiContext = HANDLE(WINAPI*)(HANDLE);
using GetWindowDpi = UINT(WINAPI*)(HWND);
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));

template <class F>
F User32(const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

UINT DpiOf(HWND window) {
  if (auto dpiOf = User32<GetWindowDpi>("GetDpiForWindow")) return dpiOf(window);
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return static_cast<UINT>(dpi);
}

BOOL CALLBACK SetFontOf(HWND control, LPARAM font) {
  SendMessageW(control, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
  return TRUE;
}

}  // namespace

DialogWindow::DialogWindow(com::Dispatch application) : application_(std::move(application)) { create(); }

void DialogWindow::create() {
  WNDCLASSEXW kind{};
  kind.cbSize = sizeof(kind);
  kind.lpfnWndProc = Procedure;
  kind.hInstance = Module();
  kind.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  kind.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  kind.lpszClassName = kWindowClass;
  RegisterClassExW(&kind);  // fails harmlessly when a second dialog registers it again

  const auto setContext = User32<SetThreadDpiContext>("SetThreadDpiAwarenessContext");
  const HANDLE previous = setContext ? setContext(kPerMonitorAwareV2) : nullptr;
  window_ = CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, com::Wide(kCaption).c_str(),
                            WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, ownerWindow(),
                            nullptr, Module(), this);
  if (setContext && previous) setContext(previous);
  if (!window_) throw host::HostError(7, "无法建立对话框窗口");
  setFont(DpiOf(window_));
  buttons_.clear();

  systemLabel_ = addControl(L"STATIC", "", SS_LEFT | SS_PATHELLIPSIS, 0);
  addControl(L"BUTTON", "打开…", BS_PUSHBUTTON | WS_TABSTOP, kOpen);
  addControl(L"BUTTON", "新建…", BS_PUSHBUTTON | WS_TABSTOP, kNew);
  filesLabel_ = addControl(L"STATIC", "成绩文件（数据文件夹里的文件，点选即打开）", SS_LEFT | SS_ENDELLIPSIS, 0);
  list_ = addControl(L"LISTBOX", "", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP, kList,
                     WS_EX_CLIENTEDGE);
  addControl(L"BUTTON", "刷新列表", BS_PUSHBUTTON | WS_TABSTOP, kRefresh);
  settingsLabel_ = addControl(L"STATIC", "参数表", SS_LEFT, 0);
  reportsLabel_ = addControl(L"STATIC", "统计", SS_LEFT, 0);
  int id = kFirstCommand;
  for (const CommandButton& b : CommandButtons()) {
    HWND handle = addControl(L"BUTTON", b.caption, BS_PUSHBUTTON | WS_TABSTOP, id);
    buttons_.push_back({handle, b.command, id++});
  }
  settingsSheet_ = addControl(L"COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, kSettingsSheet);
  for (const engine::CommandInfo& c : engine::zupo::Commands())
    if (c.kind == engine::CommandKind::Layout && c.holdsLines)
      SendMessageW(settingsSheet_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(com::Wide(c.settingsSheet).c_str()));
  SendMessageW(settingsSheet_, CB_SETCURSEL, 0, 0);

  // The first size is the smallest that holds everything, a little wider.
  MINMAXINFO limits{};
  SendMessageW(window_, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  SetWindowPos(window_, nullptr, 0, 0, limits.ptMinTrackSize.x + unit_ * 8, limits.ptMinTrackSize.y + unit_ * 4,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  layOut();
  hookedWindow = window_;
  if (!messageHook) messageHook = SetWindowsHookExW(WH_GETMESSAGE, MessageHook, nullptr, GetCurrentThreadId());
}

DialogWindow::~DialogWindow() {
  disposed_ = false;
  if (messageHook) UnhookWindowsHookEx(messageHook);
  messageHook = nullptr;
  hookedWindow = nullptr;
  if (window_) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
  if (font_) DeleteObject(font_);
}

HWND DialogWindow::addControl(const wchar_t* kind, const std::string& text, DWORD style, int id, DWORD extended) {
  HWND control = CreateWindowExW(extended, kind, com::Wide(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10,
                                 window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Module(), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return control;
}

LRESULT CALLBACK DialogWindow::Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<DialogWindow*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_ = window;
  }
  auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, w, l);
  Entered entered(*self);
  return self->handle(message, w, l);
}

HWND DialogWindow::ownerWindow() const {
  // The active window's handle where each workbook has its own window;
  // older versions have only the application's.
  for (const char* member : {"ActiveWindow", ""}) {
    try {
      const com::Variant handle = *member ? application_.object(member, "Window").get("Hwnd") : application_.get("Hwnd");
      if (HWND owner = reinterpret_cast<HWND>(static_cast<std::intptr_t>(com::ToNumber(*handle))); IsWindow(owner))
        return owner;
    } catch (const host::HostError&) {
      // no workbook open, or no such member: try the next
    }
  }
  return nullptr;  // a window without an owner still works
}

void DialogWindow::followOwner() {
  if (!window_) return;
  HWND owner = ownerWindow();
  if (owner && GetWindow(window_, GW_OWNER) != owner)
    SetWindowLongPtrW(window_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  if (IsWindowVisible(window_)) SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void DialogWindow::setFont(UINT dpi) {
  HFONT old = font_;
  font_ = MakeFont(dpi, unit_);
  EnumChildWindows(window_, SetFontOf, reinterpret_cast<LPARAM>(font_));
  if (old) DeleteObject(old);
}

void DialogWindow::Dispose(std::unique_ptr<DialogWindow> dialog) {
  if (!dialog || !dialog->busy()) return;  // ended here, as `dialog` goes
  dialog->disposed_ = true;
  if (dialog->window_) ShowWindow(dialog->window_, SW_HIDE);
  dialog.release();  // the last call out ends it
}

LRESULT DialogWindow::handle(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_SIZE:
      layOut();
      return 0;
    case WM_GETMINMAXINFO: {
      // Room for the right-hand column of buttons and a list ten characters
      // wide; for the rows of buttons and the labels.
      const int u = unit_, m = u * 2 / 3, gap = u / 2, bh = u * 2, bw = ButtonWidth(u);
      RECT needed{0, 0, m + u * 12 + gap * 2 + 2 * bw + gap + m,
                  m + bh + gap + 2 * (u * 3 / 2) + ButtonRows() * (bh + gap) + bh + m};
      AdjustWindowRectEx(&needed, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_CONTROLPARENT);
      auto* limits = reinterpret_cast<MINMAXINFO*>(l);
      limits->ptMinTrackSize = {needed.right - needed.left, needed.bottom - needed.top};
      return 0;
    }
    case WM_COMMAND: {
      const int id = LOWORD(w), code = HIWORD(w);
      // Nothing may leave a window procedure: the spreadsheet's own code is
      // below it on the stack.
      try {
        if (id == kList && code == LBN_SELCHANGE) run("ltbCJBChange");
        else if (code == BN_CLICKED && id != kList && id != kSettingsSheet) clicked(id);
      } catch (const host::HostError& e) {
        showError(e);
      } catch (...) {
        EnableWindow(window_, TRUE);
      }
      return 0;
    }
    case WM_ACTIVATE:
      // Back from the sheets: the score bands read the settings sheet the
      // teacher was on, as the form's button does.
      if (LOWORD(w) != WA_INACTIVE) {
        try {
          followActiveSettingsSheet();
        } catch (...) {
          // the choice stays as it was
        }
      }
      return DefWindowProcW(window_, message, w, l);
    case WM_CLOSE:
      // The engine, and with it the selected score file, stays for next time.
      ShowWindow(window_, SW_HIDE);
      return 0;
    case kDpiChanged: {
      setFont(HIWORD(w));
      const RECT* suggested = reinterpret_cast<const RECT*>(l);
      SetWindowPos(window_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      layOut();
      return 0;
    }
    case WM_NCDESTROY: {
      // Its owner's window closed and took it along: made again when shown.
      HWND gone = window_;
      SetWindowLongPtrW(gone, GWLP_USERDATA, 0);
      if (hookedWindow == gone) hookedWindow = nullptr;
      window_ = list_ = systemLabel_ = filesLabel_ = settingsLabel_ = reportsLabel_ = settingsSheet_ = nullptr;
      buttons_.clear();
      systemName_.clear();
      return DefWindowProcW(gone, message, w, l);
    }
    default:
      return DefWindowProcW(window_, message, w, l);
  }
}

void DialogWindow::layOut() {
  RECT client;
  GetClientRect(window_, &client);
  const int W = client.right, H = client.bottom;
  const int u = unit_, m = u * 2 / 3, gap = u / 2, bh = u * 2, bw = ButtonWidth(u), labelH = u * 3 / 2;
  const int panel = 2 * bw + gap, panelX = W - m - panel;
  auto place = [](HWND c, int x, int y, int w, int h) { MoveWindow(c, x, y, std::max(w, 1), std::max(h, 1), TRUE); };
  auto button = [this](int id) { return GetDlgItem(window_, id); };

  // The system workbook and its two buttons across the top.
  place(button(kNew), W - m - bw, m, bw, bh);
  place(button(kOpen), W - m - 2 * bw - gap, m, bw, bh);
  place(systemLabel_, m, m + (bh - labelH) / 2 + u / 8, W - 3 * m - 2 * bw - gap, labelH);

  // The list on the left, as tall as the window allows.
  const int top = m + bh + gap;
  const int listW = panelX - gap * 2 - m;
  place(filesLabel_, m, top, listW, labelH);
  place(list_, m, top + labelH, listW, H - top - labelH - m - bh - gap);
  place(button(kRefresh), m, H - m - bh, bw, bh);

  // The commands on the right, two to a row.
  int y = top;
  place(settingsLabel_, panelX, y, panel, labelH);
  y += labelH;
  int column = 0;
  auto next = [&](HWND c) {
    place(c, panelX + column * (bw + gap), y, bw, bh);
    if (++column == 2) {
      column = 0;
      y += bh + gap;
    }
  };
  auto endRow = [&] {
    if (column) y += bh + gap;
    column = 0;
  };
  const std::vector<CommandButton> commands = CommandButtons();
  for (std::size_t i = 0; i < commands.size(); ++i)
    if (commands[i].kind == engine::CommandKind::Layout) next(buttons_[i].handle);
  endRow();
  place(reportsLabel_, panelX, y, panel, labelH);
  y += labelH;
  for (std::size_t i = 0; i < commands.size(); ++i) {
    if (commands[i].command == kScoreBands) {
      next(buttons_[i].handle);
      // The settings sheet the score bands read stands beside their button.
      place(settingsSheet_, panelX + bw + gap, y + (bh - u * 7 / 4) / 2, bw, u * 12);
      column = 0;
      y += bh + gap;
    } else if (commands[i].kind == engine::CommandKind::Report) {
      next(buttons_[i].handle);
    } else if (commands[i].command == kHelp) {
      place(buttons_[i].handle, W - m - bw, H - m - bh, bw, bh);
    }
  }
  // Labels drawn with an ellipsis keep their old text unless erased whole.
  RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void DialogWindow::show() {
  Entered entered(*this);
  if (!window_) create();
  followOwner();
  ShowWindow(window_, IsIconic(window_) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(window_);
  systemWorkbook();
}

com::Dispatch DialogWindow::systemWorkbook(bool refill) {
  com::Dispatch system;
  try {
    system = FindSystemWorkbook(application_);
  } catch (const host::HostError& e) {
    showError(e);
    return {};
  }
  std::string name;
  if (system) {
    try {
      name = com::ToText(*system.get("FullName"));
    } catch (const host::HostError&) {
      name = com::ToText(*system.get("Name"));
    }
  }
  const std::string label = system ? "成绩统计工作簿：" + name : "未打开成绩统计工作簿：请点“打开…”或“新建…”";
  SetWindowTextW(systemLabel_, com::Wide(label).c_str());
  if (refill || name != systemName_) {
    systemName_ = name;
    SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    if (system) run("UFInitialize");
  }
  return system;
}


void DialogWindow::run(const std::string& command) {
  Entered entered(*this);
  if (!window_) create();
  com::Dispatch system = systemWorkbook();
  if (!system) {
    show();
    MessageBoxW(window_, com::Wide("请先打开或新建成绩统计工作簿。").c_str(), com::Wide(kCaption).c_str(),
                MB_OK | MB_ICONINFORMATION);
    return;
  }
  const std::string csb = command == kScoreBands ? WindowText(settingsSheet_) : "";
  whileBusy([&] {
    com::WindowsPlatform platform(application_);
    com::Application host(application_, platform, system);
    engine_.MyFunClick(host, *this, command, csb);
  });
}

void DialogWindow::clicked(int id) {
  if (id == kOpen) return openSystemWorkbook();
  if (id == kNew) return createSystemWorkbook();
  if (id == kRefresh) {
    systemWorkbook(true);
    return;
  }
  for (const Button& b : buttons_)
    if (b.id == id) return run(b.command);
}

namespace {

// The file the teacher picks in the platform's file dialog; empty when the
// dialog is cancelled.
std::wstring PickFile(HWND owner, bool forSaving, const wchar_t* title) {
  wchar_t file[MAX_PATH] = {};
  if (forSaving) wcscpy_s(file, com::Wide(workbooks::kSystemWorkbookName).c_str());
  const std::wstring filter = com::Wide("成绩统计工作簿 (*.xlsx;*.xlsm;*.xls)") + L'\0' + L"*.xlsx;*.xlsm;*.xls" + L'\0';
  OPENFILENAMEW choice{};
  choice.lStructSize = sizeof(choice);
  choice.hwndOwner = owner;
  choice.lpstrFilter = filter.c_str();
  choice.lpstrFile = file;
  choice.nMaxFile = MAX_PATH;
  choice.lpstrTitle = title;
  choice.lpstrDefExt = L"xlsx";
  choice.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                 (forSaving ? 0 : OFN_FILEMUSTEXIST);
  const BOOL picked = forSaving ? GetSaveFileNameW(&choice) : GetOpenFileNameW(&choice);
  return picked ? std::wstring(file) : std::wstring();
}

}  // namespace

void DialogWindow::followActiveSettingsSheet() {
  com::Dispatch system = FindSystemWorkbook(application_);
  if (!system) return;
  const std::wstring active = com::Wide(com::ToText(*system.object("ActiveSheet", "Worksheet").get("Name")));
  const LRESULT index = SendMessageW(settingsSheet_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(active.c_str()));
  if (index != CB_ERR) SendMessageW(settingsSheet_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void DialogWindow::openSystemWorkbook() {
  const std::wstring path = PickFile(window_, false, com::Wide("打开成绩统计工作簿").c_str());
  if (path.empty()) return;
  whileBusy([&] { OpenSystemWorkbook(application_, com::Utf8(path)); });
  if (!systemWorkbook())
    MessageBoxW(window_, com::Wide("这个工作簿没有参数表（三线版等）和 DTB，不是成绩统计工作簿。").c_str(),
                com::Wide(kCaption).c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void DialogWindow::createSystemWorkbook() {
  const std::wstring path = PickFile(window_, true, com::Wide("新建成绩统计工作簿：选文件夹和文件名").c_str());
  if (path.empty()) return;
  // A teacher's file is never overwritten.
  if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
    MessageBoxW(window_, (path + com::Wide(" 已存在，未作改动。")).c_str(), com::Wide(kCaption).c_str(),
                MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  whileBusy([&] { CreateSystemWorkbook(application_, com::Utf8(path)); });
  systemWorkbook();
}

void DialogWindow::showError(const host::HostError& e) {
  MessageBoxW(window_, com::Wide(e.boxText()).c_str(), com::Wide("错误").c_str(), MB_OK | MB_ICONSTOP);
}

void DialogWindow::whileBusy(const std::function<void()>& work) {
  EnableWindow(window_, FALSE);
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  try {
    work();
  } catch (const host::HostError& e) {
    showError(e);  // the engine reports its own errors; this is the platform's
  }
  // The window may have gone with its owner meanwhile.
  if (window_) {
    EnableWindow(window_, TRUE);
    // The work may have opened or activated another workbook's window.
    if (!disposed_) followOwner();
  }
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

std::string DialogWindow::caption() const { return WindowText(window_); }

void DialogWindow::addItem(const std::string& text) {
  SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(com::Wide(text).c_str()));
}

int DialogWindow::itemCount() const { return static_cast<int>(SendMessageW(list_, LB_GETCOUNT, 0, 0)); }

std::string DialogWindow::item(int index) const {
  const LRESULT length = SendMessageW(list_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR) throw host::HostError(381, "无效的属性数组索引");
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(list_, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return com::Utf8(text);
}

int DialogWindow::listIndex() const { return static_cast<int>(SendMessageW(list_, LB_GETCURSEL, 0, 0)); }

void DialogWindow::setListIndex(int index) { SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(index), 0); }

std::string DialogWindow::listValue() const {
  const int index = listIndex();
  return index < 0 ? std::string() : item(index);
}

}  // namespace tavo::component
