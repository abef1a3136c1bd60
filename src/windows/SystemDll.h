// comctl32 and comdlg32 are loaded by name at run time, not imported: the loader maps imports
// before wWinMain restricts the DLL search to System32, and comctl32's process attach would then
// load uxtheme.dll from the program's folder. Loaded by name, comctl32 still comes from the
// common controls v6 assembly the manifest names.
#pragma once

#include "platform/win32/Text.h"

namespace setup::win {

// A function of a system DLL, which stays loaded for the life of the process; nullptr when the
// DLL or the function is missing.
template <class Fn>
Fn SystemProc(const wchar_t* dll, const char* name) {
  const HMODULE module = LoadLibraryW(dll);
  if (!module) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace setup::win
