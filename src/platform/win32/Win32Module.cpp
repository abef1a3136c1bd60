#include "platform/win32/Win32Platform.h"

namespace setup {

std::string Win32Module::ExePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) throw Error("Cannot find the program's own path. " + SystemReason(GetLastError()));
    // A full buffer means the path may have been cut short.
    if (n < path.size()) {
      path.resize(n);
      return ToUtf8(path);
    }
    path.resize(path.size() * 2);
  }
}

ByteView Win32Module::Resource(const std::string& name) {
  const auto fail = [&name] {
    return Error("Cannot load resource \"" + name + "\". " + SystemReason(GetLastError()));
  };
  const HRSRC info = FindResourceW(nullptr, ToWide(name).c_str(), RT_RCDATA);
  if (!info) throw fail();
  const HGLOBAL loaded = LoadResource(nullptr, info);
  if (!loaded) throw fail();
  const void* bytes = LockResource(loaded);
  if (!bytes) throw fail();
  return ByteView(static_cast<const std::uint8_t*>(bytes), SizeofResource(nullptr, info));
}

}  // namespace setup
