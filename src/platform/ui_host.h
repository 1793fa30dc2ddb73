// The user-interface host: modal dialogs and the event loop. The real windows implement it
// with Win32; the line runner with standard input and output; the tests with a script.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qrx {

class UdpSocket;

// Message box styles, with the values the Windows API gives them.
namespace mb {
inline constexpr uint32_t kOk = 0x0;
inline constexpr uint32_t kYesNoCancel = 0x3;
inline constexpr uint32_t kYesNo = 0x4;
// quorix's own button set, never passed to Windows: yes, yes to all, no, cancel (a file
// operation's question where the system's shell has no dialog of its own).
inline constexpr uint32_t kYesAllNoCancel = 0x7;
inline constexpr uint32_t kIconQuestion = 0x20;
inline constexpr uint32_t kIconExclamation = 0x30;
inline constexpr uint32_t kIconInformation = 0x40;
inline constexpr uint32_t kSystemModal = 0x1000;
// What MessageBox returns for the buttons of a yes/no box.
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;
inline constexpr int kIdYesToAll = 0x100;
}  // namespace mb

class UiHost {
 public:
  virtual ~UiHost() = default;

  // Modal message box; returns the button the user chose (1 = OK).
  virtual int MessageBox(std::u16string_view text, std::u16string_view title, uint32_t style) = 0;
  // Modal input box; nothing when the user cancelled.
  virtual std::optional<std::u16string> InputBox(std::u16string_view prompt,
                                                 std::u16string_view title,
                                                 std::u16string_view initial) = 0;
  // Handles pending events (ticks, keys, datagrams) and waits at most `max_wait_ms` for the
  // next one when none is pending. Never spins.
  virtual void PumpEvents(uint32_t max_wait_ms) = 0;
  // Shows an answer in a popup box of its own for `time` seconds (negative: until the next
  // one; -2 only closes a kept box).
  virtual void ShowPopup(std::u16string_view text, int16_t time) = 0;
  // Ends the event loop; the process ends once the running command line has unwound.
  virtual void Quit() = 0;
  // From now on the socket's arriving datagrams and errors reach the main window as events,
  // in turn with the other events (a window message on Windows; the line runner waits for
  // the socket beside its input).
  virtual void WatchSocket(UdpSocket& socket) = 0;
};

}  // namespace qrx
