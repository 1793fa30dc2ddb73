// The clipboard on POSIX: the desktop's clipboard through its command-line helpers
// (wl-copy and wl-paste under Wayland, xclip or xsel under X), found on PATH; without a
// desktop or a helper, a clipboard inside this process.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/posix/x11_clipboard_changes.h"

namespace qrx::posix {

class DesktopClipboard {
 public:
  DesktopClipboard();
  ~DesktopClipboard();
  DesktopClipboard(const DesktopClipboard&) = delete;
  DesktopClipboard& operator=(const DesktopClipboard&) = delete;

  // The clipboard's text; nothing when it holds none (or the helper failed).
  std::optional<std::u16string> Text();
  // Replaces the clipboard's content; false when the helper failed.
  bool SetText(std::u16string_view text);

 private:
  using Clock = std::chrono::steady_clock;

  // Under X the text last read is kept while the listener reports no change, so that a
  // clipboard read many times a second (the clipboard watch) starts no helper while nothing
  // happens.
  struct Kept {
    std::string helper;  // the program that read it
    std::optional<std::u16string> text;
    Clock::time_point read_at;
  };

  X11ClipboardChanges* ListenerFor(const char* display);

  std::optional<std::u16string> local_;  // used when the desktop offers no clipboard
  std::optional<Kept> kept_;
  std::unique_ptr<X11ClipboardChanges> listener_;
  std::string listener_display_;       // the display the listener watches (or failed on)
  Clock::time_point next_listen_try_;  // after a failed attempt, when to try again
};

}  // namespace qrx::posix
