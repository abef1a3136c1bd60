// Functions of system DLLs looked up at run time, for two reasons. Some exist only on newer
// systems (the DPI functions, SetDefaultDllDirectories), and an import of them would keep the
// program from starting on the others. comctl32 and comdlg32 are not imported at all: the loader
// maps imports before wWinMain restricts the DLL search to System32, and comctl32's process
// attach would then load uxtheme.dll from the program's folder. Loaded by name, comctl32 still
// comes from the common controls v6 assembly the manifest names.
#pragma once

#include <initializer_list>

#include "platform/win32/Text.h"

namespace setup::win {

// A system DLL by name, which stays loaded for the life of the process; nullptr when it is
// missing. Once wWinMain has restricted the search, only System32 is searched.
HMODULE LoadSystemDll(const wchar_t* dll);

// A function of a system DLL; nullptr when the DLL or the function is missing.
FARPROC SystemFunction(const wchar_t* dll, const char* name);
template <class Fn>
Fn SystemProc(const wchar_t* dll, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(SystemFunction(dll, name)));
}

// Wine's system DLLs load some others later by name through the standard search order, which
// ignores the restriction to System32 and looks in the program's folder first (uxtheme
// delay-loads msimg32; ole32 follows the first window). Loaded from System32 before the first
// window, they are found already loaded.
inline void LoadLaterSystemDlls() {
  for (const wchar_t* dll : {L"msimg32.dll", L"ole32.dll"})
    LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace setup::win
