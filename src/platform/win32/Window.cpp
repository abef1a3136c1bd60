#include "platform/win32/Window.h"

#include <commctrl.h>

#include <algorithm>
#include <numeric>

#include "platform/win32/Text.h"

namespace setup::win {

namespace {

constexpr int kFirstId = 100;

// Both exist from Windows 10 1607 on; older systems fall back to the system-wide DPI.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

template <class Fn>
Fn User32(const char* name) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

int SystemDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

int DpiOf(HWND hwnd) {
  static const auto getDpi = User32<GetDpiForWindowFn>("GetDpiForWindow");
  const int dpi = getDpi ? static_cast<int>(getDpi(hwnd)) : 0;
  return dpi > 0 ? dpi : SystemDpi();
}

void AdjustRect(RECT& rc, DWORD style, DWORD exStyle, int dpi) {
  static const auto adjust = User32<AdjustForDpiFn>("AdjustWindowRectExForDpi");
  if (!adjust || !adjust(&rc, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
    AdjustWindowRectEx(&rc, style, FALSE, exStyle);
  }
}

HFONT MakeFont(int pixels, const wchar_t* face, BYTE pitch) {
  return CreateFontW(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, pitch, face);
}

// The buttons' glyphs are drawn here rather than shipped: a green tick for OK, a red cross
// for Cancel, on a transparent background.
HICON MakeGlyph(bool ok, int size) {
  const HDC screen = GetDC(nullptr);
  const HDC dc = CreateCompatibleDC(screen);
  const HBITMAP color = CreateCompatibleBitmap(screen, size, size);
  const HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
  const auto at = [size](double f) { return static_cast<int>(f * (size - 1) + 0.5); };
  const POINT tick[] = {{at(0.12), at(0.55)}, {at(0.40), at(0.82)}, {at(0.88), at(0.18)}};
  const POINT cross[] = {
      {at(0.2), at(0.2)}, {at(0.8), at(0.8)}, {at(0.8), at(0.2)}, {at(0.2), at(0.8)}};
  const auto draw = [&](COLORREF ink) {
    LOGBRUSH brush{BS_SOLID, ink, 0};
    const HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND,
                                  std::max(2, size / 6), &brush, 0, nullptr);
    const HGDIOBJ old = SelectObject(dc, pen);
    if (ok) {
      Polyline(dc, tick, 3);
    } else {
      Polyline(dc, cross, 2);
      Polyline(dc, cross + 2, 2);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
  };
  HGDIOBJ old = SelectObject(dc, mask);
  PatBlt(dc, 0, 0, size, size, WHITENESS);
  draw(RGB(0, 0, 0));
  SelectObject(dc, color);
  PatBlt(dc, 0, 0, size, size, BLACKNESS);
  draw(ok ? RGB(0, 140, 0) : RGB(200, 0, 0));
  SelectObject(dc, old);
  ICONINFO info{TRUE, 0, 0, mask, color};
  const HICON icon = CreateIconIndirect(&info);
  DeleteObject(mask);
  DeleteObject(color);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return icon;
}

class ControlCaption : public CaptionControl {
 public:
  ControlCaption(Window& window, int row) : window_(window), row_(row) {}
  std::string GetCaption() const override { return window_.Text(row_); }
  void SetCaption(const std::string& caption) override { window_.SetText(row_, caption); }

 private:
  Window& window_;
  int row_;
};

}  // namespace

Window::Window(App& app, const WindowDef& def)
    : app_(app), def_(def), clientHeight96_(def.clientHeight) {
  for (int row = 0; row < static_cast<int>(def.controls.size()); ++row) {
    captions_.push_back(std::make_unique<ControlCaption>(*this, row));
  }
}

Window::~Window() {
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
  for (HGDIOBJ object : {static_cast<HGDIOBJ>(font_), static_cast<HGDIOBJ>(terminalFont_)}) {
    if (object) DeleteObject(object);
  }
  if (okGlyph_) DestroyIcon(okGlyph_);
  if (cancelGlyph_) DestroyIcon(cancelGlyph_);
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

void Window::Create(HWND owner) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  if (!GetClassInfoExW(instance, def_.className, &wc)) {
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Window::Proc;
    // The dialog manager's extra bytes let DefDlgProc give Enter, Esc, Tab and focus handling.
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = def_.className;
    RegisterClassExW(&wc);
  }
  dpi_ = SystemDpi();
  RECT rc{0, 0, Scale(def_.clientWidth), Scale(clientHeight96_)};
  AdjustRect(rc, Style(), ExStyle(), dpi_);
  const bool main = def_.frame == Frame::Main;
  CreateWindowExW(ExStyle(), def_.className, ToWide(std::string(def_.caption)).c_str(), Style(),
                  main ? CW_USEDEFAULT : 0, main ? CW_USEDEFAULT : 0, rc.right - rc.left,
                  rc.bottom - rc.top, owner, nullptr, instance, this);
  dpi_ = DpiOf(hwnd_);
  ApplyDpi();
  CreateControls();
  Layout();
  FitClient();
  for (int row = 0; row < static_cast<int>(def_.controls.size()); ++row) {
    if (def_.controls[row].flags & kDefault) SendMessageW(hwnd_, DM_SETDEFID, kFirstId + row, 0);
  }
  OnCreate();
}

void Window::CreateControls() {
  const auto& rows = def_.controls;
  // Creation order is tab order: a group box's members follow it in their own tab order.
  const auto key = [&](int row) {
    const ControlDef& c = rows[row];
    return c.parent < 0 ? std::pair(c.tab, -1) : std::pair(rows[c.parent].tab, c.tab);
  };
  std::vector<int> order(rows.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return key(a) < key(b); });

  items_.assign(rows.size(), nullptr);
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  Kind previous = Kind::Label;
  for (const int row : order) {
    const ControlDef& c = rows[row];
    const wchar_t* cls = L"BUTTON";
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    switch (c.kind) {
      case Kind::Label:
        cls = L"STATIC";
        style |= SS_LEFT | SS_NOPREFIX | (c.handler ? SS_NOTIFY : 0);
        break;
      case Kind::GroupBox:
        style |= BS_GROUPBOX;
        break;
      case Kind::CheckBox:
        style |= BS_AUTOCHECKBOX | WS_TABSTOP;
        break;
      case Kind::Radio:
        style |= BS_AUTORADIOBUTTON | WS_TABSTOP;
        break;
      case Kind::Button:
        style |= ((c.flags & kDefault) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP;
        break;
      case Kind::DropList:
        cls = L"COMBOBOX";
        style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
        break;
      case Kind::Progress:
        cls = PROGRESS_CLASSW;
        break;
    }
    // A run of radio buttons is one group; every other control starts a group of its own.
    if (!(c.kind == Kind::Radio && previous == Kind::Radio)) style |= WS_GROUP;
    if (c.flags & kDisabled) style |= WS_DISABLED;
    previous = c.kind;
    items_[row] =
        CreateWindowExW(0, cls, ToWide(std::string(c.caption)).c_str(), style, 0, 0, 0, 0, hwnd_,
                        reinterpret_cast<HMENU>(INT_PTR{kFirstId + row}), instance, nullptr);
    if (c.flags & kChecked) SendMessageW(items_[row], BM_SETCHECK, BST_CHECKED, 0);
  }
  // Group boxes go to the bottom so that their members, clipping their siblings, stay visible.
  for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
    if (rows[row].kind == Kind::GroupBox) {
      SetWindowPos(items_[row], HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
}

void Window::ApplyDpi() {
  if (font_) DeleteObject(font_);
  if (terminalFont_) DeleteObject(terminalFont_);
  if (okGlyph_) DestroyIcon(okGlyph_);
  if (cancelGlyph_) DestroyIcon(cancelGlyph_);
  font_ = MakeFont(Scale(12), L"ＭＳ Ｐゴシック", DEFAULT_PITCH | FF_DONTCARE);
  terminalFont_ = MakeFont(Scale(13), L"Terminal", FIXED_PITCH | FF_MODERN);
  okGlyph_ = MakeGlyph(true, Scale(14));
  cancelGlyph_ = MakeGlyph(false, Scale(14));
}

void Window::Layout() {
  const auto& rows = def_.controls;
  for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
    const ControlDef& c = rows[row];
    const HWND item = items_[row];
    SendMessageW(item, WM_SETFONT,
                 reinterpret_cast<WPARAM>((c.flags & kTerminalFont) ? terminalFont_ : font_),
                 FALSE);
    int left = c.rect.left, top = c.rect.top;
    if (c.parent >= 0) {
      left += rows[c.parent].rect.left;
      top += rows[c.parent].rect.top;
    }
    int height = Scale(c.rect.height);
    if (c.kind == Kind::DropList) {
      // The closed field is as high as the table says; the rest is the drop-down part.
      SendMessageW(item, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height - 6);
      height += Scale(160);
    }
    MoveWindow(item, Scale(left), Scale(top), Scale(c.rect.width), height, FALSE);
    if (c.rect.width == 0) SetText(row, Text(row));
    if (c.flags & (kGlyphOk | kGlyphCancel)) {
      SendMessageW(item, BM_SETIMAGE, IMAGE_ICON,
                   reinterpret_cast<LPARAM>((c.flags & kGlyphOk) ? okGlyph_ : cancelGlyph_));
    }
  }
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void Window::FitClient() {
  RECT rc{0, 0, Scale(def_.clientWidth), Scale(clientHeight96_)};
  AdjustRect(rc, Style(), ExStyle(), dpi_);
  SetWindowPos(hwnd_, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Window::SetClientHeight96(int height) {
  clientHeight96_ = height;
  FitClient();
}

int Window::Row(std::string_view name) const {
  const auto& rows = def_.controls;
  for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
    if (rows[row].name == name) return row;
  }
  return -1;
}

std::string Window::Text(int row) const {
  const HWND item = items_[row];
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(item, text.data(), text.size())));
  return ToUtf8(text);
}

void Window::SetText(int row, const std::string& text) {
  const HWND item = items_[row];
  const std::wstring wide = ToWide(text);
  SetWindowTextW(item, wide.c_str());
  if (def_.controls[row].rect.width != 0) return;
  // Labels size themselves to their text.
  const HDC dc = GetDC(item);
  const HGDIOBJ old = SelectObject(dc, font_);
  SIZE size{};
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  if (size.cy == 0) {
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    size.cy = tm.tmHeight;
  }
  SelectObject(dc, old);
  ReleaseDC(item, dc);
  SetWindowPos(item, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(item, nullptr, TRUE);
}

bool Window::Checked(int row) const {
  return SendMessageW(items_[row], BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Window::SetChecked(int row, bool checked) {
  SendMessageW(items_[row], BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Window::Enable(int row, bool enabled) {
  EnableWindow(items_[row], enabled);
}

void Window::SetTitle(const std::string& title) {
  SetWindowTextW(hwnd_, ToWide(title).c_str());
}

CaptionControl& Window::CaptionOf(std::string_view name) {
  const int row = Row(name);
  if (row < 0) throw Error("FatalError: no control " + std::string(name));
  return *captions_[row];
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

void Window::Command(int id, unsigned code) {
  const auto& rows = def_.controls;
  if (id == IDOK || id == IDCANCEL) {
    // Enter without a default button, and Esc, from the dialog manager.
    const unsigned role = id == IDOK ? kDefault : kCancel;
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
      if (rows[row].flags & role) {
        if (IsWindowEnabled(items_[row])) Command(kFirstId + row, BN_CLICKED);
        return;
      }
    }
    // A dialog without a Cancel button still closes on Esc, as with its close box.
    if (id == IDCANCEL && inModal_) EndModal(false);
    return;
  }
  const int row = id - kFirstId;
  if (row < 0 || row >= static_cast<int>(rows.size())) return;
  const ControlDef& c = rows[row];
  if (c.handler) app_.Guard([&] { c.handler(*this, code); });
  if (code == BN_CLICKED && (c.kind == Kind::Button)) {
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
      dpi_ = HIWORD(wParam);
      ApplyDpi();
      Layout();
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      FitClient();
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
