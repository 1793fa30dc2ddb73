// The profile calls of the POSIX platform: the INI engine over real files in code page 932.
// A relative path is taken from the current directory (Windows would look in its own
// folder, which POSIX has not).
#include <sys/stat.h>

#include <algorithm>

#include "platform/posix/cp932.h"
#include "platform/posix/posix_fs.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_profile_files.h"
#include "platform/profile/profile_parsed.h"

namespace qrx {

namespace posix {

namespace {

// Kept copies: a few files (the configuration, the catalogue, a skin or link list and what the
// INI command reads), none larger than a configuration file ever grows.
constexpr size_t kKeptFiles = 8;
constexpr size_t kKeptBytes = size_t{4} << 20;

// How far before the end of a reading a file's times must lie for a kept copy: beyond the
// step of the clock that sets them. File systems that keep whole seconds (or FAT's two) show
// no fraction at all.
constexpr int64_t kFineStepNs = 20'000'000;
constexpr int64_t kCoarseStepNs = 2'000'000'000;

// How often a run of writes clears the stale temporary files of its folder.
constexpr int64_t kClearEveryNs = 1'000'000'000;

int64_t Nanoseconds(const timespec& ts) {
  return static_cast<int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

}  // namespace

std::u16string Cp932Codec::Decode(std::string_view bytes) const {
  return Cp932Decode(bytes);
}
std::string Cp932Codec::Encode(std::u16string_view text) const {
  return Cp932Encode(text);
}

bool ProfileFiles::Stamp::operator==(const Stamp& other) const {
  return device == other.device && inode == other.inode && size == other.size &&
         Nanoseconds(modified) == Nanoseconds(other.modified) &&
         Nanoseconds(changed) == Nanoseconds(other.changed);
}

ProfileFiles::Stamp ProfileFiles::StampOf(const struct stat& st) {
  return {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

bool ProfileFiles::Settled(const struct stat& st, const timespec& opened_after) {
  const bool coarse = st.st_mtim.tv_nsec == 0 && st.st_ctim.tv_nsec == 0;
  const int64_t latest = std::max(Nanoseconds(st.st_mtim), Nanoseconds(st.st_ctim));
  return latest + (coarse ? kCoarseStepNs : kFineStepNs) < Nanoseconds(opened_after);
}

ProfileFiles::Entry* ProfileFiles::Find(const std::string& path) {
  const auto it = std::find_if(entries_.begin(), entries_.end(),
                               [&](const Entry& e) { return e.path == path; });
  return it == entries_.end() ? nullptr : &*it;
}

std::shared_ptr<ProfileFiles::Snapshot> ProfileFiles::Load(const std::string& path) {
  Entry* kept = Find(path);
  if (kept != nullptr && kept->trusted) {
    struct stat st {};
    if (sys_.Stat(path.c_str(), &st) == 0 && StampOf(st) == kept->stamp) {
      kept->last_use = ++uses_;
      return kept->snapshot;
    }
  }
  ClearStale(SplitFsPath(path).folder, false);
  auto contents = ReadWholeFile(sys_, path);
  if (!contents) {
    Forget(path);
    return nullptr;
  }
  // The same bytes as the copy: its parsed form still holds.
  std::shared_ptr<Snapshot> snapshot;
  if (kept != nullptr && kept->snapshot->bytes == contents->bytes) {
    snapshot = kept->snapshot;
  } else {
    snapshot = std::make_shared<Snapshot>(Snapshot{std::move(contents->bytes), nullptr});
  }
  const struct stat& st = contents->status;
  // A file that changed size while it was read changed; the next call reads it again.
  const bool whole = snapshot->bytes.size() == static_cast<size_t>(st.st_size);
  Keep(path, snapshot, StampOf(st), whole && Settled(st, contents->opened_after));
  return snapshot;
}

void ProfileFiles::Keep(const std::string& path, std::shared_ptr<Snapshot> snapshot,
                        const Stamp& stamp, bool trusted) {
  Forget(path);
  if (snapshot->bytes.size() > kKeptBytes) return;
  if (entries_.size() >= kKeptFiles) {
    entries_.erase(
        std::min_element(entries_.begin(), entries_.end(),
                         [](const Entry& a, const Entry& b) { return a.last_use < b.last_use; }));
  }
  entries_.push_back({path, stamp, trusted, std::move(snapshot), ++uses_});
}

void ProfileFiles::Forget(const std::string& path) {
  std::erase_if(entries_, [&](const Entry& e) { return e.path == path; });
}

std::optional<std::string> ProfileFiles::Read(std::u16string_view path) {
  const auto fs = FsPath(path);
  if (!fs) return std::nullopt;
  const auto snapshot = Load(*fs);
  if (!snapshot) return std::nullopt;
  return snapshot->bytes;
}

bool ProfileFiles::Replace(std::u16string_view path, std::string_view bytes) {
  const auto fs = FsPath(path);
  if (!fs) return false;
  Forget(*fs);
  TempFile temp(sys_, *fs, TempFile::Stale::kLeave);
  struct stat written {};
  if (!temp.ok() || !WriteAll(sys_, temp.fd(), bytes) ||
      !temp.Commit(std::nullopt, Flush::kNo, &written)) {
    return false;
  }
  ClearStale(SplitFsPath(temp.target()).folder, true);
  // What was written is the file while the file is still the one written: same inode, and a
  // modification time no later write changed. The rename itself changes the change time, so
  // the stamp is taken after it.
  struct stat st {};
  const bool ours = sys_.Stat(fs->c_str(), &st) == 0 && written.st_ino != 0 &&
                    st.st_dev == written.st_dev && st.st_ino == written.st_ino &&
                    static_cast<size_t>(st.st_size) == bytes.size() &&
                    Nanoseconds(st.st_mtim) == Nanoseconds(written.st_mtim);
  const bool fine = st.st_mtim.tv_nsec != 0 || st.st_ctim.tv_nsec != 0;
  Keep(*fs, std::make_shared<Snapshot>(Snapshot{std::string(bytes), nullptr}), StampOf(st),
       ours && fine);
  return true;
}

void ProfileFiles::ClearStale(const std::string& folder, bool writing) {
  const int64_t now = Nanoseconds(sys_.RealTime());
  const auto [it, first] = cleared_.try_emplace(folder, now);
  if (!first && !(writing && now - it->second >= kClearEveryNs)) return;
  it->second = now;
  ClearStaleTemporaries(sys_, folder);
}

bool ProfileFiles::Exists(std::u16string_view path) {
  const auto fs = FsPath(path);
  struct stat st {};
  return fs && sys_.Stat(fs->c_str(), &st) == 0;
}

std::shared_ptr<const profile::ParsedFile> ProfileFiles::Parse(std::u16string_view path,
                                                               const profile::Codec& codec) {
  const auto fs = FsPath(path);
  if (!fs) return nullptr;
  const auto snapshot = Load(*fs);
  if (!snapshot) return nullptr;
  // Kept copies are parsed with this platform's code page; another one parses afresh.
  if (&codec != &codec_) return std::make_shared<const profile::ParsedFile>(snapshot->bytes, codec);
  if (!snapshot->parsed) {
    snapshot->parsed = std::make_shared<const profile::ParsedFile>(snapshot->bytes, codec_);
  }
  return snapshot->parsed;
}

}  // namespace posix

std::u16string PosixPlatform::ProfileGetString(std::u16string_view section, std::u16string_view key,
                                               std::u16string_view def, std::u16string_view file) {
  return profile::GetString(*profile_files_, profile_files_->codec(), section, key, def, file);
}

bool PosixPlatform::ProfileWriteString(std::u16string_view section, std::u16string_view key,
                                       const std::optional<std::u16string>& value,
                                       std::u16string_view file) {
  return profile::WriteString(*profile_files_, profile_files_->codec(), section, key, value, file);
}

bool PosixPlatform::ProfileDeleteSection(std::u16string_view section, std::u16string_view file) {
  return profile::DeleteSection(*profile_files_, profile_files_->codec(), section, file);
}

std::vector<std::u16string> PosixPlatform::ProfileKeyNames(std::u16string_view section,
                                                           std::u16string_view file) {
  return profile::KeyNames(*profile_files_, profile_files_->codec(), section, file);
}

std::vector<std::u16string> PosixPlatform::ProfileSectionNames(std::u16string_view file) {
  return profile::SectionNames(*profile_files_, profile_files_->codec(), file);
}

std::vector<std::pair<std::u16string, std::u16string>> PosixPlatform::ProfileSection(
    std::u16string_view section, std::u16string_view file) {
  return profile::Section(*profile_files_, profile_files_->codec(), section, file);
}

}  // namespace qrx
