// The private-profile (INI) functions of Windows, rebuilt over injected file access.
//
// The POSIX platform and the test fake implement their profile calls with these, so both
// behave like GetPrivateProfileString / WritePrivateProfileString / GetPrivateProfileSectionNames
// on Windows: the same lookups, trimming, quote removal, case-insensitive names, first match
// wins, deletions, file creation, CR LF line ends, and in-place edits that leave every
// untouched line of the file as it was. The parser itself works on text, not paths.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qrx::profile {

class Codec;
class ParsedFile;

// How the profile code reaches files. Paths are passed through unchanged.
class FileAccess {
 public:
  virtual ~FileAccess() = default;
  // The whole file, or nothing when it does not exist or cannot be read.
  virtual std::optional<std::string> Read(std::u16string_view path) = 0;
  // Replaces (or creates) the whole file so that a reader sees either the old or the new
  // bytes, never a mix (POSIX: a temporary file renamed over the old one).
  virtual bool Replace(std::u16string_view path, std::string_view bytes) = 0;
  // True when something is at the path although Read gave nothing (a file that cannot be
  // read, a folder): a write then leaves it alone instead of replacing it with a new file.
  virtual bool Exists(std::u16string_view path) {
    (void)path;
    return false;
  }
  // The file parsed for lookups, or nullptr when Read gives nothing. This one reads and
  // parses the file on every call; an implementation that can tell whether a file has
  // changed may keep the parsed file instead.
  virtual std::shared_ptr<const ParsedFile> Parse(std::u16string_view path, const Codec& codec);
};

// The ANSI code page of the files (932): bytes <-> UTF-16.
class Codec {
 public:
  virtual ~Codec() = default;
  virtual std::u16string Decode(std::string_view bytes) const = 0;
  virtual std::string Encode(std::u16string_view text) const = 0;
};

std::u16string GetString(FileAccess& io, const Codec& codec, std::u16string_view section,
                         std::u16string_view key, std::u16string_view def,
                         std::u16string_view file);
// Writes a value (nullopt deletes the key). False when the write is refused (see
// profile_rules.h), the file cannot be read, or it cannot be replaced; nothing is written
// when the bytes would not change.
bool WriteString(FileAccess& io, const Codec& codec, std::u16string_view section,
                 std::u16string_view key, const std::optional<std::u16string>& value,
                 std::u16string_view file);
bool DeleteSection(FileAccess& io, const Codec& codec, std::u16string_view section,
                   std::u16string_view file);
std::vector<std::u16string> KeyNames(FileAccess& io, const Codec& codec,
                                     std::u16string_view section, std::u16string_view file);
std::vector<std::u16string> SectionNames(FileAccess& io, const Codec& codec,
                                         std::u16string_view file);
// The key lines with "=" of the first section of the name, in file order, each with the value
// a lookup of its name gives (empty when it gives none): KeyNames and a GetString with an
// empty default for each name, from one reading of the file.
std::vector<std::pair<std::u16string, std::u16string>> Section(FileAccess& io, const Codec& codec,
                                                               std::u16string_view section,
                                                               std::u16string_view file);

}  // namespace qrx::profile
