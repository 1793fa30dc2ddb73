#include "platform/profile/profile_parsed.h"

#include "base/text.h"
#include "platform/profile/profile_lines.h"
#include "platform/profile/profile_rules.h"

namespace qrx::profile {

ParsedFile::ParsedFile(std::string_view bytes, const Codec& codec) {
  LineSplitter splitter(bytes, codec);
  RawLine raw;
  // The section whose lines are being collected; nullptr in the lines before the first header,
  // under "[]" and in a later section of a name already seen, which no lookup reaches.
  Section* current = nullptr;
  while (splitter.Next(&raw)) {
    if (current == nullptr && !splitter.MayBeHeader(raw)) continue;  // skipped undecoded
    const LineInfo info = ClassifyLine(splitter.Text(raw));
    if (info.kind == LineKind::kSection) {
      current = nullptr;
      if (info.name.empty()) continue;
      section_names_.emplace_back(info.name);
      const auto [it, added] = sections_.try_emplace(UpperCase(info.name));
      if (added) current = &it->second;
    } else if (info.kind == LineKind::kKey && current != nullptr) {
      current->first.try_emplace(UpperCase(info.name), current->keys.size());
      current->keys.push_back(
          {std::u16string(info.name), info.has_value, std::u16string(StripQuotes(info.value))});
    }
  }
}

const std::vector<ParsedFile::Key>* ParsedFile::Keys(std::u16string_view section) const {
  const auto it = sections_.find(UpperCase(section));
  return it == sections_.end() ? nullptr : &it->second.keys;
}

const ParsedFile::Key* ParsedFile::Find(std::u16string_view section,
                                        std::u16string_view key) const {
  const auto it = sections_.find(UpperCase(section));
  if (it == sections_.end()) return nullptr;
  const auto found = it->second.first.find(UpperCase(key));
  return found == it->second.first.end() ? nullptr : &it->second.keys[found->second];
}

}  // namespace qrx::profile
