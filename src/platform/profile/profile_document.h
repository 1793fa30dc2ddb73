// An INI file held for one edit. Every line keeps its original bytes; only the lines an edit
// touches are written anew, so blank lines, comments and spacing elsewhere stay byte for
// byte as they were. Lines are decoded only when an edit looks at them.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile/profile_files.h"
#include "platform/profile/profile_lines.h"

namespace qrx::profile {

class Document {
 public:
  // The lines of a file's bytes (an empty text for a missing file), which must outlive the
  // document: original lines stay where they are in them.
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

  // What a line says; the views last until the next call.
  LineInfo Info(size_t index) const;

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
  // A line written anew: its bytes in the file's encoding, its line break and its text.
  struct NewLine {
    std::string content;
    std::string brk;
    std::u16string text;
  };
  struct Line {
    RawLine raw;                          // where an original line lies in the bytes
    std::shared_ptr<const NewLine> made;  // set for a line written anew
    bool added_break = false;             // an original last line that got a CR LF
  };
  std::shared_ptr<const NewLine> MakeLine(std::u16string_view text, std::string brk) const;
  std::string_view BreakOf(const Line& line) const;
  // A line that gets a line after it needs a break of its own.
  void EnsureBreak(size_t index);

  std::string_view bytes_;
  const Codec& codec_;
  mutable LineSplitter splitter_;  // decodes original lines into its own buffer
  std::vector<Line> lines_;
  bool changed_ = false;
};

}  // namespace qrx::profile
