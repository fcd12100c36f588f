// The add-in's dialog: a native, modeless, resizable window with what the
// system workbook's form has (the list of score files ltbCJB, the layout
// buttons, the score bands, the reports and help) and the system workbook
// it works on, which it can open or create. It is the host boundary's
// dialog, so every command runs exactly as through MyFunClick.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/zupo.h"
#include "host/com/dispatch.h"
#include "host/dialog.h"

namespace tavo::component {

// The window belongs to the window of the workbook that is active when it
// shows (each workbook has a window of its own), so it stays in front of
// the workbook the teacher works on; when that window closes and takes the
// dialog with it, the dialog is made again the next time it shows.
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
  // A command or one of the dialog's own boxes is under way: while its box
  // is up, the spreadsheet's other windows still take clicks.
  bool busy() const { return depth_ > 0; }
  // Ends the dialog now, or, while it is busy, hides it and ends it when
  // the work under way returns.
  static void Dispose(std::unique_ptr<DialogWindow>);

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
  // Counts the calls into the dialog under way; the last one out ends a
  // dialog disposed of meanwhile. Declared first in a function, it is the
  // last thing of the function to touch the dialog.
  class Entered {
   public:
    explicit Entered(DialogWindow& d) : dialog_(d) { ++dialog_.depth_; }
    ~Entered() {
      if (--dialog_.depth_ == 0 && dialog_.disposed_) delete &dialog_;
    }
    Entered(const Entered&) = delete;
    Entered& operator=(const Entered&) = delete;

   private:
    DialogWindow& dialog_;
  };

  static LRESULT CALLBACK Procedure(HWND, UINT, WPARAM, LPARAM);
  // Makes the window and its controls (again, after the owner took it).
  void create();
  // The window of the workbook the teacher is on, which owns the dialog.
  HWND ownerWindow() const;
  void followOwner();
  void setFont(UINT dpi);
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
  int depth_ = 0;
  bool disposed_ = false;
};

}  // namespace tavo::component
