// The test program doubles as the child process that the process tests start.
#include <gtest/gtest.h>

#include "Win32TestSupport.h"

int wmain(int argc, wchar_t** argv) {
  int exitCode = 0;
  if (setup::test::RunChildMode(argc, argv, exitCode)) return exitCode;
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
