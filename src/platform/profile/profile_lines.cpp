#include "platform/profile/profile_lines.h"

#include "platform/profile/profile_rules.h"

namespace qrx::profile {

namespace {

bool IsAscii(std::u16string_view text) {
  for (const char16_t c : text) {
    if (c >= 0x80) return false;
  }
  return true;
}

char16_t Utf16Unit(std::string_view bytes, size_t pos) {
  return static_cast<char16_t>(static_cast<unsigned char>(bytes[pos]) |
                               (static_cast<unsigned char>(bytes[pos + 1]) << 8));
}

}  // namespace

LineSplitter::LineSplitter(std::string_view bytes, const Codec& codec)
    : bytes_(bytes), codec_(codec), body_end_(bytes.size()) {
  if (bytes.starts_with(kUtf16LeMark)) {
    encoding_ = Encoding::kUtf16Le;
    body_begin_ = kUtf16LeMark.size();
    body_end_ = body_begin_ + (bytes.size() - body_begin_) / 2 * 2;
  }
  pos_ = body_begin_;
}

char16_t LineSplitter::UnitAt(size_t pos) const {
  if (encoding_ == Encoding::kAnsi) return static_cast<unsigned char>(bytes_[pos]);
  return Utf16Unit(bytes_, pos);
}

bool LineSplitter::Next(RawLine* line) {
  if (pos_ >= body_end_) return false;
  // CR and LF never occur inside a double-byte character (trail bytes are 0x40 or more).
  const size_t unit = encoding_ == Encoding::kAnsi ? 1 : 2;
  size_t pos = pos_;
  if (encoding_ == Encoding::kAnsi) {
    const char* const data = bytes_.data();
    while (pos < body_end_ && data[pos] != '\r' && data[pos] != '\n') ++pos;
  } else {
    while (pos < body_end_ && UnitAt(pos) != u'\r' && UnitAt(pos) != u'\n') pos += unit;
  }
  line->begin = pos_;
  line->content_end = pos;
  if (pos < body_end_) {
    const bool crlf = UnitAt(pos) == u'\r' && pos + unit < body_end_ && UnitAt(pos + unit) == u'\n';
    pos += crlf ? 2 * unit : unit;
  }
  line->end = pos;
  pos_ = pos;
  return true;
}

std::u16string_view LineSplitter::Text(const RawLine& line) {
  const std::string_view content = bytes_.substr(line.begin, line.content_end - line.begin);
  if (encoding_ == Encoding::kUtf16Le) {
    text_.resize(content.size() / 2);
    for (size_t i = 0; i < text_.size(); ++i) text_[i] = Utf16Unit(content, i * 2);
  } else {
    // Plain ASCII is widened as it is read; the first other byte hands the line to the codec.
    text_.resize(content.size());
    for (size_t i = 0; i < content.size(); ++i) {
      const unsigned char b = static_cast<unsigned char>(content[i]);
      if (b >= 0x80) {
        text_ = codec_.Decode(content);
        break;
      }
      text_[i] = b;
    }
  }
  return text_;
}

bool LineSplitter::MayBeHeader(const RawLine& line) const {
  // Blanks and "[" are ASCII, and no double-byte character starts with an ASCII byte.
  const size_t unit = encoding_ == Encoding::kAnsi ? 1 : 2;
  for (size_t pos = line.begin; pos < line.content_end; pos += unit) {
    const char16_t c = UnitAt(pos);
    if (!IsBlank(c)) return c == u'[';
  }
  return false;
}

LineInfo ClassifyLine(std::u16string_view text) {
  LineInfo info;
  const std::u16string_view line = TrimBlanks(text);
  if (line.empty()) return info;
  if (line.front() == u'[') {
    // The name runs to the last "]"; a "[" line without one is an ordinary line.
    const size_t close = line.rfind(u']');
    if (close != std::u16string_view::npos && close > 0) {
      info.kind = LineKind::kSection;
      info.name = TrimBlanks(line.substr(1, close - 1));
      return info;
    }
  }
  if (line.front() == u';') {
    info.kind = LineKind::kComment;
    return info;
  }
  info.kind = LineKind::kKey;
  const size_t eq = line.find(u'=');
  if (eq == std::u16string_view::npos) {
    info.name = line;
    return info;
  }
  info.name = TrimTrailingBlanks(line.substr(0, eq));
  info.has_value = true;
  info.value = TrimLeadingBlanks(line.substr(eq + 1));
  return info;
}

std::string EncodeLine(std::u16string_view text, Encoding encoding, const Codec& codec) {
  if (encoding == Encoding::kUtf16Le) {
    std::string out;
    out.reserve(text.size() * 2);
    for (const char16_t c : text) {
      out.push_back(static_cast<char>(c & 0xFF));
      out.push_back(static_cast<char>(c >> 8));
    }
    return out;
  }
  if (IsAscii(text)) return std::string(text.begin(), text.end());
  return codec.Encode(text);
}

std::string_view LineBreak(Encoding encoding) {
  return encoding == Encoding::kUtf16Le ? std::string_view("\r\0\n\0", 4) : "\r\n";
}

}  // namespace qrx::profile
