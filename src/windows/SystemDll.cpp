#include "windows/SystemDll.h"

namespace setup::win {

HMODULE LoadSystemDll(const wchar_t* dll) {
  return LoadLibraryW(dll);
}

FARPROC SystemFunction(const wchar_t* dll, const char* name) {
  const HMODULE module = LoadSystemDll(dll);
  return module ? GetProcAddress(module, name) : nullptr;
}

void LoadDllsFromSystemOnly() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  if (const auto setSearch =
          SystemProc<SetDefaultDllDirectoriesFn>(L"kernel32.dll", "SetDefaultDllDirectories"))
    setSearch(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace setup::win
