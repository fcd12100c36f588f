// The add-in's dialog: a native, modeless, resizable window with what the
// system workbook's form has (the list of score files ltbCJB, the layout
// buttons, the score bands, the reports and help) and the system workbook
// it works on, which it can open or create. It is the host boundary's
// dialog, so every command runs exactly as through MyFunClick.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/zupo.h"
#include "host/com/dispatch.h"
#include "host/dialog.h"

namespace tavo::component {

class DialogWindow final : public host::Dialog {
 public:
  // The window is made hidden; show() shows it.
  explicit DialogWindow(com::Dispatch application);
  ~DialogWindow() override;
  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;

  // Shows the window in front, with the system workbook looked up afresh.
  void show();
  // Runs a command of the engine as its button does.
  void run(const std::string& command);
  HWND handle() const { return window_; }

  // ---- host::Dialog ----
  std::string caption() const override;
  void addItem(const std::string&) override;
  int itemCount() const override;
  std::string item(int index) const override;
  int listIndex() const override;
  void setListIndex(int) override;
  std::string listValue() const override;

 private:
  struct Button {
    HWND handle;
    std::string command;  // empty for the dialog's own buttons
    int id;
  };
  static LRESULT CALLBACK Procedure(HWND, UINT, WPARAM, LPARAM);
  LRESULT handle(UINT, WPARAM, LPARAM);
  HWND addControl(const wchar_t* kind, const std::string& text, DWORD style, int id, DWORD extended = 0);
  void layOut();
  void clicked(int id);
  // Finds the system workbook; a different one from before, or `refill`,
  // fills the list afresh.
  com::Dispatch systemWorkbook(bool refill = false);
  // The score bands' settings sheet becomes the one active in the system
  // workbook, when that is a settings sheet.
  void followActiveSettingsSheet();
  void openSystemWorkbook();
  void createSystemWorkbook();
  void showError(const host::HostError&);
  // Runs `work` with the window disabled and the wait cursor; a host error
  // shows in the error box.
  void whileBusy(const std::function<void()>& work);

  com::Dispatch application_;
  engine::zupo engine_;  // keeps the selected score workbook between commands
  std::string systemName_;  // the system workbook the list was filled for
  HWND window_ = nullptr;
  HWND systemLabel_ = nullptr, filesLabel_ = nullptr, list_ = nullptr, settingsLabel_ = nullptr,
       reportsLabel_ = nullptr, settingsSheet_ = nullptr;
  std::vector<Button> buttons_;
  HFONT font_ = nullptr;
  int unit_ = 16;  // the font's height in pixels: every distance is a multiple
};

}  // namespace tavo::component
