// The program entry: the DLL search restricted, the common controls, the application object,
// the windows and the message loop.
// Text.h brings <windows.h> and takes back its DeleteFile macro before Platform.h is seen.
#include "platform/win32/Text.h"

#include <commctrl.h>

#include <cstdlib>

#include "platform/win32/Win32Platform.h"
#include "windows/App.h"
#include "windows/SetupWindows.h"
#include "windows/SystemDll.h"

// The library's default terminate handler prints the demangled type of the exception to a
// console that a GUI program does not have; its demangler alone is a sixth of the program.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
  std::abort();
}
}  // namespace __gnu_cxx

namespace {

// Keeps a DLL planted beside the executable (a Downloads folder) out of every later load.
void LoadDllsFromSystemOnly() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  if (const auto set = setup::win::SystemProc<SetDefaultDllDirectoriesFn>(
          L"kernel32.dll", "SetDefaultDllDirectories"))
    set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

void RunProgram(setup::win::App& app) {
  using namespace setup;
  Win32FileSystem fs;
  Win32Profile profile;
  Win32Volumes volumes;
  Win32Processes processes;
  Win32Module module;
  win::SetupWindows windows(app, Services{fs, profile, volumes, processes, module, app});
  windows.Create();
  app.Run(windows.MainWindow());
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  LoadDllsFromSystemOnly();
  setup::win::LoadLaterSystemDlls();
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                      ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
  if (const auto init = setup::win::SystemProc<decltype(&InitCommonControlsEx)>(
          L"comctl32.dll", "InitCommonControlsEx"))
    init(&controls);
  setup::win::App app(setup::kAppTitle);
  // Whatever happens while the windows are made, the program ends with code 0.
  app.Guard([&] { RunProgram(app); });
  return 0;
}
