#include "windows/Window.h"

#include "windows/Dpi.h"

namespace setup::win {

Window::Window(App& app, const WindowDef& def)
    : app_(app), def_(def), clientHeight96_(def.clientHeight) {}

Window::~Window() {
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

DWORD Window::Style() const {
  switch (def_.frame) {
    case Frame::Main:
      return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    case Frame::Dialog:
      return WS_POPUP | WS_CAPTION | WS_SYSMENU;
    case Frame::Tool:
      return WS_POPUP | WS_CAPTION;
  }
  return 0;
}

DWORD Window::ExStyle() const {
  switch (def_.frame) {
    case Frame::Main:
      return WS_EX_CONTROLPARENT;
    case Frame::Dialog:
      return WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    case Frame::Tool:
      return WS_EX_TOOLWINDOW;
  }
  return 0;
}

void Window::Register() const {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  if (GetClassInfoExW(instance, def_.className, &wc)) return;
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &Window::Proc;
  // The dialog manager's extra bytes let DefDlgProc give Enter, Esc, Tab and focus handling.
  wc.cbWndExtra = DLGWINDOWEXTRA;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = def_.className;
  if (!RegisterClassExW(&wc)) {
    throw Error("Cannot register the window class " + ToUtf8(def_.className) + ". " +
                SystemReason(GetLastError()));
  }
}

void Window::Create(HWND owner) {
  Register();
  const int dpi = SystemDpi();
  RECT rc{0, 0, Scale(def_.clientWidth, dpi), Scale(clientHeight96_, dpi)};
  AdjustRect(rc, Style(), ExStyle(), dpi);
  const bool main = def_.frame == Frame::Main;
  // Proc sets hwnd_ at WM_NCCREATE already, for the messages of the creation itself; the result
  // says whether the window outlived them.
  hwnd_ =
      CreateWindowExW(ExStyle(), def_.className, ToWide(std::string(def_.caption)).c_str(), Style(),
                      main ? CW_USEDEFAULT : 0, main ? CW_USEDEFAULT : 0, rc.right - rc.left,
                      rc.bottom - rc.top, owner, nullptr, GetModuleHandleW(nullptr), this);
  if (!hwnd_) {
    throw Error("Cannot create the window " + ToUtf8(def_.className) + ". " +
                SystemReason(GetLastError()));
  }
  items_ = CreateControls(hwnd_, def_.controls);
  ApplyDpi(DpiOf(hwnd_));
  for (int row = 0; row < static_cast<int>(def_.controls.size()); ++row) {
    if (def_.controls[row].flags & kDefault)
      SendMessageW(hwnd_, DM_SETDEFID, kFirstItemId + row, 0);
  }
  OnCreate();
}

void Window::ApplyDpi(int dpi) {
  dpi_ = dpi;
  gdi_ = GdiSet::For(dpi);
  LayoutControls(def_.controls, items_, gdi_, dpi, def_.clientWidth);
  InvalidateRect(hwnd_, nullptr, TRUE);
  FitClient();
}

void Window::FitClient() {
  RECT rc{0, 0, Scale(def_.clientWidth, dpi_), Scale(clientHeight96_, dpi_)};
  AdjustRect(rc, Style(), ExStyle(), dpi_);
  SetWindowPos(hwnd_, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Window::CenterOn(HWND other) {
  RECT outer{}, mine{};
  GetWindowRect(other, &outer);
  GetWindowRect(hwnd_, &mine);
  const int w = mine.right - mine.left, h = mine.bottom - mine.top;
  SetWindowPos(hwnd_, nullptr, (outer.left + outer.right - w) / 2,
               (outer.top + outer.bottom - h) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Window::SetClientHeight96(int height) {
  clientHeight96_ = height;
  FitClient();
}

HWND Window::Item(int id) const {
  const int row = RowOf(def_.controls, id);
  if (row < 0) throw Error("FatalError: no such control.");
  return items_[row];
}

std::string Window::Text(int id) const {
  return ToUtf8(TextOf(Item(id)));
}

void Window::SetText(int id, const std::string& text) {
  const HWND item = Item(id);
  SetWindowTextW(item, ToWide(text).c_str());
  FitToText(def_.controls, items_, RowOf(def_.controls, id), gdi_, dpi_, def_.clientWidth);
}

bool Window::Checked(int id) const {
  return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Window::SetChecked(int id, bool checked) {
  SendMessageW(Item(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Window::Enable(int id, bool enabled) {
  EnableWindow(Item(id), enabled);
}

void Window::SetTitle(const std::string& title) {
  SetWindowTextW(hwnd_, ToWide(title).c_str());
}

void Window::Command(int item, unsigned code) {
  const auto& rows = def_.controls;
  if (item == IDOK || item == IDCANCEL) {
    // Enter without a default button, and Esc, from the dialog manager.
    const unsigned role = item == IDOK ? kDefault : kCancel;
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
      if (rows[row].flags & role) {
        if (IsWindowEnabled(items_[row])) Command(kFirstItemId + row, BN_CLICKED);
        return;
      }
    }
    // A dialog without a Cancel button still closes on Esc, as with its close box.
    if (item == IDCANCEL && inModal_) EndModal(false);
    return;
  }
  const int row = item - kFirstItemId;
  if (row < 0 || row >= static_cast<int>(rows.size())) return;
  const ControlDef& c = rows[row];
  app_.Guard([&] { OnCommand(c.id, code); });
  if (code == BN_CLICKED && c.kind == Kind::Button) {
    if (c.flags & kClosesOk) EndModal(true);
    if (c.flags & kClosesCancel) EndModal(false);
  }
}

bool Window::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) {
  return false;
}

LRESULT Window::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (OnMessage(msg, wParam, lParam, result)) return result;
  switch (msg) {
    case WM_COMMAND:
      Command(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CLOSE:
      // The close box is Cancel.
      EndModal(false);
      return 0;
    case WM_DPICHANGED: {
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      ApplyDpi(HIWORD(wParam));
      return 0;
    }
    default:
      return DefDlgProcW(hwnd_, msg, wParam, lParam);
  }
}

LRESULT CALLBACK Window::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  if (!self) return DefDlgProcW(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  return self->Dispatch(msg, wParam, lParam);
}

}  // namespace setup::win
