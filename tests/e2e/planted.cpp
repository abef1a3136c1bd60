// A stand-in for a DLL planted beside Setup.exe: when any process maps it, it leaves
// "<its own file name>.loaded" beside itself, holding the path of the program that loaded it.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t marker[MAX_PATH + 8];
  const DWORD n = GetModuleFileNameW(self, marker, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return TRUE;
  lstrcpyW(marker + n, L".loaded");
  wchar_t program[MAX_PATH];
  const DWORD len = GetModuleFileNameW(nullptr, program, MAX_PATH);
  const HANDLE f = CreateFileW(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_ALWAYS, 0, nullptr);
  if (f != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(f, program, len * sizeof(wchar_t), &written, nullptr);
    WriteFile(f, L"\r\n", 4, &written, nullptr);
    CloseHandle(f);
  }
  return TRUE;
}
