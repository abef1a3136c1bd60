// The modal run of the window base: every dialog of the program is shown through it.
#include "windows/Window.h"

namespace setup::win {

bool Window::RunModal() {
  if (app_.EndRequested()) return false;
  const HWND owner = GetWindow(hwnd_, GW_OWNER);
  if (owner) CenterOn(owner);
  modalDone_ = false;
  modalOk_ = false;
  inModal_ = true;
  if (owner) EnableWindow(owner, FALSE);
  ShowWindow(hwnd_, SW_SHOW);
  if (const HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE)) SetFocus(first);
  const bool completed = app_.ModalLoop(hwnd_, modalDone_);
  inModal_ = false;
  // The owner is enabled before the dialog hides so that it gets the activation back.
  if (owner) EnableWindow(owner, TRUE);
  ShowWindow(hwnd_, SW_HIDE);
  return completed && modalOk_;
}

void Window::EndModal(bool ok) {
  modalOk_ = ok;
  modalDone_ = true;
}

}  // namespace setup::win
