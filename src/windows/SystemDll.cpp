#include "windows/SystemDll.h"

namespace setup::win {

HMODULE LoadSystemDll(const wchar_t* dll) {
  return LoadLibraryW(dll);
}

FARPROC SystemFunction(const wchar_t* dll, const char* name) {
  const HMODULE module = LoadSystemDll(dll);
  return module ? GetProcAddress(module, name) : nullptr;
}

}  // namespace setup::win
