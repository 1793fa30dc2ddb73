// The clipboard on POSIX: the desktop's clipboard through its command-line helpers
// (wl-copy and wl-paste under Wayland, xclip or xsel under X), found on PATH; without a
// desktop or a helper, a clipboard inside this process.
//
// Text goes to and from the helper as UTF-8. Every run has a deadline, so a helper (or a
// clipboard owner) that hangs cannot hang the program: it is killed and the call fails.
#include <cstdlib>
#include <vector>

#include "base/text.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_process.h"

namespace qrx {
namespace {

using posix::FindExecutableOnPath;
using posix::RunWithDeadline;

constexpr auto kHelperDeadline = std::chrono::seconds(2);
// Far beyond any command line; a larger clipboard is cut at a whole character.
constexpr size_t kMaxTextBytes = size_t{4} << 20;

struct Helper {
  std::vector<std::string> paste;  // argument 0 is the program's full path
  std::vector<std::string> copy;
};

bool Defined(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

std::optional<Helper> DesktopHelper() {
  if (Defined("WAYLAND_DISPLAY")) {
    const std::string copy = FindExecutableOnPath("wl-copy");
    const std::string paste = FindExecutableOnPath("wl-paste");
    if (!copy.empty() && !paste.empty()) {
      return Helper{{paste, "--no-newline", "--type", "text/plain"},
                    {copy, "--type", "text/plain;charset=utf-8"}};
    }
  }
  if (Defined("DISPLAY")) {
    if (const std::string xclip = FindExecutableOnPath("xclip"); !xclip.empty()) {
      return Helper{{xclip, "-selection", "clipboard", "-out", "-target", "UTF8_STRING"},
                    {xclip, "-selection", "clipboard", "-in"}};
    }
    if (const std::string xsel = FindExecutableOnPath("xsel"); !xsel.empty()) {
      return Helper{{xsel, "--clipboard", "--output"}, {xsel, "--clipboard", "--input"}};
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

std::optional<std::u16string> PosixPlatform::GetClipboardText() {
  const std::optional<Helper> helper = DesktopHelper();
  if (!helper) return local_clipboard_;
  return ReadWithHelper(*helper);
}

bool PosixPlatform::SetClipboardText(std::u16string_view text) {
  const std::optional<Helper> helper = DesktopHelper();
  if (!helper) {
    local_clipboard_ = std::u16string(text);
    return true;
  }
  const std::string bytes = Utf16ToUtf8(text);
  const auto run = RunWithDeadline(helper->copy, &bytes, false, 0,
                                   std::chrono::steady_clock::now() + kHelperDeadline);
  return run && run->ended_well;
}

}  // namespace qrx
