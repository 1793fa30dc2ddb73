// Text goes to and from the helper as UTF-8. Every run has a deadline, so a helper (or a
// clipboard owner) that hangs cannot hang the program: it is killed and the call fails.
#include "platform/posix/posix_clipboard.h"

#include <cstdlib>
#include <vector>

#include "base/text.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_process.h"

namespace qrx {
namespace posix {
namespace {

constexpr auto kHelperDeadline = std::chrono::seconds(2);
// Far beyond any command line; a larger clipboard is cut at a whole character.
constexpr size_t kMaxTextBytes = size_t{4} << 20;
// A text kept from an earlier read is read again after this long even without a notice,
// in case an owner changes what it offers without taking the clipboard anew.
constexpr auto kKeptAtMost = std::chrono::seconds(5);
// After the listener could not be started, or lost its connection.
constexpr auto kListenRetry = std::chrono::seconds(30);

struct Helper {
  std::vector<std::string> paste;  // argument 0 is the program's full path
  std::vector<std::string> copy;
  bool x11 = false;
};

const char* Defined(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : nullptr;
}

std::optional<Helper> DesktopHelper() {
  if (Defined("WAYLAND_DISPLAY")) {
    const std::string copy = FindExecutableOnPath("wl-copy");
    const std::string paste = FindExecutableOnPath("wl-paste");
    if (!copy.empty() && !paste.empty()) {
      return Helper{{paste, "--no-newline", "--type", "text/plain"},
                    {copy, "--type", "text/plain;charset=utf-8"},
                    false};
    }
  }
  if (Defined("DISPLAY")) {
    if (const std::string xclip = FindExecutableOnPath("xclip"); !xclip.empty()) {
      return Helper{{xclip, "-selection", "clipboard", "-out", "-target", "UTF8_STRING"},
                    {xclip, "-selection", "clipboard", "-in"},
                    true};
    }
    if (const std::string xsel = FindExecutableOnPath("xsel"); !xsel.empty()) {
      return Helper{{xsel, "--clipboard", "--output"}, {xsel, "--clipboard", "--input"}, true};
    }
  }
  return std::nullopt;
}

// Cuts UTF-8 text to at most `limit` bytes without splitting a character.
void CutAtCharacter(std::string& bytes, size_t limit) {
  if (bytes.size() <= limit) return;
  size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80) --cut;
  bytes.resize(cut);
}

std::optional<std::u16string> ReadWithHelper(const Helper& helper) {
  const auto run = RunWithDeadline(helper.paste, nullptr, true, kMaxTextBytes,
                                   std::chrono::steady_clock::now() + kHelperDeadline);
  if (!run) return std::nullopt;
  if (run->overflowed) {
    std::string bytes = run->output;
    CutAtCharacter(bytes, kMaxTextBytes);
    return Utf8ToUtf16(bytes);
  }
  if (!run->ended_well) return std::nullopt;  // an empty clipboard, or no text on it
  return Utf8ToUtf16(run->output);
}

}  // namespace

DesktopClipboard::DesktopClipboard() = default;
DesktopClipboard::~DesktopClipboard() = default;

X11ClipboardChanges* DesktopClipboard::ListenerFor(const char* display) {
  if (listener_ && listener_->Broken()) {
    listener_.reset();
    next_listen_try_ = Clock::now() + kListenRetry;
  }
  if (listener_display_ != display) {
    listener_.reset();
    listener_display_ = display;
    next_listen_try_ = Clock::time_point();
  }
  if (!listener_ && Clock::now() >= next_listen_try_) {
    listener_ = X11ClipboardChanges::Listen(listener_display_);
    if (!listener_) next_listen_try_ = Clock::now() + kListenRetry;
  }
  return listener_.get();
}

std::optional<std::u16string> DesktopClipboard::Text() {
  const std::optional<Helper> helper = DesktopHelper();
  if (!helper) return local_;
  X11ClipboardChanges* listener = helper->x11 ? ListenerFor(Defined("DISPLAY")) : nullptr;
  // The notices are taken before the read, so that a change during the read is seen by the
  // next call.
  const bool changed = listener == nullptr || listener->Changed() || listener->Broken();
  if (!changed && kept_ && kept_->helper == helper->paste[0] &&
      Clock::now() - kept_->read_at < kKeptAtMost) {
    return kept_->text;
  }
  kept_.reset();
  const Clock::time_point read_at = Clock::now();
  std::optional<std::u16string> text = ReadWithHelper(*helper);
  if (listener != nullptr) kept_ = Kept{helper->paste[0], text, read_at};
  return text;
}

bool DesktopClipboard::SetText(std::u16string_view text) {
  kept_.reset();
  const std::optional<Helper> helper = DesktopHelper();
  if (!helper) {
    local_ = std::u16string(text);
    return true;
  }
  const std::string bytes = Utf16ToUtf8(text);
  const auto run = RunWithDeadline(helper->copy, &bytes, false, 0,
                                   std::chrono::steady_clock::now() + kHelperDeadline);
  return run && run->ended_well;
}

}  // namespace posix

std::optional<std::u16string> PosixPlatform::GetClipboardText() {
  return clipboard_.Text();
}

bool PosixPlatform::SetClipboardText(std::u16string_view text) {
  return clipboard_.SetText(text);
}

}  // namespace qrx
