#include "platform/profile/profile_lines.h"

#include "platform/profile/profile_rules.h"

namespace qrx::profile {

namespace {

bool IsAscii(std::string_view bytes) {
  for (const char b : bytes) {
    if (static_cast<unsigned char>(b) >= 0x80) return false;
  }
  return true;
}

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

bool LineSplitter::Next(RawLine* line) {
  if (pos_ >= body_end_) return false;
  return encoding_ == Encoding::kAnsi ? NextAnsi(line) : NextUtf16(line);
}

bool LineSplitter::NextAnsi(RawLine* line) {
  // CR and LF never occur inside a double-byte character (trail bytes are 0x40 or more).
  const size_t begin = pos_;
  size_t end = bytes_.find_first_of("\r\n", begin);
  if (end == std::string_view::npos) end = body_end_;
  line->begin = begin;
  line->content_end = end;
  if (end < body_end_) {
    end += (bytes_[end] == '\r' && end + 1 < body_end_ && bytes_[end + 1] == '\n') ? 2 : 1;
  }
  line->end = end;
  pos_ = end;
  const std::string_view content = bytes_.substr(begin, line->content_end - begin);
  if (IsAscii(content)) {
    line->text.assign(content.begin(), content.end());
  } else {
    line->text = codec_.Decode(content);
  }
  return true;
}

bool LineSplitter::NextUtf16(RawLine* line) {
  line->begin = pos_;
  line->text.clear();
  size_t pos = pos_;
  while (pos < body_end_) {
    const char16_t c = Utf16Unit(bytes_, pos);
    if (c == u'\r' || c == u'\n') break;
    line->text.push_back(c);
    pos += 2;
  }
  line->content_end = pos;
  if (pos < body_end_) {
    const bool crlf = Utf16Unit(bytes_, pos) == u'\r' && pos + 2 < body_end_ &&
                      Utf16Unit(bytes_, pos + 2) == u'\n';
    pos += crlf ? 4 : 2;
  }
  line->end = pos;
  pos_ = pos;
  return true;
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
