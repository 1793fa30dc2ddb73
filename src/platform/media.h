// Sound and media control: wave sounds, the beep and MCI command strings.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qrx {

class Media {
 public:
  virtual ~Media() = default;
  // Plays a wave sound with the Windows PlaySound flags (0 waits until it has played,
  // 1 returns at once, 9 repeats until the next sound).
  virtual void PlaySound(std::u16string_view name, uint32_t flags) = 0;
  // The standard system beep.
  virtual void Beep() = 0;
  // False where the system has no media control interface; the two calls below are then
  // never made.
  virtual bool HasMci() = 0;
  // Sends a command string; `reply` gets the device's return text. 0 or the MCI error number.
  virtual uint32_t MciSendString(std::u16string_view command, std::u16string& reply) = 0;
  // The system's description of an MCI error number; nothing when it has none.
  virtual std::optional<std::u16string> MciErrorString(uint32_t code) = 0;
};

}  // namespace qrx
