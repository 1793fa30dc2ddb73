// Files: finding, reading and writing them whole. File contents are raw bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qrx {

// When a file was last changed, and its size: a file whose stamp is unchanged need not be
// read again.
struct FileStamp {
  int64_t modified = 0;  // in the system's own units
  int64_t size = 0;
  bool operator==(const FileStamp&) const = default;
};

class Files {
 public:
  virtual ~Files() = default;
  // Name (without folder) of the first ordinary file that matches a pattern with wildcards
  // ("*", "?"); folders, hidden and system files never match. Nothing when none matches.
  virtual std::optional<std::u16string> FindFirstFile(std::u16string_view pattern) = 0;
  // True when something other than a folder exists under exactly this name (no wildcards),
  // hidden and system files included: a file that is there must never be taken for a
  // missing one and replaced.
  virtual bool FileExists(std::u16string_view path) = 0;
  virtual std::optional<std::string> ReadFile(std::u16string_view path) = 0;
  // The stamp of a file; nothing when it is not there or cannot be examined.
  virtual std::optional<FileStamp> StampOf(std::u16string_view path) = 0;
  // Creates or replaces the file with the bytes.
  virtual bool WriteFile(std::u16string_view path, std::string_view bytes) = 0;
  virtual bool CopyFile(std::u16string_view from, std::u16string_view to) = 0;
  // Adds the bytes at the end of the file, creating it when it does not exist.
  virtual bool AppendFile(std::u16string_view path, std::string_view bytes) = 0;
  // Full path under which the system's search order finds the name, or empty.
  virtual std::u16string SearchPath(std::u16string_view name) = 0;
};

}  // namespace qrx
