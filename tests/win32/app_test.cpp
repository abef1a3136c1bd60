#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>

#include "windows/App.h"

namespace setup::test {
namespace {

struct SeenBox {
  bool found = false;
  std::wstring title, text;
};

// Reads and answers with OK the first message box a thread shows. The box runs its own modal
// loop on that thread, so only another thread can see it while it is up.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(DWORD thread) : thread_(thread) {
    handle_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
  }
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;
  ~BoxAnswerer() { Wait(); }
  // The box it saw, once it has closed it or given up.
  const SeenBox& Seen() {
    Wait();
    return seen_;
  }

 private:
  void Wait() {
    if (!handle_) return;
    WaitForSingleObject(handle_, INFINITE);
    CloseHandle(handle_);
    handle_ = nullptr;
  }
  static BOOL CALLBACK FindBox(HWND hwnd, LPARAM found) {
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    if (!IsWindowVisible(hwnd) || lstrcmpW(cls, L"#32770") != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
  }
  static BOOL CALLBACK LongestStatic(HWND hwnd, LPARAM text) {
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    wchar_t buffer[512] = {};
    GetWindowTextW(hwnd, buffer, 512);
    auto& longest = *reinterpret_cast<std::wstring*>(text);
    if (lstrcmpiW(cls, L"Static") == 0 && lstrlenW(buffer) > static_cast<int>(longest.size()))
      longest = buffer;
    return TRUE;
  }
  static DWORD WINAPI Run(void* param) {
    auto& self = *static_cast<BoxAnswerer*>(param);
    HWND box = nullptr;
    for (int i = 0; i < 200 && !box; ++i) {
      EnumThreadWindows(self.thread_, FindBox, reinterpret_cast<LPARAM>(&box));
      if (!box) Sleep(50);
    }
    if (!box) return 0;
    wchar_t title[256] = {};
    GetWindowTextW(box, title, 256);
    self.seen_.title = title;
    EnumChildWindows(box, LongestStatic, reinterpret_cast<LPARAM>(&self.seen_.text));
    self.seen_.found = true;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    return 0;
  }

  DWORD thread_;
  HANDLE handle_ = nullptr;
  SeenBox seen_;
};

struct ThrowCase {
  const char* what;
  void (*raise)();
  const wchar_t* shown;
};

const ThrowCase kThrowCases[] = {
    {"the project's error",
     [] { throw Error("Cannot open file \"E:\\a.ini\". Access is denied."); },
     L"Cannot open file \"E:\\a.ini\". Access is denied."},
    {"a standard exception", [] { throw std::runtime_error("vector too long"); },
     L"vector too long"},
    {"out of memory", [] { throw std::bad_alloc(); }, L"Out of memory."},
    {"something that is no exception class", [] { throw 42; }, L"An unexpected error occurred."},
};

TEST(AppGuard, ShowsAnyExceptionInTheErrorBoxAndGoesOn) {
  for (const ThrowCase& c : kThrowCases) {
    SCOPED_TRACE(c.what);
    win::App app("Setup テスト");
    BoxAnswerer answerer(GetCurrentThreadId());
    bool afterThrow = false;
    app.Guard([&] {
      c.raise();
      afterThrow = true;
    });
    const SeenBox& box = answerer.Seen();
    EXPECT_FALSE(afterThrow) << "the handler goes on after its exception";
    ASSERT_TRUE(box.found) << "no message box";
    EXPECT_EQ(box.title, L"Setup テスト");
    EXPECT_EQ(box.text, c.shown);
  }
}

}  // namespace
}  // namespace setup::test
