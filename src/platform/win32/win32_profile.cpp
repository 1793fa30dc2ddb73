// The profile calls of the Win32 platform: the real private-profile API, in its ANSI forms.
// Names and values are checked with the rules the INI engine uses (profile_rules.h) before
// the API sees them, and results are read whole, growing the buffer until they fit.
#include "platform/win32/win32_api.h"
// (the API header first, so that its macros are gone before the interface is read)

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/text.h"
#include "platform/profile/profile_rules.h"
#include "platform/win32/win32_ansi.h"
#include "platform/win32/win32_platform.h"

namespace qrx {

namespace {

constexpr DWORD kFirstBuffer = 1024;
// No value or list comes near this; past it the result is taken as it is.
constexpr DWORD kLastBuffer = 1u << 26;

// Calls `read(buffer, size)` with ever larger buffers until the count it returns shows that
// nothing was cut: the API cuts silently and then reports size - 1 (a value) or size - 2
// (a list), so a result is whole only when it stays below that.
template <typename Read>
std::string ReadWhole(DWORD cut_slack, Read&& read) {
  std::string buffer(kFirstBuffer, '\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD count = read(buffer.data(), size);
    if (count + cut_slack < size || size >= kLastBuffer) {
      buffer.resize(std::min<DWORD>(count, size));
      return buffer;
    }
    buffer.assign(static_cast<size_t>(size) * 2, '\0');
  }
}

// The names of a list: each one ends with a NUL (an empty name is an empty entry).
std::vector<std::u16string> SplitNames(const Platform& os, std::string_view list) {
  std::vector<std::u16string> names;
  while (!list.empty()) {
    const size_t nul = std::min(list.find('\0'), list.size());
    names.push_back(os.FromAnsi(list.substr(0, nul)));
    list.remove_prefix(std::min(nul + 1, list.size()));
  }
  return names;
}

}  // namespace

std::u16string Win32Platform::ProfileGetString(std::u16string_view section, std::u16string_view key,
                                               std::u16string_view def, std::u16string_view file) {
  // The API sees the default up to its first NUL, in the code page.
  const std::u16string_view shown_def = def.substr(0, std::min(def.find(u'\0'), def.size()));
  const auto section_name = profile::LookupSection(section);
  const auto key_name = profile::LookupKey(key);
  const auto path = win32::AnsiZ(*this, file);
  // The ANSI API crashes on an empty section or key name; names no file can hold read as
  // missing without asking it.
  if (!section_name || !key_name || !path) {
    return profile::EffectiveDefault(FromAnsi(ToAnsi(shown_def)));
  }
  const std::string s = ToAnsi(*section_name);
  const std::string k = ToAnsi(*key_name);
  const std::string d = ToAnsi(shown_def);
  return FromAnsi(ReadWhole(1, [&](char* buffer, DWORD size) {
    return GetPrivateProfileStringA(s.c_str(), k.c_str(), d.c_str(), buffer, size, path->c_str());
  }));
}

bool Win32Platform::ProfileWriteString(std::u16string_view section, std::u16string_view key,
                                       const std::optional<std::u16string>& value,
                                       std::u16string_view file) {
  const auto section_name = profile::WritableSection(section);
  const auto key_name = profile::WritableKey(key);
  const auto path = win32::AnsiZ(*this, file);
  if (!section_name || !key_name || !path) return false;
  std::optional<std::string> text;
  if (value) {
    const auto stored = profile::WritableValue(*value);
    if (!stored) return false;
    text = ToAnsi(*stored);
  }
  const std::string s = ToAnsi(*section_name);
  const std::string k = ToAnsi(*key_name);
  return WritePrivateProfileStringA(s.c_str(), k.c_str(), text ? text->c_str() : nullptr,
                                    path->c_str()) != FALSE;
}

bool Win32Platform::ProfileDeleteSection(std::u16string_view section, std::u16string_view file) {
  const auto section_name = profile::WritableSection(section);
  const auto path = win32::AnsiZ(*this, file);
  if (!section_name || !path) return false;
  const std::string s = ToAnsi(*section_name);
  return WritePrivateProfileStringA(s.c_str(), nullptr, nullptr, path->c_str()) != FALSE;
}

std::vector<std::u16string> Win32Platform::ProfileKeyNames(std::u16string_view section,
                                                           std::u16string_view file) {
  const auto section_name = profile::LookupSection(section);
  const auto path = win32::AnsiZ(*this, file);
  if (!section_name || !path) return {};
  const std::string s = ToAnsi(*section_name);
  // An empty default: with a missing section the API would hand back the default as the list.
  return SplitNames(*this, ReadWhole(2, [&](char* buffer, DWORD size) {
    return GetPrivateProfileStringA(s.c_str(), nullptr, "", buffer, size, path->c_str());
  }));
}

std::vector<std::u16string> Win32Platform::ProfileSectionNames(std::u16string_view file) {
  const auto path = win32::AnsiZ(*this, file);
  if (!path) return {};
  return SplitNames(*this, ReadWhole(2, [&](char* buffer, DWORD size) {
    return GetPrivateProfileSectionNamesA(buffer, size, path->c_str());
  }));
}

std::vector<std::pair<std::u16string, std::u16string>> Win32Platform::ProfileSection(
    std::u16string_view section, std::u16string_view file) {
  const auto section_name = profile::LookupSection(section);
  const auto path = win32::AnsiZ(*this, file);
  if (!section_name || !path) return {};
  const std::string s = ToAnsi(*section_name);
  // One entry per key line of the section, "name=value" or, without "=", the name alone;
  // values come as they stand in the file, quotes and all.
  struct Line {
    std::u16string name;
    std::optional<std::u16string> value;
  };
  const std::string list = ReadWhole(2, [&](char* buffer, DWORD size) {
    return GetPrivateProfileSectionA(s.c_str(), buffer, size, path->c_str());
  });
  std::vector<Line> lines;
  for (const std::u16string& entry : SplitNames(*this, list)) {
    const std::u16string_view text = profile::TrimBlanks(entry);
    if (text.empty() || text.front() == u';') continue;
    const size_t eq = text.find(u'=');
    if (eq == std::u16string_view::npos) {
      lines.push_back({std::u16string(text), std::nullopt});
    } else {
      lines.push_back(
          {std::u16string(profile::TrimBlanks(text.substr(0, eq))),
           std::u16string(profile::StripQuotes(profile::TrimBlanks(text.substr(eq + 1))))});
    }
  }
  // Each name gets what a lookup of it gives: the first line of the name decides, and a name
  // that no lookup can reach gives the empty default.
  std::unordered_map<std::u16string, size_t> first;  // upper-cased name -> its first line
  for (size_t i = 0; i < lines.size(); ++i) first.try_emplace(UpperCase(lines[i].name), i);
  std::vector<std::pair<std::u16string, std::u16string>> entries;
  for (const Line& line : lines) {
    if (!line.value) continue;
    std::u16string value;
    const std::u16string stored = FromAnsi(ToAnsi(line.name));
    if (const auto key = profile::LookupKey(stored)) {
      const auto it = first.find(UpperCase(*key));
      if (it != first.end() && lines[it->second].value) value = *lines[it->second].value;
    }
    entries.emplace_back(line.name, std::move(value));
  }
  return entries;
}

}  // namespace qrx
