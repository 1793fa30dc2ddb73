// Sounds and the outside answer library on Windows.
#include "platform/win32/win32_api.h"

#include <mmsystem.h>

#include <vector>

#include "platform/win32/win32_platform.h"

namespace qrx {
namespace {

// int __stdcall fncAns(HWND window, char* text, long time)
using AnswerEntry = int32_t(WINAPI*)(HWND, char*, int32_t);

}  // namespace

Win32Platform::~Win32Platform() = default;

void Win32Platform::PlaySound(std::u16string_view name, uint32_t flags) {
  const std::string ansi = ToAnsi(name);
  PlaySoundA(ansi.c_str(), nullptr, flags);
}

void Win32Platform::Beep() {
  MessageBeep(MB_OK);
}

bool Win32Platform::CallAnswerLibrary(std::u16string_view library, intptr_t window,
                                      std::u16string& text, int32_t time) {
  const std::u16string key(library);
  auto it = libraries_.find(key);
  if (it == libraries_.end()) {
    win32::ScopedModule module(LoadLibraryA(ToAnsi(library).c_str()));
    if (!module) return false;
    it = libraries_.emplace(key, std::move(module)).first;
  }
  auto entry = reinterpret_cast<AnswerEntry>(
      reinterpret_cast<void*>(GetProcAddress(it->second.Get(), "fncAns")));
  if (entry == nullptr) return false;
  // The library may rewrite the text in place; room beyond the terminating NUL keeps a
  // careless library from writing past the buffer.
  const std::string ansi = ToAnsi(text);
  std::vector<char> buffer(ansi.begin(), ansi.end());
  buffer.resize(ansi.size() + 1024, '\0');
  entry(reinterpret_cast<HWND>(window), buffer.data(), time);
  buffer.back() = '\0';
  text = FromAnsi(std::string_view(buffer.data()));
  return true;
}

}  // namespace qrx
