#include <vector>

#include "platform/win32/Win32Platform.h"

namespace setup {

Process::Wait Win32Process::WaitFor(unsigned milliseconds) {
  switch (WaitForSingleObject(process_.get(), milliseconds)) {
    case WAIT_OBJECT_0:
      return Wait::Ended;
    case WAIT_TIMEOUT:
      return Wait::TimedOut;
    default:
      return Wait::Failed;
  }
}

std::optional<std::string> Win32Processes::GetEnv(const std::string& name) {
  const std::wstring wideName = ToWide(name);
  std::wstring value(256, L'\0');
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD n =
        GetEnvironmentVariableW(wideName.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (n == 0)
      return GetLastError() == ERROR_ENVVAR_NOT_FOUND ? std::nullopt
                                                      : std::optional<std::string>("");
    // A value that does not fit reports the size it needs, terminator included; it may grow
    // again before the next read, hence the loop.
    if (n < value.size()) {
      value.resize(n);
      return ToUtf8(value);
    }
    value.assign(n, L'\0');
  }
}

std::unique_ptr<Process> Win32Processes::StartHidden(const std::string& commandLine,
                                                     const std::string& folder) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  GetStartupInfoW(&si);
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  // CreateProcessW may write into the command line, so it gets a copy of its own.
  const std::wstring wide = ToWide(commandLine);
  std::vector<wchar_t> line(wide.begin(), wide.end());
  line.push_back(L'\0');
  const std::wstring wideFolder = ToWide(folder);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE,
                      nullptr, wideFolder.empty() ? nullptr : wideFolder.c_str(), &si, &pi))
    return nullptr;
  return std::make_unique<Win32Process>(pi);
}

}  // namespace setup
