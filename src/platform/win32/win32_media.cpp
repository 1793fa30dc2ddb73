// Media control (MCI) command strings on Windows.
#include "platform/win32/win32_api.h"

#include <mmsystem.h>

#include <vector>

#include "platform/win32/win32_ansi.h"
#include "platform/win32/win32_platform.h"

namespace qrx {
namespace {

// The buffers the media control calls are given.
constexpr size_t kMciReplySize = 512;
constexpr size_t kMciErrorSize = 256;

}  // namespace

bool Win32Platform::HasMci() {
  return true;
}

uint32_t Win32Platform::MciSendString(std::u16string_view command, std::u16string& reply) {
  reply.clear();
  const auto text = win32::AnsiZ(*this, command);
  // A NUL would send a shorter, different command.
  if (!text) return MCIERR_UNRECOGNIZED_COMMAND;
  std::vector<char> buffer(kMciReplySize, '\0');
  const MCIERROR code =
      mciSendStringA(text->c_str(), buffer.data(), static_cast<UINT>(buffer.size()), nullptr);
  buffer.back() = '\0';
  reply = FromAnsi(win32::TrimAtNul(std::string_view(buffer.data(), buffer.size())));
  return static_cast<uint32_t>(code);
}

std::optional<std::u16string> Win32Platform::MciErrorString(uint32_t code) {
  std::vector<char> buffer(kMciErrorSize, '\0');
  if (!mciGetErrorStringA(code, buffer.data(), static_cast<UINT>(buffer.size()))) {
    return std::nullopt;
  }
  buffer.back() = '\0';
  return FromAnsi(win32::TrimAtNul(std::string_view(buffer.data(), buffer.size())));
}

}  // namespace qrx
