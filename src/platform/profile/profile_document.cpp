#include "platform/profile/profile_document.h"

#include "platform/profile/profile_rules.h"

namespace qrx::profile {

Document::Document(std::string_view bytes, const Codec& codec) : codec_(codec) {
  LineSplitter splitter(bytes, codec);
  encoding_ = splitter.encoding();
  head_ = bytes.substr(0, splitter.body_begin());
  tail_ = bytes.substr(splitter.body_end());
  RawLine raw;
  while (splitter.Next(&raw)) {
    lines_.push_back({std::string(bytes.substr(raw.begin, raw.content_end - raw.begin)),
                      std::string(bytes.substr(raw.content_end, raw.end - raw.content_end)),
                      std::u16string(splitter.Text(raw))});
  }
}

std::optional<Document::Section> Document::FindSection(std::u16string_view name) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    const LineInfo info = Info(i);
    if (info.kind != LineKind::kSection || !SameName(info.name, name)) continue;
    size_t end = i + 1;
    while (end < lines_.size() && Info(end).kind != LineKind::kSection) ++end;
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
  size_t last = section.header;
  for (size_t i = section.header + 1; i < section.end; ++i) {
    if (Info(i).kind != LineKind::kBlank) last = i;
  }
  return last;
}

Document::Line Document::MakeLine(std::u16string_view text) const {
  return {EncodeLine(text, encoding_, codec_), std::string(LineBreak(encoding_)),
          std::u16string(text)};
}

void Document::EnsureBreak(size_t index) {
  if (lines_[index].brk.empty()) lines_[index].brk = LineBreak(encoding_);
}

void Document::SetLine(size_t index, std::u16string_view text) {
  Line line = MakeLine(text);
  line.brk = std::move(lines_[index].brk);
  lines_[index] = std::move(line);
  changed_ = true;
}

void Document::InsertAfter(size_t index, std::u16string_view text) {
  EnsureBreak(index);
  lines_.insert(lines_.begin() + static_cast<ptrdiff_t>(index) + 1, MakeLine(text));
  changed_ = true;
}

void Document::Append(std::u16string_view text) {
  if (!lines_.empty()) EnsureBreak(lines_.size() - 1);
  lines_.push_back(MakeLine(text));
  changed_ = true;
}

void Document::Erase(size_t from, size_t to) {
  if (from >= to) return;
  lines_.erase(lines_.begin() + static_cast<ptrdiff_t>(from),
               lines_.begin() + static_cast<ptrdiff_t>(to));
  changed_ = true;
}

std::string Document::Bytes() const {
  std::string out = head_;
  for (const Line& line : lines_) {
    out += line.content;
    out += line.brk;
  }
  out += tail_;
  return out;
}

}  // namespace qrx::profile
