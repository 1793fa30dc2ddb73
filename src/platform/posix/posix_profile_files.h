// The INI files of the POSIX platform: real files in code page 932, replaced atomically, with
// the parsed form of recently used files kept while they stay unchanged on the disk.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/posix_sys.h"
#include "platform/profile/profile_files.h"

namespace qrx::posix {

class Cp932Codec : public profile::Codec {
 public:
  std::u16string Decode(std::string_view bytes) const override;
  std::string Encode(std::u16string_view text) const override;
};

// A kept copy answers without reading the file while the file's device, inode, size,
// modification time and change time (to the nanosecond) are all the same as when it was read.
// Every write on Linux sets both times from a clock that advances in steps (a timer tick, or
// whole seconds on some file systems), so a second write within the same step as the one the
// copy was read after would leave them as they were. A copy read from the disk is therefore
// trusted only when the file's times lie clearly before the moment the file was opened; any
// other copy is checked by reading the file again, and only its parsed form is kept when the
// bytes are the same. A file quorix has just written is trusted as soon as a look at it after
// the rename shows the inode and modification time of the temporary file it wrote (on a file
// system with fractions of a second in its times).
class ProfileFiles : public profile::FileAccess {
 public:
  explicit ProfileFiles(SysCalls& sys) : sys_(sys) {}

  const profile::Codec& codec() const { return codec_; }

  std::optional<std::string> Read(std::u16string_view path) override;
  // A temporary file beside the target, renamed over it: a crash leaves the old file or the
  // new one, and the new one keeps the old one's permissions. Not flushed to the disk first
  // (see docs/behaviour.md).
  bool Replace(std::u16string_view path, std::string_view bytes) override;
  bool Exists(std::u16string_view path) override;
  std::shared_ptr<const profile::ParsedFile> Parse(std::u16string_view path,
                                                   const profile::Codec& codec) override;

 private:
  struct Stamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};
    bool operator==(const Stamp& other) const;
  };
  struct Snapshot {
    std::string bytes;
    std::shared_ptr<const profile::ParsedFile> parsed;  // made at the first lookup
  };
  struct Entry {
    std::string path;
    Stamp stamp;
    bool trusted = false;  // its times show any change
    std::shared_ptr<Snapshot> snapshot;
    uint64_t last_use = 0;
  };

  static Stamp StampOf(const struct stat& st);
  // Whether a copy of a file can be kept: its times lie clearly before the moment it was
  // opened, so any later write gives it other times.
  static bool Settled(const struct stat& st, const timespec& opened_after);
  // The file's bytes, from the kept copy while the file is unchanged; nullptr when there is
  // no ordinary file that can be read.
  std::shared_ptr<Snapshot> Load(const std::string& path);
  void Keep(const std::string& path, std::shared_ptr<Snapshot> snapshot, const Stamp& stamp,
            bool trusted);
  Entry* Find(const std::string& path);
  void Forget(const std::string& path);

  SysCalls& sys_;
  Cp932Codec codec_;
  std::vector<Entry> entries_;
  uint64_t uses_ = 0;
  // Clears the stale temporary files of a folder: the first time it is used, and at a write
  // when the last clearing is a second old (a run of writes clears once a second).
  void ClearStale(const std::string& folder, bool writing);
  std::map<std::string, int64_t> cleared_;  // folder -> when it was last cleared (ns)
};

}  // namespace qrx::posix
