// An INI file parsed once for lookups: the first section of every name with its key lines, and
// the names of all sections. It depends on the file's bytes alone, so a caller may keep it for
// as long as the file stays unchanged and answer every lookup from it.
//
// All texts sit in one buffer and the names are found through one open-addressing table per
// file, so parsing a file of thousands of keys allocates a handful of blocks, not thousands.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile/profile_files.h"

namespace qrx::profile {

class ParsedFile {
 public:
  ParsedFile(std::string_view bytes, const Codec& codec);

  // One key line: its name and value (blanks and one pair of quotes removed) as views into
  // the parsed file, and the line of the same name that decides its lookups.
  class Key {
   public:
    bool has_value() const { return has_value_; }  // the line had an "="
    // The first key line of the same name in the section (this one, or an earlier one).
    uint32_t first() const { return first_; }

   private:
    friend class ParsedFile;
    uint32_t name_ = 0, name_size_ = 0, value_ = 0, value_size_ = 0, upper_ = 0;
    uint32_t first_ = 0;
    bool has_value_ = false;
  };
  std::u16string_view Name(const Key& key) const;
  std::u16string_view Value(const Key& key) const;

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
    std::u16string upper_name;
    std::vector<Key> keys;
    uint32_t table = 0;  // where its slots begin in `slots_`
    uint32_t table_size = 0;
  };
  const Section* FindSection(std::u16string_view name) const;
  std::u16string_view Upper(const Key& key) const;
  // The slot of the table of `section` that holds the name, or the empty slot where it would
  // go (an index into `slots_`).
  uint32_t Probe(const Section& section, std::u16string_view upper_name) const;

  std::u16string text_;   // names and values
  std::u16string upper_;  // the names upper-cased, for matching
  std::vector<Section> sections_;
  std::vector<uint32_t> slots_;  // per section: 1 + the index of a key, 0 when empty
  std::vector<std::u16string> section_names_;
};

}  // namespace qrx::profile
