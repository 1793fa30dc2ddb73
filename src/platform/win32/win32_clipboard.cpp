#include "platform/win32/win32_api.h"

#include <cstring>

#include "platform/win32/scoped_win.h"
#include "platform/win32/win32_platform.h"

namespace qrx {
namespace {

}  // namespace

std::optional<std::u16string> Win32Platform::GetClipboardText() {
  win32::ScopedClipboard lock;
  if (!lock.is_open()) return std::nullopt;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (data == nullptr) return std::nullopt;
  const win32::GlobalLockGuard<const char16_t> block(data);
  if (block.Get() == nullptr) return std::nullopt;
  return std::u16string(block.TextUpToNul());
}

bool Win32Platform::SetClipboardText(std::u16string_view text) {
  win32::ScopedClipboard lock;
  if (!lock.is_open()) return false;
  EmptyClipboard();
  win32::ScopedGlobal mem(GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t)));
  if (!mem) return false;
  {
    const win32::GlobalLockGuard<char16_t> block(mem.Get());
    if (block.Get() == nullptr) return false;
    std::memcpy(block.Get(), text.data(), text.size() * sizeof(char16_t));
    block.Get()[text.size()] = 0;
  }
  if (SetClipboardData(CF_UNICODETEXT, mem.Get()) == nullptr) return false;
  mem.Release();  // the clipboard owns the memory now
  return true;
}

}  // namespace qrx
