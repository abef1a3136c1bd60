// The window base: a top-level window whose controls come from a table (Controls.h), scaled
// as a whole by the DPI of its monitor; WM_COMMAND goes to the window's OnCommand by the
// control's table id, and one modal run (Modal.cpp) serves every dialog.
#pragma once

#include "windows/App.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "windows/Controls.h"

namespace setup::win {

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

  // Creates the window hidden, with its controls, then runs OnCreate. A window or control the
  // system refuses is an Error.
  void Create(HWND owner);
  HWND Handle() const { return hwnd_; }
  App& app() { return app_; }

  // The control of that id (Controls.h); Has tells whether this window has it.
  bool Has(int id) const { return RowOf(def_.controls, id) >= 0; }
  HWND Item(int id) const;
  std::string Text(int id) const;
  void SetText(int id, const std::string& text);
  bool Checked(int id) const;
  void SetChecked(int id, bool checked);
  void Enable(int id, bool enabled);
  void SetTitle(const std::string& title);

  void SetClientHeight96(int height);
  void CenterOn(HWND other);

  // Shows the window modally over its owner; true for OK. Returns Cancel at once after an end
  // request.
  bool RunModal();
  void EndModal(bool ok);

 protected:
  virtual void OnCreate() {}
  // A control's notification (BN_CLICKED, STN_DBLCLK, ...), by its table id; runs guarded.
  virtual void OnCommand(int /*id*/, unsigned /*code*/) {}
  // Messages the derived window handles itself; false passes them on.
  virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
  void Command(int item, unsigned code);
  void Register() const;
  void ApplyDpi(int dpi);
  void FitClient();
  DWORD Style() const;
  DWORD ExStyle() const;

  App& app_;
  const WindowDef& def_;
  HWND hwnd_ = nullptr;
  std::vector<HWND> items_;  // by row
  int dpi_ = 96;
  int clientHeight96_;
  GdiSet gdi_;
  bool modalDone_ = false;
  bool modalOk_ = false;
  bool inModal_ = false;
};

}  // namespace setup::win
