#include "platform/profile/profile_document.h"

#include "platform/profile/profile_rules.h"

namespace qrx::profile {

Document::Document(std::string_view bytes, const Codec& codec)
    : bytes_(bytes), codec_(codec), splitter_(bytes, codec) {
  lines_.reserve(bytes.size() / 16 + 1);  // a guess that spares most regrowth
  RawLine raw;
  while (splitter_.Next(&raw)) lines_.push_back({raw, nullptr, false});
}

LineInfo Document::Info(size_t index) const {
  const Line& line = lines_[index];
  return ClassifyLine(line.made ? std::u16string_view(line.made->text) : splitter_.Text(line.raw));
}

std::optional<Document::Section> Document::FindSection(std::u16string_view name) const {
  // Only a line that starts with "[" can be a header; the others are not decoded.
  auto may_be_header = [&](size_t i) {
    return lines_[i].made != nullptr || splitter_.MayBeHeader(lines_[i].raw);
  };
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (!may_be_header(i)) continue;
    const LineInfo info = Info(i);
    if (info.kind != LineKind::kSection || !SameName(info.name, name)) continue;
    size_t end = i + 1;
    while (end < lines_.size() && !(may_be_header(end) && Info(end).kind == LineKind::kSection)) {
      ++end;
    }
    return Section{i, end};
  }
  return std::nullopt;
}

std::optional<size_t> Document::FindKey(const Section& section, std::u16string_view name) const {
  for (size_t i = section.header + 1; i < section.end; ++i) {
    const LineInfo info = Info(i);
    if (info.kind == LineKind::kKey && SameName(info.name, name)) return i;
  }
  return std::nullopt;
}

size_t Document::LastFilledLine(const Section& section) const {
  size_t last = section.end - 1;
  while (last > section.header && Info(last).kind == LineKind::kBlank) --last;
  return last;
}

std::shared_ptr<const Document::NewLine> Document::MakeLine(std::u16string_view text,
                                                            std::string brk) const {
  return std::make_shared<const NewLine>(NewLine{EncodeLine(text, splitter_.encoding(), codec_),
                                                 std::move(brk), std::u16string(text)});
}

std::string_view Document::BreakOf(const Line& line) const {
  if (line.made) return line.made->brk;
  if (line.added_break) return LineBreak(splitter_.encoding());
  return bytes_.substr(line.raw.content_end, line.raw.end - line.raw.content_end);
}

void Document::EnsureBreak(size_t index) {
  Line& line = lines_[index];
  if (!BreakOf(line).empty()) return;
  if (line.made) {
    line.made = MakeLine(line.made->text, std::string(LineBreak(splitter_.encoding())));
  } else {
    line.added_break = true;
  }
}

void Document::SetLine(size_t index, std::u16string_view text) {
  Line& line = lines_[index];
  line.made = MakeLine(text, std::string(BreakOf(line)));
  changed_ = true;
}

void Document::InsertAfter(size_t index, std::u16string_view text) {
  EnsureBreak(index);
  lines_.insert(lines_.begin() + static_cast<ptrdiff_t>(index) + 1,
                {{}, MakeLine(text, std::string(LineBreak(splitter_.encoding()))), false});
  changed_ = true;
}

void Document::Append(std::u16string_view text) {
  if (!lines_.empty()) EnsureBreak(lines_.size() - 1);
  lines_.push_back({{}, MakeLine(text, std::string(LineBreak(splitter_.encoding()))), false});
  changed_ = true;
}

void Document::Erase(size_t from, size_t to) {
  if (from >= to) return;
  lines_.erase(lines_.begin() + static_cast<ptrdiff_t>(from),
               lines_.begin() + static_cast<ptrdiff_t>(to));
  changed_ = true;
}

std::string Document::Bytes() const {
  const std::string_view bytes = bytes_;
  std::string out(bytes.substr(0, splitter_.body_begin()));  // the byte-order mark
  out.reserve(bytes.size() + 64);
  for (const Line& line : lines_) {
    if (line.made) {
      out += line.made->content;
    } else {
      out += bytes.substr(line.raw.begin, line.raw.content_end - line.raw.begin);
    }
    out += BreakOf(line);
  }
  out += bytes.substr(splitter_.body_end());  // the odd last byte of a UTF-16 file
  return out;
}

}  // namespace qrx::profile
