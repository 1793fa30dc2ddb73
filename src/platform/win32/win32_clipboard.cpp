#include "platform/win32/win32_api.h"

#include <cstring>

#include "platform/win32/win32_platform.h"

namespace qrx {
namespace {

// Holds the clipboard open for one operation.
class ClipboardLock {
 public:
  ClipboardLock() {
    // Another program may hold the clipboard for a moment; try a few times.
    for (int i = 0; i < 10 && !open_; ++i) {
      open_ = OpenClipboard(nullptr) != FALSE;
      if (!open_) Sleep(10);
    }
  }
  ~ClipboardLock() {
    if (open_) CloseClipboard();
  }
  ClipboardLock(const ClipboardLock&) = delete;
  ClipboardLock& operator=(const ClipboardLock&) = delete;
  bool is_open() const { return open_; }

 private:
  bool open_ = false;
};

}  // namespace

std::optional<std::u16string> Win32Platform::GetClipboardText() {
  ClipboardLock lock;
  if (!lock.is_open()) return std::nullopt;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (data == nullptr) return std::nullopt;
  const auto* p = static_cast<const char16_t*>(GlobalLock(data));
  if (p == nullptr) return std::nullopt;
  const size_t max = GlobalSize(data) / sizeof(char16_t);
  size_t n = 0;
  while (n < max && p[n] != 0) ++n;
  std::u16string text(p, n);
  GlobalUnlock(data);
  return text;
}

bool Win32Platform::SetClipboardText(std::u16string_view text) {
  ClipboardLock lock;
  if (!lock.is_open()) return false;
  EmptyClipboard();
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t));
  if (mem == nullptr) return false;
  auto* p = static_cast<char16_t*>(GlobalLock(mem));
  if (p == nullptr) {
    GlobalFree(mem);
    return false;
  }
  std::memcpy(p, text.data(), text.size() * sizeof(char16_t));
  p[text.size()] = 0;
  GlobalUnlock(mem);
  if (SetClipboardData(CF_UNICODETEXT, mem) == nullptr) {
    GlobalFree(mem);
    return false;
  }
  return true;  // the clipboard owns the memory now
}

}  // namespace qrx
