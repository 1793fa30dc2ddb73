// An INI file parsed once for lookups: the first section of every name with its key lines, and
// the names of all sections. It depends on the file's bytes alone, so a caller may keep it for
// as long as the file stays unchanged and answer every lookup from it.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/profile/profile_files.h"

namespace qrx::profile {

class ParsedFile {
 public:
  ParsedFile(std::string_view bytes, const Codec& codec);

  struct Key {
    std::u16string name;
    bool has_value = false;  // the line had an "="
    std::u16string value;    // blanks and one pair of quotes removed
  };

  // The key lines of the first section of the name, in file order (comments and blank lines
  // left out, lines without "=" kept); nullptr when the file has no such section.
  const std::vector<Key>* Keys(std::u16string_view section) const;
  // The first key line of the name in the first section of the name: the line that decides
  // a lookup, even one without "=". nullptr when there is none.
  const Key* Find(std::u16string_view section, std::u16string_view key) const;
  // Every section header with a name, in file order, duplicates included.
  const std::vector<std::u16string>& SectionNames() const { return section_names_; }

 private:
  struct Section {
    std::vector<Key> keys;
    std::unordered_map<std::u16string, size_t> first;  // upper-cased name -> index in keys
  };
  std::vector<std::u16string> section_names_;
  std::unordered_map<std::u16string, Section> sections_;  // by upper-cased name
};

}  // namespace qrx::profile
