#include "platform/profile/profile_files.h"

#include "platform/profile/profile_document.h"
#include "platform/profile/profile_lines.h"
#include "platform/profile/profile_rules.h"

namespace qrx::profile {

namespace {

// A text as it comes back from the file: the API converts every argument to the code page,
// so a character the code page lacks is looked up, stored and returned as '?'.
std::u16string AsStored(const Codec& codec, std::u16string_view text) {
  for (const char16_t c : text) {
    if (c >= 0x80) return codec.Decode(codec.Encode(text));
  }
  return std::u16string(text);
}

std::u16string Default(const Codec& codec, std::u16string_view def) {
  return EffectiveDefault(AsStored(codec, def));
}

// Calls `visit(info)` for each line of the first section of the name until it returns true.
template <typename Visit>
void ForEachLineOfSection(std::string_view bytes, const Codec& codec, std::u16string_view name,
                          Visit&& visit) {
  LineSplitter splitter(bytes, codec);
  RawLine raw;
  bool inside = false;
  while (splitter.Next(&raw)) {
    if (!inside && !splitter.MayBeHeader(raw)) continue;
    const LineInfo info = ClassifyLine(splitter.Text(raw));
    if (info.kind == LineKind::kSection) {
      if (inside) return;  // a later section of the same name is never looked at
      inside = SameName(info.name, name);
    } else if (inside && visit(info)) {
      return;
    }
  }
}

// Writes the edited document unless nothing changed.
bool Store(FileAccess& io, std::u16string_view file, const std::optional<std::string>& old,
           const Document& doc) {
  if (!doc.changed()) return true;
  std::string bytes = doc.Bytes();
  if (old && bytes == *old) return true;
  return io.Replace(file, bytes);
}

// The file to edit, or nothing when it exists but cannot be read.
std::optional<std::optional<std::string>> LoadForEdit(FileAccess& io, std::u16string_view file) {
  std::optional<std::string> bytes = io.Read(file);
  if (!bytes && io.Exists(file)) return std::nullopt;
  return bytes;
}

}  // namespace

std::u16string GetString(FileAccess& io, const Codec& codec, std::u16string_view section,
                         std::u16string_view key, std::u16string_view def,
                         std::u16string_view file) {
  const std::u16string section_text = AsStored(codec, section);
  const std::u16string key_text = AsStored(codec, key);
  const auto section_name = LookupSection(section_text);
  const auto key_name = LookupKey(key_text);
  if (!section_name || !key_name) return Default(codec, def);
  const std::optional<std::string> bytes = io.Read(file);
  if (!bytes) return Default(codec, def);
  std::optional<std::u16string> found;
  ForEachLineOfSection(*bytes, codec, *section_name, [&](const LineInfo& info) {
    if (info.kind != LineKind::kKey || !SameName(info.name, *key_name)) return false;
    // The first line of the name decides, even one without "=" (which reads as missing).
    if (info.has_value) found = std::u16string(StripQuotes(info.value));
    return true;
  });
  return found ? std::move(*found) : Default(codec, def);
}

bool WriteString(FileAccess& io, const Codec& codec, std::u16string_view section,
                 std::u16string_view key, const std::optional<std::u16string>& value,
                 std::u16string_view file) {
  const std::u16string section_text = AsStored(codec, section);
  const std::u16string key_text = AsStored(codec, key);
  const std::u16string value_text = AsStored(codec, value.value_or(std::u16string()));
  const auto section_name = WritableSection(section_text);
  const auto key_name = WritableKey(key_text);
  if (!section_name || !key_name) return false;
  std::optional<std::u16string_view> text;
  if (value) {
    text = WritableValue(value_text);
    if (!text) return false;
  }
  const auto old = LoadForEdit(io, file);
  if (!old) return false;
  Document doc(old->value_or(std::string()), codec);
  const auto found = doc.FindSection(*section_name);
  if (!found) {
    if (!text) return true;  // deleting from a missing section changes nothing
    doc.Append(u"[" + std::u16string(*section_name) + u"]");
    doc.Append(std::u16string(*key_name) + u"=" + std::u16string(*text));
    return Store(io, file, *old, doc);
  }
  const auto line = doc.FindKey(*found, *key_name);
  if (!line) {
    if (text) {
      doc.InsertAfter(doc.LastFilledLine(*found),
                      std::u16string(*key_name) + u"=" + std::u16string(*text));
    }
  } else if (!text) {
    doc.Erase(*line, *line + 1);
  } else {
    const LineInfo info = doc.Info(*line);
    // The key keeps the spelling it has in the file.
    if (!info.has_value || info.value != *text) {
      doc.SetLine(*line, std::u16string(info.name) + u"=" + std::u16string(*text));
    }
  }
  return Store(io, file, *old, doc);
}

bool DeleteSection(FileAccess& io, const Codec& codec, std::u16string_view section,
                   std::u16string_view file) {
  const std::u16string section_text = AsStored(codec, section);
  const auto section_name = WritableSection(section_text);
  if (!section_name) return false;
  const auto old = LoadForEdit(io, file);
  if (!old) return false;
  Document doc(old->value_or(std::string()), codec);
  if (const auto found = doc.FindSection(*section_name)) doc.Erase(found->header, found->end);
  return Store(io, file, *old, doc);
}

std::vector<std::u16string> KeyNames(FileAccess& io, const Codec& codec,
                                     std::u16string_view section, std::u16string_view file) {
  std::vector<std::u16string> names;
  const std::u16string section_text = AsStored(codec, section);
  const auto section_name = LookupSection(section_text);
  if (!section_name) return names;
  const std::optional<std::string> bytes = io.Read(file);
  if (!bytes) return names;
  ForEachLineOfSection(*bytes, codec, *section_name, [&](const LineInfo& info) {
    // Lines without "=" and comments are not keys one can list.
    if (info.kind == LineKind::kKey && info.has_value) names.emplace_back(info.name);
    return false;
  });
  return names;
}

std::vector<std::u16string> SectionNames(FileAccess& io, const Codec& codec,
                                         std::u16string_view file) {
  std::vector<std::u16string> names;
  const std::optional<std::string> bytes = io.Read(file);
  if (!bytes) return names;
  LineSplitter splitter(*bytes, codec);
  RawLine raw;
  while (splitter.Next(&raw)) {
    if (!splitter.MayBeHeader(raw)) continue;
    const LineInfo info = ClassifyLine(splitter.Text(raw));
    // Lines before the first header, and "[]", form sections without a name: not listed.
    if (info.kind == LineKind::kSection && !info.name.empty()) names.emplace_back(info.name);
  }
  return names;
}

}  // namespace qrx::profile
