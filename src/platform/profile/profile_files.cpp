#include "platform/profile/profile_files.h"

#include "platform/profile/profile_document.h"
#include "platform/profile/profile_parsed.h"
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

// Whether a text comes back from the code page as it is.
bool KeptByCodePage(const Codec& codec, std::u16string_view text) {
  for (const char16_t c : text) {
    if (c >= 0x80) return codec.Decode(codec.Encode(text)) == text;
  }
  return true;
}

std::u16string Default(const Codec& codec, std::u16string_view def) {
  return EffectiveDefault(AsStored(codec, def));
}

// A section or key argument as a lookup searches for it (through the code page, blanks
// around it dropped), or nothing when no line of a file can hold it.
std::optional<std::u16string> SectionArgument(const Codec& codec, std::u16string_view section) {
  const std::u16string text = AsStored(codec, section);
  const auto name = LookupSection(text);
  return name ? std::optional<std::u16string>(*name) : std::nullopt;
}
std::optional<std::u16string> KeyArgument(const Codec& codec, std::u16string_view key) {
  const std::u16string text = AsStored(codec, key);
  const auto name = LookupKey(text);
  return name ? std::optional<std::u16string>(*name) : std::nullopt;
}

// The value the first line of the key gives, or nothing when there is no such line or it has
// no "=" (a line without "=" hides a later one with it).
std::optional<std::u16string_view> Value(const ParsedFile* parsed, std::u16string_view section,
                                         std::u16string_view key) {
  const ParsedFile::Key* found = parsed ? parsed->Find(section, key) : nullptr;
  if (found == nullptr || !found->has_value()) return std::nullopt;
  return parsed->Value(*found);
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

std::shared_ptr<const ParsedFile> FileAccess::Parse(std::u16string_view path, const Codec& codec) {
  const std::optional<std::string> bytes = Read(path);
  if (!bytes) return nullptr;
  return std::make_shared<const ParsedFile>(*bytes, codec);
}

std::u16string GetString(FileAccess& io, const Codec& codec, std::u16string_view section,
                         std::u16string_view key, std::u16string_view def,
                         std::u16string_view file) {
  const auto section_name = SectionArgument(codec, section);
  const auto key_name = KeyArgument(codec, key);
  if (!section_name || !key_name) return Default(codec, def);
  const auto parsed = io.Parse(file, codec);
  const auto value = Value(parsed.get(), *section_name, *key_name);
  return value ? std::u16string(*value) : Default(codec, def);
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
  Document doc(old->has_value() ? std::string_view(**old) : std::string_view(), codec);
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
  Document doc(old->has_value() ? std::string_view(**old) : std::string_view(), codec);
  if (const auto found = doc.FindSection(*section_name)) doc.Erase(found->header, found->end);
  return Store(io, file, *old, doc);
}

std::vector<std::u16string> KeyNames(FileAccess& io, const Codec& codec,
                                     std::u16string_view section, std::u16string_view file) {
  std::vector<std::u16string> names;
  const auto section_name = SectionArgument(codec, section);
  if (!section_name) return names;
  const auto parsed = io.Parse(file, codec);
  const auto* keys = parsed ? parsed->Keys(*section_name) : nullptr;
  if (keys == nullptr) return names;
  // Lines without "=" are not keys one can list.
  for (const ParsedFile::Key& key : *keys) {
    if (key.has_value()) names.emplace_back(parsed->Name(key));
  }
  return names;
}

std::vector<std::u16string> SectionNames(FileAccess& io, const Codec& codec,
                                         std::u16string_view file) {
  const auto parsed = io.Parse(file, codec);
  if (!parsed) return {};
  return parsed->SectionNames();
}

std::vector<std::pair<std::u16string, std::u16string>> Section(FileAccess& io, const Codec& codec,
                                                               std::u16string_view section,
                                                               std::u16string_view file) {
  std::vector<std::pair<std::u16string, std::u16string>> entries;
  const auto section_name = SectionArgument(codec, section);
  if (!section_name) return entries;
  const auto parsed = io.Parse(file, codec);
  const auto* keys = parsed ? parsed->Keys(*section_name) : nullptr;
  if (keys == nullptr) return entries;
  entries.reserve(keys->size());
  for (const ParsedFile::Key& key : *keys) {
    if (!key.has_value()) continue;
    const std::u16string_view name = parsed->Name(key);
    std::optional<std::u16string_view> value;
    if (LookupKey(name) == name && KeptByCodePage(codec, name)) {
      // The name looked up is the name itself: the first line of it decides.
      const ParsedFile::Key& first = (*keys)[key.first()];
      if (first.has_value()) value = parsed->Value(first);
    } else if (const auto key_name = KeyArgument(codec, name)) {
      // A name that the code page or the lookup rules change is looked up as GetString would.
      value = Value(parsed.get(), *section_name, *key_name);
    }
    entries.emplace_back(name, value.value_or(std::u16string_view()));
  }
  return entries;
}

}  // namespace qrx::profile
