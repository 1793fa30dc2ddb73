// An INI file held for one edit. Every line keeps its original bytes; only the lines an edit
// touches are written anew, so blank lines, comments and spacing elsewhere stay byte for
// byte as they were.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile/profile_files.h"
#include "platform/profile/profile_lines.h"

namespace qrx::profile {

class Document {
 public:
  // The lines of a file's bytes (an empty text for a missing file).
  Document(std::string_view bytes, const Codec& codec);

  // The lines of the first section of the name: its header and the index after its last line.
  struct Section {
    size_t header = 0;
    size_t end = 0;
  };
  std::optional<Section> FindSection(std::u16string_view name) const;
  // The first key line of the name in the section, "=" or not.
  std::optional<size_t> FindKey(const Section& section, std::u16string_view name) const;
  // The section's last line that is not blank (its header when it has no other).
  size_t LastFilledLine(const Section& section) const;

  LineInfo Info(size_t index) const { return ClassifyLine(lines_[index].text); }

  // Replaces the text of a line; its line break stays as it was.
  void SetLine(size_t index, std::u16string_view text);
  // Puts a new line (with CR LF) after the line `index`, or at the end of the file.
  void InsertAfter(size_t index, std::u16string_view text);
  void Append(std::u16string_view text);
  // Removes lines [from, to).
  void Erase(size_t from, size_t to);

  bool changed() const { return changed_; }
  std::string Bytes() const;

 private:
  struct Line {
    std::string content;  // bytes in the file's encoding, without the line break
    std::string brk;      // the line break as it was ("" for a last line without one)
    std::u16string text;
  };
  Line MakeLine(std::u16string_view text) const;
  // A line that gets a line after it needs a break of its own.
  void EnsureBreak(size_t index);

  const Codec& codec_;
  Encoding encoding_ = Encoding::kAnsi;
  std::string head_;  // byte-order mark
  std::string tail_;  // odd last byte of a UTF-16 file
  std::vector<Line> lines_;
  bool changed_ = false;
};

}  // namespace qrx::profile
