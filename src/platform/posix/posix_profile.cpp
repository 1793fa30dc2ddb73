// The profile calls of the POSIX platform: the INI engine over real files in code page 932.
// A relative path is taken from the current directory (Windows would look in its own
// folder, which POSIX has not).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/cp932.h"
#include "platform/posix/posix_fs.h"
#include "platform/posix/posix_platform.h"
#include "platform/profile/profile_files.h"

namespace qrx {

namespace {

class Cp932Codec : public profile::Codec {
 public:
  std::u16string Decode(std::string_view bytes) const override { return Cp932Decode(bytes); }
  std::string Encode(std::u16string_view text) const override { return Cp932Encode(text); }
};

class RealFiles : public profile::FileAccess {
 public:
  std::optional<std::string> Read(std::u16string_view path) override {
    const auto fs = posix::FsPath(path);
    if (!fs) return std::nullopt;
    // O_NONBLOCK: a FIFO at the path must not hang the reader; it is no file anyway.
    const posix::UniqueFd fd(::open(fs->c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    if (!fd || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    std::string bytes;
    bytes.reserve(static_cast<size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
      const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
      if (n == 0) return bytes;
      if (n < 0) {
        if (errno == EINTR) continue;
        return std::nullopt;
      }
      bytes.append(buffer, static_cast<size_t>(n));
    }
  }

  // A temporary file beside the target, flushed and renamed over it: a crash leaves the old
  // file or the new one, and the new one keeps the old one's permissions.
  bool Replace(std::u16string_view path, std::string_view bytes) override {
    const auto fs = posix::FsPath(path);
    return fs && posix::ReplaceFile(*fs, std::nullopt,
                                    [&](int fd) { return posix::WriteAll(fd, bytes); });
  }

  bool Exists(std::u16string_view path) override {
    const auto fs = posix::FsPath(path);
    struct stat st {};
    return fs && ::stat(fs->c_str(), &st) == 0;
  }
};

}  // namespace

std::u16string PosixPlatform::ProfileGetString(std::u16string_view section, std::u16string_view key,
                                               std::u16string_view def, std::u16string_view file) {
  RealFiles io;
  return profile::GetString(io, Cp932Codec(), section, key, def, file);
}

bool PosixPlatform::ProfileWriteString(std::u16string_view section, std::u16string_view key,
                                       const std::optional<std::u16string>& value,
                                       std::u16string_view file) {
  RealFiles io;
  return profile::WriteString(io, Cp932Codec(), section, key, value, file);
}

bool PosixPlatform::ProfileDeleteSection(std::u16string_view section, std::u16string_view file) {
  RealFiles io;
  return profile::DeleteSection(io, Cp932Codec(), section, file);
}

std::vector<std::u16string> PosixPlatform::ProfileKeyNames(std::u16string_view section,
                                                           std::u16string_view file) {
  RealFiles io;
  return profile::KeyNames(io, Cp932Codec(), section, file);
}

std::vector<std::u16string> PosixPlatform::ProfileSectionNames(std::u16string_view file) {
  RealFiles io;
  return profile::SectionNames(io, Cp932Codec(), file);
}

}  // namespace qrx
