// The desktop on POSIX: wallpaper and screen saver through the desktop's own settings
// (gsettings on GNOME-family desktops, xset on plain X11), the file manager's properties
// sheet over D-Bus, and media control, which Linux does not have.
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "platform/posix/posix_file_ops.h"
#include "platform/posix/posix_fs.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_process.h"

namespace qrx {
namespace {

// What MCI answers for a device whose driver cannot be loaded: on Linux there is none.
constexpr uint32_t kMciCannotLoadDriver = 266;
// Desktop tools answer at once or not at all; no command waits longer for them.
constexpr int kToolTimeoutMs = 5000;

struct ToolRun {
  int status = -1;     // exit status; -1 when it did not end normally in time
  std::string output;  // its standard output
};

// Runs a desktop tool (argument 0: a path found on PATH) with its standard output read, input
// and errors on /dev/null, for at most kToolTimeoutMs; a tool that takes longer is ended.
// Nothing when it could not be started.
std::optional<ToolRun> RunTool(std::vector<std::string> argv) {
  int error = 0;
  std::optional<posix::Child> child =
      posix::Child::Start({.argv = std::move(argv), .output = true}, &error);
  if (!child) return std::nullopt;
  posix::UniqueFd& out = child->output();
  // The tool's exit ends the wait, not the end of its output: a helper it starts in the
  // background may keep the pipe open long after.
  ToolRun run;
  const posix::Deadline deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kToolTimeoutMs);
  std::optional<int> status;
  for (;;) {
    if (!status) status = child->Wait(std::chrono::steady_clock::now());
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    const int wait_ms = status ? 0 : static_cast<int>(std::clamp<long long>(left.count(), 0, 50));
    pollfd p{out.Get(), POLLIN, 0};
    const int ready = out ? ::poll(&p, 1, wait_ms) : ::poll(nullptr, 0, wait_ms);
    if (ready > 0) {
      char buffer[4096];
      const ssize_t n = ::read(out.Get(), buffer, sizeof buffer);
      if (n > 0) {
        run.output.append(buffer, static_cast<size_t>(n));
        continue;
      }
      if (n == 0 || errno != EINTR) out.Reset();
      continue;
    }
    if (status) break;
    if (left.count() <= 0) {
      // A tool that hangs is ended so that the command can answer.
      child->Stop(SIGKILL, std::chrono::milliseconds(0));
      return run;
    }
  }
  run.status = *status;
  return run;
}

// Runs a tool named on PATH; true when it ended with status 0. `output` gets what it wrote.
bool Tool(const char* name, const std::vector<std::string>& args, std::string* output = nullptr) {
  const std::string program = posix::FindExecutableOnPath(name);
  if (program.empty()) return false;
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), args.begin(), args.end());
  const std::optional<ToolRun> run = RunTool(std::move(argv));
  if (!run || run->status != 0) return false;
  if (output != nullptr) *output = run->output;
  return true;
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

// GNOME and the desktops built on its settings (XDG_CURRENT_DESKTOP is a ":" list).
bool IsGnomeFamily() {
  const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
  if (desktop == nullptr) return false;
  std::string_view list = desktop;
  while (!list.empty()) {
    const size_t end = std::min(list.find(':'), list.size());
    const std::u16string name = UpperCase(Utf8ToUtf16(list.substr(0, end)));
    for (const char16_t* known :
         {u"GNOME", u"GNOME-CLASSIC", u"GNOME-FLASHBACK", u"UNITY", u"BUDGIE", u"PANTHEON"}) {
      if (name == known) return true;
    }
    list.remove_prefix(std::min(end + 1, list.size()));
  }
  return false;
}

// Sets a key and reads it back: gsettings without a running settings service may accept a
// value and keep it nowhere.
bool SetGnomeKey(const char* schema, const char* key, const std::string& value) {
  std::string stored;
  return Tool("gsettings", {"set", schema, key, value}) &&
         Tool("gsettings", {"get", schema, key}, &stored) && Trimmed(stored) == value;
}

std::string AbsolutePath(const std::string& path) {
  if (path.starts_with('/')) return path;
  char buffer[4096];
  if (::getcwd(buffer, sizeof buffer) == nullptr) return {};
  return std::string(buffer) + "/" + path;
}

// The file: URI of an existing file or folder, or nothing.
std::optional<std::string> ExistingFileUri(std::u16string_view name, bool regular_only) {
  const auto path = posix::FsPath(name);
  if (!path) return std::nullopt;
  struct stat st {};
  if (::stat(path->c_str(), &st) != 0 || (regular_only && !S_ISREG(st.st_mode))) {
    return std::nullopt;
  }
  const std::string absolute = AbsolutePath(*path);
  if (absolute.empty()) return std::nullopt;
  return "file://" + posix::UriEscaped(absolute);
}

}  // namespace

bool PosixPlatform::SetWallpaper(std::u16string_view file) {
  if (!IsGnomeFamily()) return false;
  std::string value = "''";
  if (!file.empty()) {
    const auto uri = ExistingFileUri(file, true);
    if (!uri) return false;
    value = "'" + *uri + "'";
  }
  if (!SetGnomeKey("org.gnome.desktop.background", "picture-uri", value)) return false;
  // The dark style's picture, where the desktop has one (older versions lack the key).
  Tool("gsettings", {"set", "org.gnome.desktop.background", "picture-uri-dark", value});
  return true;
}

bool PosixPlatform::SetScreenSaverActive(bool active) {
  if (IsGnomeFamily()) {
    return SetGnomeKey("org.gnome.desktop.screensaver", "idle-activation-enabled",
                       active ? "true" : "false");
  }
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || display[0] == '\0') return false;
  std::string state;
  if (!Tool("xset", {"s", active ? "on" : "off"}) || !Tool("xset", {"q"}, &state)) return false;
  // "xset q" shows the screen saver's "timeout:"; 0 means it never starts.
  const size_t at = state.find("timeout:");
  if (at == std::string::npos) return false;
  const long timeout = std::strtol(state.c_str() + at + 8, nullptr, 10);
  return active ? timeout > 0 : timeout == 0;
}

bool PosixPlatform::ShowProperties(intptr_t, std::u16string_view file) {
  // The name as typed; the shell takes one named in double quotes as the name inside them.
  std::u16string_view name = file;
  if (name.size() >= 2 && name.front() == u'"' && name.back() == u'"') {
    name = name.substr(1, name.size() - 2);
  }
  const auto uri = ExistingFileUri(name, false);
  if (!uri) return false;
  const std::string item = "['" + *uri + "']";
  if (!posix::FindExecutableOnPath("gdbus").empty()) {
    return Tool("gdbus",
                {"call", "--session", "--timeout", "3", "--dest", "org.freedesktop.FileManager1",
                 "--object-path", "/org/freedesktop/FileManager1", "--method",
                 "org.freedesktop.FileManager1.ShowItemProperties", item, ""});
  }
  return Tool("dbus-send", {"--session", "--print-reply", "--reply-timeout=3000",
                            "--dest=org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                            "org.freedesktop.FileManager1.ShowItemProperties",
                            "array:string:" + *uri, "string:"});
}

bool PosixPlatform::HasMci() {
  return false;
}

uint32_t PosixPlatform::MciSendString(std::u16string_view, std::u16string& reply) {
  reply.clear();
  return kMciCannotLoadDriver;
}

std::optional<std::u16string> PosixPlatform::MciErrorString(uint32_t) {
  return std::nullopt;
}

}  // namespace qrx
