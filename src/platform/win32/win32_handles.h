// Owners for the kernel handles of the Win32 platform: each closes its handle exactly once.
#pragma once

#include "platform/win32/win32_api.h"

namespace qrx::win32 {

// A handle released with `Closer`. Both INVALID_HANDLE_VALUE and null mean "no handle": the
// file and search APIs fail with the first, most others with the second.
template <typename Closer>
class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE h) : h_(h) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  Handle(Handle&& other) noexcept : h_(other.Release()) {}
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) {
      Reset();
      h_ = other.Release();
    }
    return *this;
  }
  ~Handle() { Reset(); }

  HANDLE Get() const { return h_; }
  explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  HANDLE Release() {
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return h;
  }
  void Reset() {
    if (*this) Closer()(h_);
    h_ = INVALID_HANDLE_VALUE;
  }
  // Closes now and tells whether the close succeeded (a late write error shows here).
  bool Close() {
    const bool ok = !*this || Closer()(h_);
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE h_ = INVALID_HANDLE_VALUE;
};

struct CloseKernelHandle {
  bool operator()(HANDLE h) const { return ::CloseHandle(h) != FALSE; }
};
struct CloseFindHandle {
  bool operator()(HANDLE h) const { return ::FindClose(h) != FALSE; }
};

// A file from CreateFile.
using FileHandle = Handle<CloseKernelHandle>;
// A directory search from FindFirstFile.
using FindHandle = Handle<CloseFindHandle>;

}  // namespace qrx::win32
