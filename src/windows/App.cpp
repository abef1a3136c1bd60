#include "windows/App.h"

#include <exception>
#include <new>

#include "platform/win32/Text.h"

namespace setup::win {

HWND App::BoxOwner() const {
  const HWND active = GetActiveWindow();
  return active ? active : main_;
}

void App::ShowMessage(const std::string& text) {
  // A box opened after the end request would close at once on the pending quit message.
  if (endRequested_) return;
  MessageBoxW(BoxOwner(), ToWide(text).c_str(), wideTitle_.c_str(), MB_OK);
}

void App::ShowError(const std::string& text) {
  if (endRequested_) return;
  MessageBoxW(BoxOwner(), ToWide(text).c_str(), wideTitle_.c_str(), MB_OK | MB_ICONERROR);
}

bool App::AskYesNo(const std::string& text) {
  // After the end request the box would close at once; that answers No.
  if (endRequested_) return false;
  return MessageBoxW(BoxOwner(), ToWide(text).c_str(), wideTitle_.c_str(),
                     MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

// Allocates nothing, so that it still works when memory has run out.
void App::ShowErrorText(const wchar_t* text) noexcept {
  if (endRequested_) return;
  MessageBoxW(BoxOwner(), text, wideTitle_.c_str(), MB_OK | MB_ICONERROR);
}

void App::ShowCurrentException() noexcept {
  static constexpr wchar_t kOutOfMemory[] = L"Out of memory.";
  const wchar_t* text = L"An unexpected error occurred.";
  try {
    throw;
  } catch (const std::bad_alloc&) {
    // Its what() names only the type.
    text = kOutOfMemory;
  } catch (const std::exception& e) {
    try {
      ShowError(e.what());
      return;
    } catch (...) {
      text = kOutOfMemory;  // no room for the text's conversion
    }
  } catch (...) {
  }
  ShowErrorText(text);
}

void App::RequestEnd() {
  endRequested_ = true;
  PostQuitMessage(0);
}

void App::ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Leave the quit message to the main loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool App::ModalLoop(HWND dialog, const bool& done) {
  MSG msg;
  while (!done) {
    if (endRequested_) return false;
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      PostQuitMessage(got == 0 ? static_cast<int>(msg.wParam) : 0);
      return false;
    }
    if (!IsDialogMessageW(dialog, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return !endRequested_;
}

void App::Run(HWND mainWindow) {
  main_ = mainWindow;
  ShowWindow(mainWindow, SW_SHOWDEFAULT);
  UpdateWindow(mainWindow);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(mainWindow, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

}  // namespace setup::win
