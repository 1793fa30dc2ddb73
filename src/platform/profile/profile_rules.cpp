#include "platform/profile/profile_rules.h"

#include "base/text.h"

namespace qrx::profile {

namespace {

bool HasAny(std::u16string_view text, std::u16string_view chars) {
  return text.find_first_of(chars) != std::u16string_view::npos;
}

constexpr std::u16string_view kNulOrBreak{u"\0\r\n", 3};

}  // namespace

bool IsBlank(char16_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20;
}

std::u16string_view TrimLeadingBlanks(std::u16string_view text) {
  size_t begin = 0;
  while (begin < text.size() && IsBlank(text[begin])) ++begin;
  return text.substr(begin);
}

std::u16string_view TrimTrailingBlanks(std::u16string_view text) {
  size_t end = text.size();
  while (end > 0 && IsBlank(text[end - 1])) --end;
  return text.substr(0, end);
}

std::u16string_view TrimBlanks(std::u16string_view text) {
  return TrimTrailingBlanks(TrimLeadingBlanks(text));
}

bool SameName(std::u16string_view a, std::u16string_view b) {
  return EqualsIgnoreCase(a, b);
}

std::optional<std::u16string_view> LookupSection(std::u16string_view section) {
  const std::u16string_view name = TrimBlanks(section);
  if (name.empty() || HasAny(name, kNulOrBreak)) return std::nullopt;
  return name;
}

std::optional<std::u16string_view> LookupKey(std::u16string_view key) {
  const std::u16string_view name = TrimBlanks(key);
  if (name.empty() || name.front() == u';' || HasAny(name, kNulOrBreak) ||
      name.find(u'=') != std::u16string_view::npos) {
    return std::nullopt;
  }
  return name;
}

std::optional<std::u16string_view> WritableSection(std::u16string_view section) {
  const auto name = LookupSection(section);
  if (!name || name->find(u']') != std::u16string_view::npos) return std::nullopt;
  return name;
}

std::optional<std::u16string_view> WritableKey(std::u16string_view key) {
  const auto name = LookupKey(key);
  if (!name || name->front() == u'[') return std::nullopt;
  return name;
}

std::optional<std::u16string_view> WritableValue(std::u16string_view value) {
  if (HasAny(value, kNulOrBreak)) return std::nullopt;
  return TrimLeadingBlanks(value);
}

std::u16string_view StripQuotes(std::u16string_view value) {
  if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

std::u16string EffectiveDefault(std::u16string_view def) {
  size_t end = def.size();
  while (end > 1 && def[end - 1] == u' ') --end;
  return std::u16string(StripQuotes(def.substr(0, end)));
}

}  // namespace qrx::profile
