// The application object: message boxes, the end request, the message loops and the default
// error handler at the event boundary.
#pragma once

// Text.h first: it brings <windows.h> and takes back its DeleteFile macro before Platform.h.
#include "platform/win32/Text.h"

#include <string>

#include "platform/Platform.h"

namespace setup::win {

class App : public Ui {
 public:
  explicit App(std::string title) : title_(std::move(title)), wideTitle_(ToWide(title_)) {}

  void ShowMessage(const std::string& text) override;
  void RequestEnd() override;
  bool EndRequested() const override { return endRequested_; }
  void ProcessMessages() override;

  // An error message box titled with the application title; the program goes on.
  void ShowError(const std::string& text);
  // A warning box with Yes and No, No the default; true for Yes.
  bool AskYesNo(const std::string& text);

  // Runs an event handler; any exception stops the handler, not the program, and is shown in
  // the error box.
  template <class F>
  void Guard(F&& handler) {
    try {
      handler();
    } catch (...) {
      ShowCurrentException();
    }
  }

  // Dispatches messages until done is set; false when the end was requested meanwhile. The
  // dialog gets Enter, Esc and Tab handling.
  bool ModalLoop(HWND dialog, const bool& done);
  // Shows the main window and dispatches messages until the end request.
  void Run(HWND mainWindow);

  const std::string& Title() const { return title_; }

 private:
  HWND BoxOwner() const;
  void ShowCurrentException() noexcept;
  void ShowErrorText(const wchar_t* text) noexcept;
  std::string title_;
  std::wstring wideTitle_;
  HWND main_ = nullptr;
  bool endRequested_ = false;
};

}  // namespace setup::win
