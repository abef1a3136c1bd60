// Loads each DLL named on its command line as a program that never restricts its DLL search
// would, so that the planted_dlls scenario knows its planted copies would be found and would
// leave their markers.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  int missing = 0;
  for (int i = 1; i < argc; ++i)
    if (!LoadLibraryW(argv[i])) ++missing;
  return missing;
}
