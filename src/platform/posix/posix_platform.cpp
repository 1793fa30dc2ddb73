// The POSIX platform: text, clock and process services. Files are in posix_files.cpp, the
// profile calls in posix_profile.cpp.
#include "platform/posix/posix_platform.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "base/text.h"
#include "platform/posix/cp932.h"
#include "platform/posix/posix_fs.h"
#include "platform/posix/posix_profile_files.h"
#include "platform/posix/posix_sys.h"

namespace qrx {

PosixPlatform::PosixPlatform() : PosixPlatform(std::make_unique<posix::SysCalls>()) {}

PosixPlatform::PosixPlatform(std::unique_ptr<posix::SysCalls> sys)
    : sys_(std::move(sys)), profile_files_(std::make_unique<posix::ProfileFiles>(*sys_)) {}

std::string PosixPlatform::ToAnsi(std::u16string_view text) const {
  return Cp932Encode(text);
}

std::u16string PosixPlatform::FromAnsi(std::string_view bytes) const {
  return Cp932Decode(bytes);
}

uint32_t PosixPlatform::TickCount() {
  // CLOCK_BOOTTIME keeps counting while the machine sleeps, as the Windows clock does; the
  // cut to 32 bits gives the same wrap after about 49.7 days.
  timespec ts{};
  if (::clock_gettime(CLOCK_BOOTTIME, &ts) != 0) ::clock_gettime(CLOCK_MONOTONIC, &ts);
  const uint64_t ms =
      static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

LocalTime PosixPlatform::Now() {
  const time_t now = ::time(nullptr);
  tm local{};
  if (::localtime_r(&now, &local) == nullptr) return {};
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

int64_t PosixPlatform::UnixTime() {
  return static_cast<int64_t>(sys_->RealTime().tv_sec);
}

std::optional<std::u16string> PosixPlatform::GetEnv(std::u16string_view name) {
  // No variable can be called that: '=' ends a name in the environment block, NUL ends
  // the C string. Names are case-sensitive, as everywhere on Linux.
  if (name.empty() || name.find(u'=') != name.npos || name.find(u'\0') != name.npos) {
    return std::nullopt;
  }
  const char* value = std::getenv(Utf16ToUtf8(name).c_str());
  if (value == nullptr) return std::nullopt;
  return Utf8ToUtf16(value);
}

std::u16string PosixPlatform::ProgramDirectory() {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return {};
    if (static_cast<size_t>(n) < buffer.size()) {
      const std::string exe(buffer.data(), static_cast<size_t>(n));
      return Utf8ToUtf16(posix::SplitFsPath(exe).folder);
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::u16string PosixPlatform::CurrentDirectory() {
  std::vector<char> buffer(256);
  for (;;) {
    if (::getcwd(buffer.data(), buffer.size()) != nullptr) return Utf8ToUtf16(buffer.data());
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
}

bool PosixPlatform::SetCurrentDirectory(std::u16string_view path) {
  const auto fs = posix::FsPath(path);
  return fs && ::chdir(fs->c_str()) == 0;
}

// Linux has neither folder; an empty text is what the interface promises for that case,
// and it keeps $W and $S from pointing at unrelated folders such as /etc.
std::u16string PosixPlatform::WindowsDirectory() {
  return {};
}
std::u16string PosixPlatform::SystemDirectory() {
  return {};
}

// Not Windows, but no old one either: the line runner takes the skinned layout by the same
// rule as a current Windows.
int32_t PosixPlatform::WindowsMajorVersion() {
  return 10;
}

}  // namespace qrx
