#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <atomic>

// What a 32-bit program takes for granted from the system it runs on, checked where the Wine
// tests start it: through qemu where the kernel runs no 32-bit code.
namespace setup::test {
namespace {

// Wine tells an access violation by the trap number the system gives with the signal.
TEST(Route, AccessViolationsReachTheirHandlers) {
  EXPECT_TRUE(IsBadReadPtr(reinterpret_cast<void*>(16), 4));
  void* page = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READONLY);
  ASSERT_NE(page, nullptr);
  EXPECT_FALSE(IsBadReadPtr(page, 4));
  EXPECT_TRUE(IsBadWritePtr(page, 4));
  VirtualFree(page, 0, MEM_RELEASE);
}

struct Worker {
  DWORD id = 0;
  std::atomic<long> mismatches{0};
};

std::atomic<bool> stopWorkers{false};
DWORD slot = TLS_OUT_OF_INDEXES;

DWORD WINAPI Work(void* data) {
  auto& worker = *static_cast<Worker*>(data);
  TlsSetValue(slot, &worker);
  while (!stopWorkers) {
    if (GetCurrentThreadId() != worker.id || TlsGetValue(slot) != &worker) ++worker.mismatches;
    SwitchToThread();
  }
  return 0;
}

// Every thread must keep its own TEB and C library state, also after it was interrupted: a
// suspension and a context read each run a signal handler in the thread.
TEST(Route, ThreadsKeepTheirOwnStateThroughInterruptions) {
  slot = TlsAlloc();
  ASSERT_NE(slot, TLS_OUT_OF_INDEXES);
  stopWorkers = false;
  std::array<Worker, 4> workers;
  std::array<HANDLE, 4> threads{};
  for (size_t i = 0; i < threads.size(); ++i) {
    threads[i] = CreateThread(nullptr, 0, Work, &workers[i], CREATE_SUSPENDED, &workers[i].id);
    ASSERT_NE(threads[i], nullptr);
  }
  for (HANDLE thread : threads) ResumeThread(thread);
  for (int round = 0; round < 200; ++round)
    for (HANDLE thread : threads) {
      CONTEXT context{};
      context.ContextFlags = CONTEXT_FULL;
      ASSERT_NE(SuspendThread(thread), static_cast<DWORD>(-1));
      EXPECT_TRUE(GetThreadContext(thread, &context));
      ResumeThread(thread);
    }
  stopWorkers = true;
  EXPECT_EQ(WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, 30000),
            WAIT_OBJECT_0);
  for (size_t i = 0; i < threads.size(); ++i) {
    EXPECT_EQ(workers[i].mismatches, 0) << "thread " << i;
    CloseHandle(threads[i]);
  }
  EXPECT_EQ(GetCurrentThreadId(), GetThreadId(GetCurrentThread()));
  TlsFree(slot);
}

}  // namespace
}  // namespace setup::test
