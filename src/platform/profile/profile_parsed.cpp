#include "platform/profile/profile_parsed.h"

#include "base/text.h"
#include "platform/profile/profile_lines.h"
#include "platform/profile/profile_rules.h"

namespace qrx::profile {

namespace {

uint64_t Hash(std::u16string_view text) {
  uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (const char16_t c : text) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

// A power of two with room for twice the keys, so probes stay short.
uint32_t TableSize(size_t keys) {
  uint32_t size = 8;
  while (size < keys * 2) size *= 2;
  return size;
}

}  // namespace

ParsedFile::ParsedFile(std::string_view bytes, const Codec& codec) {
  text_.reserve(bytes.size());
  LineSplitter splitter(bytes, codec);
  RawLine raw;
  // The section whose lines are being collected; none in the lines before the first header,
  // under "[]" and in a later section of a name already seen, which no lookup reaches.
  Section* current = nullptr;
  while (splitter.Next(&raw)) {
    if (current == nullptr && !splitter.MayBeHeader(raw)) continue;  // skipped undecoded
    const LineInfo info = ClassifyLine(splitter.Text(raw));
    if (info.kind == LineKind::kSection) {
      current = nullptr;
      if (info.name.empty()) continue;
      section_names_.emplace_back(info.name);
      std::u16string upper = UpperCase(info.name);
      if (FindSection(upper) == nullptr) {
        sections_.push_back({std::move(upper), {}});
        current = &sections_.back();
      }
    } else if (info.kind == LineKind::kKey && current != nullptr) {
      Key key;
      const std::u16string_view value = StripQuotes(info.value);
      key.name_ = static_cast<uint32_t>(text_.size());
      key.name_size_ = static_cast<uint32_t>(info.name.size());
      key.value_ = key.name_ + key.name_size_;
      key.value_size_ = static_cast<uint32_t>(value.size());
      key.upper_ = static_cast<uint32_t>(upper_.size());
      key.has_value_ = info.has_value;
      text_ += info.name;
      text_ += value;
      for (const char16_t c : info.name) upper_ += UpperChar(c);
      current->keys.push_back(key);
    }
  }
  uint32_t total = 0;
  for (Section& section : sections_) {
    section.table = total;
    section.table_size = TableSize(section.keys.size());
    total += section.table_size;
  }
  slots_.assign(total, 0);
  for (Section& section : sections_) {
    for (uint32_t i = 0; i < section.keys.size(); ++i) {
      uint32_t& slot = slots_[Probe(section, Upper(section.keys[i]))];
      if (slot == 0) slot = i + 1;
      section.keys[i].first_ = slot - 1;
    }
  }
}

std::u16string_view ParsedFile::Name(const Key& key) const {
  return std::u16string_view(text_).substr(key.name_, key.name_size_);
}

std::u16string_view ParsedFile::Value(const Key& key) const {
  return std::u16string_view(text_).substr(key.value_, key.value_size_);
}

std::u16string_view ParsedFile::Upper(const Key& key) const {
  return std::u16string_view(upper_).substr(key.upper_, key.name_size_);
}

const ParsedFile::Section* ParsedFile::FindSection(std::u16string_view upper_name) const {
  for (const Section& section : sections_) {
    if (section.upper_name == upper_name) return &section;
  }
  return nullptr;
}

uint32_t ParsedFile::Probe(const Section& section, std::u16string_view upper_name) const {
  const uint32_t mask = section.table_size - 1;
  for (uint32_t i = static_cast<uint32_t>(Hash(upper_name)) & mask;; i = (i + 1) & mask) {
    const uint32_t slot = slots_[section.table + i];
    if (slot == 0 || Upper(section.keys[slot - 1]) == upper_name) return section.table + i;
  }
}

const std::vector<ParsedFile::Key>* ParsedFile::Keys(std::u16string_view section) const {
  const Section* found = FindSection(UpperCase(section));
  return found == nullptr ? nullptr : &found->keys;
}

const ParsedFile::Key* ParsedFile::Find(std::u16string_view section,
                                        std::u16string_view key) const {
  const Section* found = FindSection(UpperCase(section));
  if (found == nullptr) return nullptr;
  const uint32_t slot = slots_[Probe(*found, UpperCase(key))];
  return slot == 0 ? nullptr : &found->keys[slot - 1];
}

}  // namespace qrx::profile
