#include <gtest/gtest.h>

#include "Win32TestSupport.h"
#include "install/dosbox.h"
#include "platform/Paths.h"
#include "platform/win32/Win32Platform.h"

namespace setup::test {
namespace {

// Sets an environment variable for one test and puts the old value back.
class EnvGuard {
 public:
  EnvGuard(const wchar_t* name, const std::wstring* value) : name_(name) {
    wchar_t buffer[32768];
    SetLastError(ERROR_SUCCESS);
    const DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
    if (n > 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND) {
      old_.assign(buffer, n);
      had_ = true;
    }
    SetEnvironmentVariableW(name, value ? value->c_str() : nullptr);
  }
  ~EnvGuard() { SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr); }

 private:
  const wchar_t* name_;
  std::wstring old_;
  bool had_ = false;
};

std::string Repeat(const std::string& unit, std::size_t times) {
  std::string s;
  for (std::size_t i = 0; i < times; ++i) s += unit;
  return s;
}

TEST(GetEnv, ReadsValuesOfEveryLengthWhole) {
  Win32Processes processes;
  struct Case {
    std::string value;
  } cases[] = {{"x"},
               {"C:\\windows\\system32\\cmd.exe"},
               {std::string(255, 'a')},
               {std::string(256, 'b')},
               {"C:\\" + std::string(297, 'c') + "\\cmd.exe"},
               {std::string(5000, 'd')},
               {Repeat("日本語", 100)}};
  for (const auto& c : cases) {
    const std::wstring wide = ToWide(c.value);
    EnvGuard guard(L"SETUP_TEST_VALUE", &wide);
    const auto read = processes.GetEnv("SETUP_TEST_VALUE");
    ASSERT_TRUE(read.has_value()) << c.value.size();
    EXPECT_EQ(*read, c.value) << c.value.size();
  }
}

TEST(GetEnv, TellsUnsetFromSet) {
  Win32Processes processes;
  EnvGuard guard(L"SETUP_TEST_UNSET", nullptr);
  EXPECT_FALSE(processes.GetEnv("SETUP_TEST_UNSET").has_value());
  const auto comSpec = processes.GetEnv("ComSpec");
  ASSERT_TRUE(comSpec.has_value());
  EXPECT_NE(LowerAscii(*comSpec).find("cmd.exe"), std::string::npos) << *comSpec;
}

// The child reports what it was given.
struct ChildReport {
  std::string text;
  std::string Field(const std::string& key) const {
    const auto at = text.find(key + "=");
    if (at == std::string::npos) return "?";
    const auto start = at + key.size() + 1;
    return key == "cwd" ? text.substr(start) : text.substr(start, text.find(' ', start) - start);
  }
};

class StartHiddenTest : public testing::Test {
 protected:
  Scratch scratch;
  Win32Processes processes;
};

TEST_F(StartHiddenTest, ChildGetsAHiddenWindowAndTheFolder) {
  const std::string folder = scratch.Path("作業");
  ASSERT_TRUE(CreateDirectoryW(ToWide(folder).c_str(), nullptr));
  const std::string report = scratch.Path("report.txt");
  auto child = processes.StartHidden(QuotedSelf() + " --child-report \"" + report + "\"", folder);
  ASSERT_NE(child, nullptr);
  ASSERT_EQ(child->WaitFor(30000), Process::Wait::Ended);
  const ChildReport r{RawRead(report)};
  EXPECT_EQ(r.Field("flags"), std::to_string(STARTF_USESHOWWINDOW)) << r.text;
  EXPECT_EQ(r.Field("show"), std::to_string(SW_HIDE)) << r.text;
  EXPECT_EQ(LowerAscii(r.Field("cwd")), LowerAscii(folder)) << r.text;
}

TEST_F(StartHiddenTest, WaitTimesOutThenEnds) {
  auto child = processes.StartHidden(QuotedSelf() + " --child-sleep 1500", scratch.Folder());
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->WaitFor(0), Process::Wait::TimedOut);
  EXPECT_EQ(child->WaitFor(30000), Process::Wait::Ended);
  EXPECT_EQ(child->WaitFor(0), Process::Wait::Ended);
}

TEST_F(StartHiddenTest, UnstartableCommandsGiveNull) {
  EXPECT_EQ(processes.StartHidden("\"C:\\no\\such\\program.exe\" /c x", scratch.Folder()), nullptr);
  EXPECT_EQ(processes.StartHidden(QuotedSelf() + " --child-sleep 0", scratch.Path("nofolder")),
            nullptr);
}

class ExecDosCommandTest : public StartHiddenTest {
 protected:
  PumpingUi ui;
};

TEST_F(ExecDosCommandTest, WaitsForTheCommandToFinish) {
  const std::string folder = scratch.Path("出力");
  ASSERT_TRUE(CreateDirectoryW(ToWide(folder).c_str(), nullptr));
  ExecDosCommand(processes, ui, true, folder, "echo hello> out.txt");
  EXPECT_EQ(RawRead(folder + "\\out.txt"), "hello\r\n");
  EXPECT_TRUE(ui.messages.empty());
}

int handled = 0;

LRESULT CALLBACK CountingProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_APP) ++handled;
  return DefWindowProcW(h, m, w, l);
}

// A window message posted before a long command is handled while the launcher waits.
TEST_F(ExecDosCommandTest, PumpsMessagesWhileWaiting) {
  handled = 0;
  WNDCLASSW wc{};
  wc.lpfnWndProc = CountingProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"Win32TestsPump";
  RegisterClassW(&wc);
  const HWND window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                      nullptr, wc.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(PostMessageW(window, WM_APP, 0, 0));
  const std::string marker = scratch.Path("late.txt");
  const ULONGLONG start = GetTickCount64();
  ExecDosCommand(processes, ui, true, scratch.Folder(),
                 QuotedSelf() + " --child-sleep-write 600 \"" + marker + "\"");
  const ULONGLONG waited = GetTickCount64() - start;
  if (GetFileAttributesW(ToWide(marker).c_str()) == INVALID_FILE_ATTRIBUTES) {
    // Tells a command interpreter that did not wait from a child that never ran.
    ULONGLONG late = 0;
    while (late < 10000 && GetFileAttributesW(ToWide(marker).c_str()) == INVALID_FILE_ATTRIBUTES) {
      Sleep(100);
      late += 100;
    }
    ADD_FAILURE() << "the command returned after " << waited << " ms without the marker; "
                  << (late < 10000 ? "the child wrote it " + std::to_string(late) + " ms later"
                                   : std::string("the child never wrote it"));
    return;
  }
  EXPECT_EQ(RawRead(marker), "done");
  EXPECT_GE(ui.pumps, 3);
  EXPECT_EQ(handled, 1);
  DestroyWindow(window);
}

}  // namespace
}  // namespace setup::test
