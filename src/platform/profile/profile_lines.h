// The lines of an INI file: where each one lies in the file's bytes, its text, and what it
// is (blank, comment, section header or key).
//
// A line ends at CR LF, CR or LF; runs of them only make blank lines, which carry nothing.
// A file that starts with the UTF-16LE mark is read as UTF-16; any other file is in the
// ANSI code page, whose first 128 byte values are ASCII (true of every Windows code page),
// so lines of plain ASCII are read without the codec.
#pragma once

#include <string>
#include <string_view>

#include "platform/profile/profile_files.h"

namespace qrx::profile {

enum class Encoding { kAnsi, kUtf16Le };

// The UTF-16LE byte-order mark.
inline constexpr std::string_view kUtf16LeMark{"\xFF\xFE", 2};

struct RawLine {
  size_t begin = 0;        // first byte of the line
  size_t content_end = 0;  // first byte of the line break (== end when there is none)
  size_t end = 0;          // first byte after the line break
};

// Walks the lines of a file's bytes in order.
class LineSplitter {
 public:
  LineSplitter(std::string_view bytes, const Codec& codec);

  Encoding encoding() const { return encoding_; }
  // Bytes before the first line (the byte-order mark).
  size_t body_begin() const { return body_begin_; }
  // Bytes after the last line: the odd last byte of a UTF-16 file, kept as it is.
  size_t body_end() const { return body_end_; }
  // The next line, or false after the last one.
  bool Next(RawLine* line);
  // The text of a line, decoded; the view lasts until the next call.
  std::u16string_view Text(const RawLine& line);
  // Whether the line can be a section header (its first non-blank character is "["): lines
  // that cannot are skipped undecoded while a lookup searches for its section.
  bool MayBeHeader(const RawLine& line) const;

 private:
  char16_t UnitAt(size_t pos) const;

  std::string_view bytes_;
  const Codec& codec_;
  Encoding encoding_ = Encoding::kAnsi;
  size_t body_begin_ = 0;
  size_t body_end_ = 0;
  size_t pos_ = 0;
  std::u16string text_;
};

enum class LineKind { kBlank, kComment, kSection, kKey };

// What one line says. Views point into the text that was classified.
struct LineInfo {
  LineKind kind = LineKind::kBlank;
  // Section: the text between "[" and the last "]", blanks around it dropped.
  // Key: the text before the first "=" (or the whole line), blanks around it dropped.
  std::u16string_view name;
  bool has_value = false;     // key lines: an "=" was present
  std::u16string_view value;  // after the "=", blanks around it dropped
};

LineInfo ClassifyLine(std::u16string_view text);

// A line's text in the file's encoding (without a line break).
std::string EncodeLine(std::u16string_view text, Encoding encoding, const Codec& codec);
// CR LF in the file's encoding.
std::string_view LineBreak(Encoding encoding);

}  // namespace qrx::profile
