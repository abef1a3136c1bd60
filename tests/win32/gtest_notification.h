// GoogleTest builds its Notification on std::mutex, which the win32 thread model of mingw lacks.
// GoogleTest only uses it to start threads of its own, which these tests never ask for.
#pragma once

#ifdef __cplusplus
#include <atomic>

namespace testing::internal {

class Notification {
 public:
  Notification() = default;
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;
  void Notify() { notified_.store(true); }
  void WaitForNotification() {
    while (!notified_.load()) {
    }
  }

 private:
  std::atomic<bool> notified_{false};
};

}  // namespace testing::internal
#endif
