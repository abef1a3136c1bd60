// Loads each DLL named on its command line as a program that never restricts its DLL search
// would. Each must have left no marker before (the program under test loaded none of them) and
// leave one now, so that the planted_dlls scenario knows its planted copies would be found.
// Exits with the number of DLLs that fail either.
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
  wchar_t self[MAX_PATH];
  const std::wstring path(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
  const std::wstring folder = path.substr(0, path.find_last_of(L'\\') + 1);
  int failed = 0;
  for (int i = 1; i < argc; ++i) {
    const std::wstring marker = folder + argv[i] + L".loaded";
    const bool before = GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES;
    LoadLibraryW(argv[i]);
    const bool after = GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (before || !after) {
      std::printf("  %ls: %s\n", argv[i], before ? "loaded before" : "left no marker");
      ++failed;
    }
  }
  return failed;
}
