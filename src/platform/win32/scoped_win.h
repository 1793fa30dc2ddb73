// Owners for every kind of Windows resource quorix holds: kernel handles, directory
// searches, GDI objects and their selection into a device context, icons, loaded libraries,
// global memory, device contexts (a window's, a memory one, a paint's), COM (its
// initialisation and interface pointers) and OLE, Winsock and sockets, and the clipboard.
// Each releases what it owns exactly once, with the call that kind needs; no resource is
// released by hand anywhere else.
#pragma once

#include "platform/win32/win32_api.h"
// (the API header first, so that its macros are gone before anything else is read)

#include <bcrypt.h>
#include <ole2.h>
#include <winsock2.h>

#include <string_view>
#include <type_traits>
#include <utility>

namespace qrx::win32 {

// A resource of type `Traits::Type`, released with `Traits::Release`, which tells whether
// the release succeeded. `Traits::IsValid` tells a resource from "none".
template <typename Traits>
class Scoped {
 public:
  using Type = typename Traits::Type;

  Scoped() = default;
  explicit Scoped(Type h) : h_(h) {}
  Scoped(const Scoped&) = delete;
  Scoped& operator=(const Scoped&) = delete;
  Scoped(Scoped&& other) noexcept : h_(other.Release()) {}
  Scoped& operator=(Scoped&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ~Scoped() { Reset(); }

  Type Get() const { return h_; }
  explicit operator bool() const { return Traits::IsValid(h_); }
  // Gives the resource up without releasing it (someone else owns it now).
  Type Release() { return std::exchange(h_, Traits::None()); }
  void Reset(Type h = Traits::None()) {
    if (Traits::IsValid(h_)) Traits::Release(h_);
    h_ = h;
  }
  // Releases now and tells whether that succeeded (a late write error shows here).
  bool Close() {
    const bool ok = !Traits::IsValid(h_) || Traits::Release(h_);
    h_ = Traits::None();
    return ok;
  }

 private:
  Type h_ = Traits::None();
};

// Kinds whose "none" is null.
template <typename T, auto kRelease>
struct NullIsNone {
  using Type = T;
  static constexpr T None() { return nullptr; }
  static bool IsValid(T h) { return h != nullptr; }
  static bool Release(T h) { return kRelease(h) != FALSE; }
};

// Kernel handles: the file and search APIs fail with INVALID_HANDLE_VALUE, most others with
// null; both mean "none".
template <auto kRelease>
struct KernelHandleTraits {
  using Type = HANDLE;
  static Type None() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Type h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static bool Release(Type h) { return kRelease(h) != FALSE; }
};

inline BOOL CloseKernelHandle(HANDLE h) {
  return ::CloseHandle(h);
}
inline BOOL CloseFindHandle(HANDLE h) {
  return ::FindClose(h);
}
inline BOOL DeleteGdiObject(HGDIOBJ h) {
  return ::DeleteObject(h);
}
inline BOOL DeleteMemoryDc(HDC h) {
  return ::DeleteDC(h);
}
inline BOOL DestroyIconHandle(HICON h) {
  return ::DestroyIcon(h);
}
inline BOOL FreeLibraryHandle(HMODULE h) {
  return ::FreeLibrary(h);
}
// GlobalFree gives null when it succeeded.
inline BOOL FreeGlobal(HGLOBAL h) {
  return ::GlobalFree(h) == nullptr;
}

inline BOOL CloseRegistryKey(HKEY h) {
  return ::RegCloseKey(h) == ERROR_SUCCESS;
}

// CNG objects; a status that is not negative is a success.
inline BOOL CloseAlgorithm(BCRYPT_ALG_HANDLE h) {
  return ::BCryptCloseAlgorithmProvider(h, 0) >= 0;
}
inline BOOL DestroyHash(BCRYPT_HASH_HANDLE h) {
  return ::BCryptDestroyHash(h) >= 0;
}
// LocalFree gives null when it succeeded.
inline BOOL FreeLocal(HLOCAL h) {
  return ::LocalFree(h) == nullptr;
}

// A file, process, token or other kernel object (CreateFile, OpenProcessToken, ...).
using ScopedHandle = Scoped<KernelHandleTraits<CloseKernelHandle>>;
// A directory search (FindFirstFile).
using ScopedFindHandle = Scoped<KernelHandleTraits<CloseFindHandle>>;
// GDI objects made by this program.
template <typename T>
using ScopedGdiObject = Scoped<NullIsNone<T, DeleteGdiObject>>;
using ScopedFont = ScopedGdiObject<HFONT>;
using ScopedBitmap = ScopedGdiObject<HBITMAP>;
using ScopedBrush = ScopedGdiObject<HBRUSH>;
// A memory device context (CreateCompatibleDC).
using ScopedMemoryDc = Scoped<NullIsNone<HDC, DeleteMemoryDc>>;
using ScopedIcon = Scoped<NullIsNone<HICON, DestroyIconHandle>>;
// A library loaded with LoadLibrary.
using ScopedModule = Scoped<NullIsNone<HMODULE, FreeLibraryHandle>>;
// A CNG algorithm provider and a hash object made with it.
using ScopedAlgorithm = Scoped<NullIsNone<BCRYPT_ALG_HANDLE, CloseAlgorithm>>;
using ScopedHash = Scoped<NullIsNone<BCRYPT_HASH_HANDLE, DestroyHash>>;
// Memory the system allocated with LocalAlloc for the caller (SID texts, descriptors).
using ScopedLocal = Scoped<NullIsNone<HLOCAL, FreeLocal>>;
// Global memory from GlobalAlloc; Release() when the clipboard takes it over.
using ScopedGlobal = Scoped<NullIsNone<HGLOBAL, FreeGlobal>>;
// An opened registry key (RegOpenKeyEx).
using ScopedRegistryKey = Scoped<NullIsNone<HKEY, CloseRegistryKey>>;

// A Winsock socket; INVALID_SOCKET is "none".
struct SocketTraits {
  using Type = SOCKET;
  static Type None() { return INVALID_SOCKET; }
  static bool IsValid(Type s) { return s != INVALID_SOCKET; }
  static bool Release(Type s) { return ::closesocket(s) == 0; }
};
using ScopedSocket = Scoped<SocketTraits>;

// Global memory locked for as long as it is read or written.
template <typename T>
class GlobalLockGuard {
 public:
  explicit GlobalLockGuard(HGLOBAL mem) : mem_(mem), data_(static_cast<T*>(::GlobalLock(mem))) {}
  ~GlobalLockGuard() {
    if (data_ != nullptr) ::GlobalUnlock(mem_);
  }
  GlobalLockGuard(const GlobalLockGuard&) = delete;
  GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
  T* Get() const { return data_; }
  // The block's size in whole T (0 when it could not be locked).
  size_t Count() const { return data_ != nullptr ? ::GlobalSize(mem_) / sizeof(T) : 0; }
  // For text formats: the text up to its first NUL, or to the end of the block.
  std::basic_string_view<std::remove_const_t<T>> TextUpToNul() const {
    const size_t max = Count();
    size_t n = 0;
    while (n < max && data_[n] != 0) ++n;
    return {data_, n};
  }

 private:
  HGLOBAL mem_;
  T* data_;
};

// A window's device context (the screen's for no window) for as long as it is needed.
class ScopedWindowDc {
 public:
  explicit ScopedWindowDc(HWND window = nullptr) : window_(window), dc_(::GetDC(window)) {}
  ~ScopedWindowDc() {
    if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
  }
  ScopedWindowDc(const ScopedWindowDc&) = delete;
  ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// A GDI object selected into a device context until the end of the scope, when the one it
// replaced is selected again.
class ScopedSelection {
 public:
  ScopedSelection(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
  ~ScopedSelection() {
    if (old_ != nullptr && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
  }
  ScopedSelection(const ScopedSelection&) = delete;
  ScopedSelection& operator=(const ScopedSelection&) = delete;
  bool ok() const { return old_ != nullptr && old_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// Painting a window in answer to WM_PAINT: BeginPaint to EndPaint.
class ScopedPaint {
 public:
  explicit ScopedPaint(HWND window) : window_(window), dc_(::BeginPaint(window, &ps_)) {}
  ~ScopedPaint() {
    if (dc_ != nullptr) ::EndPaint(window_, &ps_);
  }
  ScopedPaint(const ScopedPaint&) = delete;
  ScopedPaint& operator=(const ScopedPaint&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// COM for this thread (single-threaded apartment) for as long as it is needed.
class ScopedComInit {
 public:
  ScopedComInit() : ok_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ScopedComInit() {
    if (ok_) ::CoUninitialize();
  }
  ScopedComInit(const ScopedComInit&) = delete;
  ScopedComInit& operator=(const ScopedComInit&) = delete;

 private:
  bool ok_;
};

// A COM interface pointer this program holds one reference of.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() {
    if (p_ != nullptr) p_->Release();
  }
  T* operator->() const { return p_; }
  T* Get() const { return p_; }
  T** Put() { return &p_; }
  void** PutVoid() { return reinterpret_cast<void**>(&p_); }

 private:
  T* p_ = nullptr;
};

// Winsock is usable while one of these lives (the library counts its users).
class ScopedWinsock {
 public:
  ScopedWinsock() {
    WSADATA data;
    started_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }
  ~ScopedWinsock() {
    if (started_) ::WSACleanup();
  }
  ScopedWinsock(const ScopedWinsock&) = delete;
  ScopedWinsock& operator=(const ScopedWinsock&) = delete;

 private:
  bool started_ = false;
};

// Holds the clipboard open for one operation.
class ScopedClipboard {
 public:
  ScopedClipboard() {
    // Another program may hold the clipboard for a moment; try a few times.
    for (int i = 0; i < 10 && !open_; ++i) {
      open_ = ::OpenClipboard(nullptr) != FALSE;
      if (!open_) ::Sleep(10);
    }
  }
  ~ScopedClipboard() {
    if (open_) ::CloseClipboard();
  }
  ScopedClipboard(const ScopedClipboard&) = delete;
  ScopedClipboard& operator=(const ScopedClipboard&) = delete;
  bool is_open() const { return open_; }

 private:
  bool open_ = false;
};

// OLE for this thread (drag and drop needs it), from start to end of the program.
class ScopedOle {
 public:
  ScopedOle() : ok_(SUCCEEDED(::OleInitialize(nullptr))) {}
  ~ScopedOle() {
    if (ok_) ::OleUninitialize();
  }
  ScopedOle(const ScopedOle&) = delete;
  ScopedOle& operator=(const ScopedOle&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_;
};

}  // namespace qrx::win32
