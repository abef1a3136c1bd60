// The window base: a top-level window and its controls built from a constexpr table laid out
// at 96 DPI and scaled as a whole by the DPI of its monitor; WM_COMMAND goes to the handler
// named in the control's row; one modal run serves every dialog.
#pragma once

#include "platform/win32/App.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "language/SplitML.h"

namespace setup::win {

enum class Kind : std::uint8_t { Label, GroupBox, CheckBox, Radio, Button, DropList, Progress };

enum Flag : unsigned {
  kChecked = 1u << 0,
  kDisabled = 1u << 1,
  kDefault = 1u << 2,       // Enter presses it
  kCancel = 1u << 3,        // Esc presses it
  kClosesOk = 1u << 4,      // ends the modal run with OK after its handler
  kClosesCancel = 1u << 5,  // ends the modal run with Cancel
  kGlyphOk = 1u << 6,
  kGlyphCancel = 1u << 7,
  kTerminalFont = 1u << 8,
};

class Window;
// Receives the control's notification code (BN_CLICKED, STN_DBLCLK, ...).
using Handler = void (*)(Window& window, unsigned code);

struct Rect96 {
  int left, top, width, height;  // width 0: sized to its text
};

struct ControlDef {
  std::string_view name;
  Kind kind;
  int parent;  // row of the group box the rect is relative to, -1 for the client area
  Rect96 rect;
  int tab;  // tab order among siblings, -1 for none
  unsigned flags;
  Handler handler;
  std::string_view caption;
};

enum class Frame { Main, Dialog, Tool };

struct WindowDef {
  const wchar_t* className;
  std::string_view caption;
  Frame frame;
  int clientWidth, clientHeight;  // at 96 DPI
  std::span<const ControlDef> controls;
};

class Window {
 public:
  Window(App& app, const WindowDef& def);
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Creates the window hidden, with its controls, then runs OnCreate.
  void Create(HWND owner);
  HWND Handle() const { return hwnd_; }
  App& app() { return app_; }

  int Row(std::string_view name) const;  // -1 when there is none
  HWND Item(int row) const { return items_[row]; }
  std::string Text(int row) const;
  void SetText(int row, const std::string& text);
  bool Checked(int row) const;
  void SetChecked(int row, bool checked);
  void Enable(int row, bool enabled);
  void SetTitle(const std::string& title);
  CaptionControl& CaptionOf(std::string_view name);

  void SetClientHeight96(int height);
  int Scale(int value) const { return MulDiv(value, dpi_, 96); }
  void CenterOn(HWND other);

  // Shows the window modally over its owner; true for OK. Returns Cancel at once after an end
  // request.
  bool RunModal();
  void EndModal(bool ok);

 protected:
  virtual void OnCreate() {}
  // Messages the derived window handles itself; false passes them on.
  virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
  void Command(int id, unsigned code);
  void CreateControls();
  void ApplyDpi();
  void Layout();
  void FitClient();
  DWORD Style() const;
  DWORD ExStyle() const;

  App& app_;
  const WindowDef& def_;
  HWND hwnd_ = nullptr;
  std::vector<HWND> items_;
  std::vector<std::unique_ptr<CaptionControl>> captions_;
  int dpi_ = 96;
  int clientHeight96_;
  HFONT font_ = nullptr;
  HFONT terminalFont_ = nullptr;
  HICON okGlyph_ = nullptr;
  HICON cancelGlyph_ = nullptr;
  bool modalDone_ = false;
  bool modalOk_ = false;
  bool inModal_ = false;
};

}  // namespace setup::win
