// The INI engine on one file held in memory: the input gives the file's first bytes and a
// series of reads, writes, deletions and listings. Besides the sanitizers, every step checks
// what the engine promises:
//   - a write that succeeds reads back as the value (blanks around it trimmed, one pair of
//     quotes removed, characters code page 932 lacks as '?'), its key is listed in its
//     section, the section is listed, and writing the same again changes no byte;
//   - a write, a deletion or a section deletion changes no other key's value and no other
//     section's place in the listing;
//   - a refused or failed write changes no byte;
//   - a value that a lookup finds belongs to a listed key of a listed section.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/text.h"
#include "cpu_budget.h"
#include "platform/posix/cp932.h"
#include "platform/profile/profile_files.h"
#include "platform/profile/profile_rules.h"

namespace {

namespace profile = qrx::profile;
using Names = std::vector<std::u16string>;

constexpr char16_t kPath[] = u"f.ini";
constexpr char16_t kSentinel[] = u"\x01(default)";

class MemoryFile : public profile::FileAccess {
 public:
  std::optional<std::string> bytes;  // nothing: the file does not exist
  bool unreadable = false;           // something is there that cannot be read (a folder)

  std::optional<std::string> Read(std::u16string_view) override {
    if (unreadable) return std::nullopt;
    return bytes;
  }
  bool Replace(std::u16string_view, std::string_view new_bytes) override {
    if (unreadable) return false;
    bytes = std::string(new_bytes);
    return true;
  }
  bool Exists(std::u16string_view) override { return unreadable || bytes.has_value(); }
};

class Cp932 : public profile::Codec {
 public:
  std::u16string Decode(std::string_view b) const override { return qrx::Cp932Decode(b); }
  std::string Encode(std::u16string_view t) const override { return qrx::Cp932Encode(t); }
};

[[noreturn]] void Fail(const char* what, std::u16string_view a = {}, std::u16string_view b = {}) {
  std::fprintf(stderr, "invariant broken: %s [%s] [%s]\n", what, qrx::Utf16ToUtf8(a).c_str(),
               qrx::Utf16ToUtf8(b).c_str());
  std::abort();
}

class Engine {
 public:
  MemoryFile file;
  Cp932 codec;

  std::u16string Get(std::u16string_view s, std::u16string_view k) {
    return profile::GetString(file, codec, s, k, kSentinel, kPath);
  }
  bool Write(std::u16string_view s, std::u16string_view k, std::optional<std::u16string> v) {
    return profile::WriteString(file, codec, s, k, v, kPath);
  }
  bool DeleteSection(std::u16string_view s) {
    return profile::DeleteSection(file, codec, s, kPath);
  }
  Names Keys(std::u16string_view s) { return profile::KeyNames(file, codec, s, kPath); }
  Names Sections() { return profile::SectionNames(file, codec, kPath); }

  // A text as the engine stores it: through the code page, blanks around it dropped.
  std::u16string Stored(std::u16string_view text) const {
    return std::u16string(profile::TrimBlanks(codec.Decode(codec.Encode(text))));
  }

  // Every value a lookup can reach: the keys listed in the first section of each name, by
  // the names a lookup uses. Those pass through the code page like every argument, so in a
  // UTF-16 file a listed name with a character code page 932 lacks reaches the section or
  // key whose name has "?" there, as with the ANSI profile API of Windows.
  using Values = std::map<std::pair<std::u16string, std::u16string>, std::u16string>;
  Values Snapshot() {
    Values values;
    for (const auto& s : Sections()) {
      for (const auto& k : Keys(s)) {
        values.emplace(std::make_pair(qrx::UpperCase(Stored(s)), qrx::UpperCase(Stored(k))),
                       Get(s, k));
      }
    }
    return values;
  }
};

bool Contains(const Names& names, std::u16string_view name) {
  for (const auto& n : names) {
    if (profile::SameName(n, name)) return true;
  }
  return false;
}

// `before` and `after` agree on every entry `skip` does not accept.
template <typename Skip>
void SameExcept(const Engine::Values& before, const Engine::Values& after, Skip skip) {
  auto drop = [&](const Engine::Values& v) {
    Engine::Values kept;
    for (const auto& [names, value] : v) {
      if (!skip(names.first, names.second)) kept.emplace(names, value);
    }
    return kept;
  };
  if (drop(before) != drop(after)) Fail("a write changed another key");
}

// Texts for names and values: from the file itself, from the code page, or any UTF-16.
std::u16string Text(FuzzedDataProvider& in, Engine& engine, bool section) {
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0: {
      const Names sections = engine.Sections();
      if (sections.empty()) return u"s";
      const std::u16string& s = sections[in.ConsumeIntegralInRange<size_t>(0, sections.size() - 1)];
      if (section) return s;
      const Names keys = engine.Keys(s);
      if (keys.empty()) return u"k";
      return keys[in.ConsumeIntegralInRange<size_t>(0, keys.size() - 1)];
    }
    case 1: {
      std::u16string text;
      const size_t n = in.ConsumeIntegralInRange<size_t>(0, 12);
      for (size_t i = 0; i < n && in.remaining_bytes() >= 2; ++i) {
        text.push_back(in.ConsumeIntegral<char16_t>());
      }
      return text;
    }
    default:
      return qrx::Cp932Decode(in.ConsumeRandomLengthString(24));
  }
}

void CheckWrite(Engine& e, const std::u16string& s, const std::u16string& k,
                const std::optional<std::u16string>& v) {
  const std::optional<std::string> old_bytes = e.file.bytes;
  const Names old_sections = e.Sections();
  const Engine::Values before = e.Snapshot();
  if (!e.Write(s, k, v)) {
    if (e.file.bytes != old_bytes) Fail("a refused write changed the file", s, k);
    return;
  }
  const std::u16string ss = e.Stored(s), sk = e.Stored(k);
  SameExcept(before, e.Snapshot(), [&](const std::u16string& a, const std::u16string& b) {
    return profile::SameName(a, ss) && profile::SameName(b, sk);
  });
  const Names sections = e.Sections();
  if (!v) {
    if (sections != old_sections) Fail("deleting a key changed the sections", s, k);
    // A later line of the same name may come to light; otherwise the key is gone.
    if (e.Get(s, k) != kSentinel && !Contains(e.Keys(s), sk)) Fail("deleted key still read", s, k);
    return;
  }
  Names expected_sections = old_sections;
  if (!Contains(old_sections, ss)) expected_sections.push_back(ss);
  if (sections != expected_sections) Fail("a write changed the section list", s, k);
  const std::u16string expected(profile::StripQuotes(e.Stored(*v)));
  if (e.Get(s, k) != expected) Fail("a write did not read back", e.Get(s, k), expected);
  if (!Contains(e.Keys(s), sk)) Fail("a written key is not listed", s, k);
  const std::optional<std::string> written = e.file.bytes;
  if (!e.Write(s, k, v) || e.file.bytes != written) Fail("the same write changed bytes", s, k);
}

void CheckDeleteSection(Engine& e, const std::u16string& s) {
  const std::optional<std::string> old_bytes = e.file.bytes;
  Names sections = e.Sections();
  const Engine::Values before = e.Snapshot();
  if (!e.DeleteSection(s)) {
    if (e.file.bytes != old_bytes) Fail("a refused section deletion changed the file", s);
    return;
  }
  const std::u16string ss = e.Stored(s);
  SameExcept(before, e.Snapshot(), [&](const std::u16string& a, const std::u16string&) {
    return profile::SameName(a, ss);
  });
  for (auto it = sections.begin(); it != sections.end(); ++it) {
    if (profile::SameName(*it, ss)) {
      sections.erase(it);
      break;
    }
  }
  if (e.Sections() != sections) Fail("a section deletion changed other sections", s);
}

void CheckGet(Engine& e, const std::u16string& s, const std::u16string& k) {
  if (e.Get(s, k) == kSentinel) return;
  const std::u16string ss = e.Stored(s);
  if (!Contains(e.Sections(), ss) || !Contains(e.Keys(ss), e.Stored(k))) {
    Fail("a value was found for a key that is not listed", s, k);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qrx::fuzz::CpuBudget budget;
  FuzzedDataProvider in(data, size);
  Engine e;
  const uint8_t mode = in.ConsumeIntegral<uint8_t>();
  if (mode % 8 != 0) e.file.bytes = in.ConsumeRandomLengthString(4096);
  e.file.unreadable = mode == 0xFF;
  for (int step = 0; step < 32 && in.remaining_bytes() > 0; ++step) {
    switch (in.ConsumeIntegralInRange(0, 4)) {
      case 0: {
        const std::u16string s = Text(in, e, true), k = Text(in, e, false);
        CheckGet(e, s, k);
        break;
      }
      case 1: {
        const std::u16string s = Text(in, e, true), k = Text(in, e, false);
        CheckWrite(e, s, k, Text(in, e, false));
        break;
      }
      case 2: {
        const std::u16string s = Text(in, e, true), k = Text(in, e, false);
        CheckWrite(e, s, k, std::nullopt);
        break;
      }
      case 3:
        CheckDeleteSection(e, Text(in, e, true));
        break;
      default:
        for (const auto& s : e.Sections()) e.Keys(s);
        break;
    }
  }
  budget.Check();
  return 0;
}
