// One owner for every Win32 handle: closed exactly once, by the function that belongs to its
// kind, when the owner goes; Close() closes early so that a failing close can be reported.
#pragma once

#include "platform/win32/Text.h"

namespace setup {

// Kind: Type, Invalid() and Close(Type) of one kind of handle.
template <class Kind>
class Scoped {
 public:
  using T = typename Kind::Type;
  Scoped() = default;
  explicit Scoped(T handle) : handle_(handle) {}
  Scoped(const Scoped&) = delete;
  Scoped& operator=(const Scoped&) = delete;
  Scoped(Scoped&& other) noexcept : handle_(other.Release()) {}
  Scoped& operator=(Scoped&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ~Scoped() { Reset(); }

  bool valid() const { return handle_ != Kind::Invalid(); }
  T get() const { return handle_; }
  T Release() {
    const T h = handle_;
    handle_ = Kind::Invalid();
    return h;
  }
  void Reset(T handle = Kind::Invalid()) {
    if (valid()) Kind::Close(handle_);
    handle_ = handle;
  }
  // False when the close failed.
  bool Close() { return !valid() || Kind::Close(Release()) != FALSE; }

 private:
  T handle_ = Kind::Invalid();
};

// Files answer INVALID_HANDLE_VALUE when they cannot be opened, processes and threads null.
struct FileHandleKind {
  using Type = HANDLE;
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static BOOL Close(HANDLE h) { return CloseHandle(h); }
};
struct HandleKind {
  using Type = HANDLE;
  static HANDLE Invalid() { return nullptr; }
  static BOOL Close(HANDLE h) { return CloseHandle(h); }
};
using ScopedFile = Scoped<FileHandleKind>;
using ScopedHandle = Scoped<HandleKind>;

}  // namespace setup
