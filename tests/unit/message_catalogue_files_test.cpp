// The message catalogues delivered in data/: DEF.MSG (code page 932, the one the program
// copies and merges) and EN.MSG (the English one a user may copy over the .MSG file).
//
// The files are read here with a small INI reader of the test's own, so that a fault in
// the files cannot hide behind a fault of the program's INI engine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/text.h"
#include "platform/posix/cp932.h"

namespace qrx {
namespace {

// ---------------------------------------------------------------------------------------
// What the program answers with: every key, and the answer parameters (#A = 0 ... #J = 9)
// that the command sets before it shows the key. A text may use only those; any other
// letter would show a value left over from an earlier answer.

struct RequiredKey {
  const char* section;
  const char* key;
  const char* params;  // the letters the answer sets
};

constexpr RequiredKey kRequired[] = {
    {"SYSTEM", "START", "AB"},  // product name, version
    {"SYSTEM", "END", ""},
    {"SYSTEM", "XYW", ""},
    {"SYSTEM", "INILOAD", ""},
    {"SYSTEM", "INPUT", ""},  // prompt of the input box, not an answer
    {"SYSTEM", "NEST", ""},
    {"SYSTEM", "FAIL", "A"},      // technical reason
    {"SYSTEM", "SAVE-ERR", "A"},  // the file that refused the write
    {"ELSE", "ERR", ""},
    {"MODE", "DIRECT", ""},
    {"MODE", "NORMAL", ""},
    {"SET", "ERR1", "A"},  // the unknown name
    {"SET", "ERR2", ""},   // #A is not set: it still holds the previous answer's value
    {"SET", "CLIP", "A"},
    {"SET", "CLIP-ERR", "A"},  // the text that could not be put there
    {"SET", "0-9", "AB"},      // value, variable number
    {"SET", "RND", "A"},
    {"SET", "POSTYPE", "A"},
    {"SET", "FIG", "A"},
    {"SET", "FPU", "A"},
    {"SET", "F01-15", "AB"},  // command, key name
    {"SET", "CLIPFLG-ON", "A"},
    {"SET", "CLIPFLG-OFF", "A"},
    {"SET", "TIMER-ADD", "AB"},  // time, command
    {"SET", "TIMER-DEL", "AB"},
    {"SET", "TIMER-ERR", "AB"},
    {"SET", "SKIN-ON", "A"},
    {"SET", "SKIN-OFF", ""},  // reached with an empty value: #A is not set
    {"SET", "MOVE-ON", "A"},
    {"SET", "MOVE-OFF", "A"},
    {"SET", "LINKIP", "A"},
    {"SET", "LINKPORT", "A"},
    {"SET", "MYPORT", "A"},
    {"SET", "MYPORT-ERR", "A"},
    {"ACTIVEKEY", "SET", "A"},
    {"ACTIVEKEY", "DEL", "A"},
    {"BAT", "ADD", "AB"},  // name, command line
    {"BAT", "DEL", "AB"},
    {"BAT", "VIEW", "AB"},
    {"BAT", "ERR", "AB"},
    {"LBAT", "ERR", "A"},   // path
    {"WAIT", "WAIT", "A"},  // seconds
    {"SH", "WAIT", ""},
    {"SHFO", "ERR", "A"},  // code
    {"SHFO", "NOOPT", ""},
    {"LHA32", "ERR", "A"},  // code
    {"LHA32", "NONE", ""},
    {"CONV", "CHG", ""},
    {"CONV", "DONE", ""},
    {"CONV", "ERR1", ""},
    {"CONV", "ERR2", ""},
    {"CONV", "ERR3", ""},
    {"CONV", "ERR4", ""},
    {"ECHO", "ADD", "AB"},  // file, text
    {"ECHO", "ERR", ""},
    {"INI", "R-OK", "ABCDE"},  // file, section, key, value read, variable number
    {"INI", "W-OK", "ABCD"},   // file, section, key, value
    {"INI", "ERR", "ABCD"},
    {"SEARCH", "ERR", "A"},  // the name searched for
    {"KABE", "CHG", "A"},    // picture file
    {"SS", "ON", ""},
    {"SS", "OFF", ""},
    {"SKIN", "NOSKINMODE", ""},
    {"CDDA", "OPEN", ""},
    {"CDDA", "PLAY", ""},
    {"CDDA", "STOP", ""},
    {"CDDA", "CLOSE", ""},
    {"CDDA", "RP", "A"},  // track
    {"CDDA", "ERR", ""},
    {"MCI", "OK", "AB"},     // return text, code
    {"MCI", "ERR", "AB"},    // error description, code
    {"LINK", "SEND", "AB"},  // text, own address + "|"
    {"LINK", "ERR", ""},
    {"LL", "ADD", "A"},  // address
    {"LL", "ERR", "A"},
    {"WOL", "SEND", ""},
    {"WOL", "ERR", ""},
    {"CALCRPN", "DONE", "A"},  // variable
    {"CALCRPN", "ERR1", ""},
    {"CALCRPN", "ERR2", ""},
    {"CALCRPN", "ERR3", ""},
    {"CALCRPN", "ERR4", ""},
    {"CALCRPN", "ERR5", ""},
};

// Result codes that must have their own text (#A = the code, shown as a normal answer).
constexpr const char* kRequiredShfoCodes[] = {"0",   "1",   "2",   "3",    "5",   "113",
                                              "117", "120", "124", "1026", "1223"};
constexpr const char* kRequiredLhaCodes[] = {"0",     "32773", "32780", "32787", "32792",
                                             "32793", "32796", "32799", "32800"};

// Sections whose other keys are decimal result codes.
bool IsResultCodeSection(std::u16string_view section) {
  return section == u"SHFO" || section == u"LHA32";
}

// ---------------------------------------------------------------------------------------
// Reading the files.

std::string ReadBytes(const std::string& name) {
  std::ifstream in(std::string(QRX_DATA_DIR) + "/" + name, std::ios::binary);
  EXPECT_TRUE(in.good()) << "cannot open " << name;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Entry {
  std::u16string key;
  std::u16string value;
};

struct Section {
  std::u16string name;
  std::vector<Entry> entries;
};

struct Catalogue {
  std::vector<Section> sections;
  std::vector<std::string> problems;  // lines not understood, duplicates

  const Section* FindSection(std::u16string_view name) const {
    for (const Section& s : sections) {
      if (EqualsIgnoreCase(s.name, name)) return &s;
    }
    return nullptr;
  }
  const std::u16string* Find(std::u16string_view section, std::u16string_view key) const {
    const Section* s = FindSection(section);
    if (!s) return nullptr;
    for (const Entry& e : s->entries) {
      if (EqualsIgnoreCase(e.key, key)) return &e.value;
    }
    return nullptr;
  }
};

std::u16string_view Trim(std::u16string_view text) {
  auto blank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// Sections "[name]", entries "key=value", comments ";...", empty lines. Anything else, an
// entry before the first section, and a repeated section or key are problems.
Catalogue Parse(std::u16string_view text) {
  Catalogue cat;
  std::size_t line_no = 0;
  while (!text.empty()) {
    ++line_no;
    const std::size_t end = text.find(u'\n');
    std::u16string_view line = Trim(text.substr(0, end));
    text = end == std::u16string_view::npos ? std::u16string_view() : text.substr(end + 1);
    const std::string where = "line " + std::to_string(line_no) + ": ";
    if (line.empty() || line.front() == u';') continue;
    if (line.front() == u'[') {
      if (line.back() != u']' || line.size() < 3) {
        cat.problems.push_back(where + "bad section header");
        continue;
      }
      std::u16string name(line.substr(1, line.size() - 2));
      if (cat.FindSection(name)) cat.problems.push_back(where + "section repeated");
      cat.sections.push_back({std::move(name), {}});
      continue;
    }
    const std::size_t eq = line.find(u'=');
    if (eq == std::u16string_view::npos || eq == 0) {
      cat.problems.push_back(where + "neither section nor key=value");
      continue;
    }
    if (cat.sections.empty()) {
      cat.problems.push_back(where + "entry before the first section");
      continue;
    }
    std::u16string key(Trim(line.substr(0, eq)));
    if (cat.Find(cat.sections.back().name, key)) cat.problems.push_back(where + "key repeated");
    cat.sections.back().entries.push_back({std::move(key), std::u16string(line.substr(eq + 1))});
  }
  return cat;
}

struct LoadedFile {
  std::string name;
  std::string bytes;
  std::u16string text;
  Catalogue cat;
  bool cp932 = false;

  // The value as the file stores it, in bytes (the unit of the platform's read buffer).
  std::size_t StoredSize(std::u16string_view value) const {
    return cp932 ? Cp932Encode(value).size() : Utf16ToUtf8(value).size();
  }
};

const LoadedFile& DefFile() {
  static const LoadedFile file = [] {
    LoadedFile f;
    f.name = "DEF.MSG";
    f.cp932 = true;
    f.bytes = ReadBytes(f.name);
    f.text = Cp932Decode(f.bytes);
    f.cat = Parse(f.text);
    return f;
  }();
  return file;
}

const LoadedFile& EnFile() {
  static const LoadedFile file = [] {
    LoadedFile f;
    f.name = "EN.MSG";
    f.bytes = ReadBytes(f.name);
    f.text = Utf8ToUtf16(f.bytes);
    f.cat = Parse(f.text);
    return f;
  }();
  return file;
}

std::vector<const LoadedFile*> BothFiles() {
  return {&DefFile(), &EnFile()};
}

std::string Show(std::u16string_view text) {
  return Utf16ToUtf8(text);
}

// The placeholders of a text, read the way the answer-parameter pass reads them: "#" and
// one character. Letters must be upper case A to J, digits 0 to 9; "##" is a literal "#".
struct Placeholders {
  std::set<char> params;  // 'A' .. 'J'
  std::vector<std::string> bad;
};

Placeholders Scan(std::u16string_view text) {
  Placeholders p;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'#') continue;
    if (i + 1 == text.size()) {
      p.bad.push_back("# at the end");
      break;
    }
    const char16_t c = text[++i];
    if (c >= u'A' && c <= u'J') {
      p.params.insert(static_cast<char>(c));
    } else if ((c >= u'0' && c <= u'9') || c == u'#') {
      // a user variable, or the escaped "#"
    } else {
      p.bad.push_back("#" + Show(std::u16string(1, c)));
    }
  }
  return p;
}

// Merge sizes: the platform lists names separated by NUL and ends the list with one more
// NUL; the merge reads section names and key names into 1024-character buffers.
std::size_t NameListSize(const std::vector<std::u16string>& names) {
  std::size_t size = 1;
  for (const auto& n : names) size += Utf16ToUtf8(n).size() + 1;
  return size;
}

bool IsDecimalCode(std::u16string_view key) {
  if (key.empty() || key.size() > 10) return false;
  if (key.size() > 1 && key.front() == u'0') return false;  // the program looks up "2", not "02"
  return std::all_of(key.begin(), key.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

const RequiredKey* FindRequired(std::u16string_view section, std::u16string_view key) {
  for (const RequiredKey& r : kRequired) {
    if (Ascii(r.section) == section && Ascii(r.key) == key) return &r;
  }
  return nullptr;
}

// ---------------------------------------------------------------------------------------
// The test's own reader.

TEST(MessageFileReader, ReadsSectionsEntriesAndComments) {
  const Catalogue cat = Parse(u"; note\r\n[A]\r\nX=1 #A\r\n\r\n[B]\r\nY = two=2\r\n");
  EXPECT_TRUE(cat.problems.empty());
  ASSERT_EQ(cat.sections.size(), 2u);
  ASSERT_NE(cat.Find(u"A", u"X"), nullptr);
  EXPECT_EQ(*cat.Find(u"A", u"X"), u"1 #A");
  ASSERT_NE(cat.Find(u"b", u"y"), nullptr);
  EXPECT_EQ(*cat.Find(u"B", u"Y"), u" two=2");  // untrimmed here; the blank test catches it
  EXPECT_EQ(cat.Find(u"A", u"Y"), nullptr);
}

TEST(MessageFileReader, ReportsWhatItDoesNotUnderstand) {
  EXPECT_EQ(Parse(u"X=1\r\n").problems.size(), 1u);  // before any section
  EXPECT_EQ(Parse(u"[A]\r\nno equals\r\n").problems.size(), 1u);
  EXPECT_EQ(Parse(u"[A\r\n").problems.size(), 1u);
  EXPECT_EQ(Parse(u"[A]\r\nX=1\r\nx=2\r\n").problems.size(), 1u);  // key repeated
  EXPECT_EQ(Parse(u"[A]\r\n[B]\r\n[a]\r\n").problems.size(), 1u);  // section repeated
}

TEST(MessageFileReader, ScansPlaceholdersLikeTheAnswerPass) {
  Placeholders p = Scan(u"#A and #B, $#3, ## and #J");
  EXPECT_EQ(p.params, (std::set<char>{'A', 'B', 'J'}));
  EXPECT_TRUE(p.bad.empty());
  EXPECT_EQ(Scan(u"#K").bad.size(), 1u);
  EXPECT_EQ(Scan(u"#a").bad.size(), 1u);
  EXPECT_EQ(Scan(u"100#").bad.size(), 1u);
  EXPECT_EQ(Scan(u"#\u3042").bad.size(), 1u);
}

// ---------------------------------------------------------------------------------------
// Encoding and line ends.

TEST(MessageFileEncoding, DefaultCatalogueHasNoByteOrderMark) {
  const std::string& bytes = DefFile().bytes;
  ASSERT_GE(bytes.size(), 3u);
  EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_NE(bytes.substr(0, 2), "\xFF\xFE");
}

TEST(MessageFileEncoding, DefaultCatalogueIsCodePage932) {
  const LoadedFile& def = DefFile();
  ASSERT_FALSE(def.bytes.empty());
  // Invalid sequences decode to "?": encoding back would then not give the same bytes.
  EXPECT_EQ(Cp932Encode(def.text), def.bytes);
  EXPECT_EQ(def.text.find(u'\uFFFD'), std::u16string::npos);
  EXPECT_EQ(std::count(def.text.begin(), def.text.end(), u'?'),
            std::count(def.bytes.begin(), def.bytes.end(), '?'));
  // It is the Japanese catalogue: it really holds double-byte text.
  EXPECT_TRUE(std::any_of(def.bytes.begin(), def.bytes.end(),
                          [](char c) { return static_cast<unsigned char>(c) >= 0x81; }));
}

TEST(MessageFileEncoding, EnglishCatalogueIsPlainAscii) {
  const std::string& bytes = EnFile().bytes;
  ASSERT_FALSE(bytes.empty());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    const bool ok = (c >= 0x20 && c < 0x7F) || c == '\r' || c == '\n';
    EXPECT_TRUE(ok) << "byte " << static_cast<int>(c) << " at offset " << i;
    if (!ok) break;
  }
}

TEST(MessageFileEncoding, LinesEndWithCrLfOnly) {
  for (const LoadedFile* f : BothFiles()) {
    SCOPED_TRACE(f->name);
    const std::string& b = f->bytes;
    ASSERT_GE(b.size(), 2u);
    EXPECT_EQ(b.substr(b.size() - 2), "\r\n") << "the last line must end too";
    for (std::size_t i = 0; i < b.size(); ++i) {
      if (b[i] == '\n') {
        ASSERT_TRUE(i > 0 && b[i - 1] == '\r') << "bare LF at offset " << i;
      } else if (b[i] == '\r') {
        ASSERT_TRUE(i + 1 < b.size() && b[i + 1] == '\n') << "bare CR at offset " << i;
      }
    }
  }
}

// ---------------------------------------------------------------------------------------
// Keys.

TEST(MessageFileKeys, FilesParseWithoutProblems) {
  for (const LoadedFile* f : BothFiles()) {
    SCOPED_TRACE(f->name);
    for (const std::string& p : f->cat.problems) ADD_FAILURE() << p;
    EXPECT_FALSE(f->cat.sections.empty());
  }
}

TEST(MessageFileKeys, EveryAnswerKeyHasText) {
  for (const LoadedFile* f : BothFiles()) {
    SCOPED_TRACE(f->name);
    for (const RequiredKey& r : kRequired) {
      const std::u16string* v = f->cat.Find(Ascii(r.section), Ascii(r.key));
      ASSERT_NE(v, nullptr) << r.section << "_" << r.key << " is missing";
      EXPECT_FALSE(Trim(*v).empty()) << r.section << "_" << r.key << " is empty";
    }
  }
}

TEST(MessageFileKeys, EveryCommonResultCodeHasText) {
  for (const LoadedFile* f : BothFiles()) {
    SCOPED_TRACE(f->name);
    for (const char* code : kRequiredShfoCodes) {
      const std::u16string* v = f->cat.Find(u"SHFO", Ascii(code));
      ASSERT_NE(v, nullptr) << "SHFO code " << code;
      EXPECT_FALSE(Trim(*v).empty()) << "SHFO code " << code;
    }
    for (const char* code : kRequiredLhaCodes) {
      const std::u16string* v = f->cat.Find(u"LHA32", Ascii(code));
      ASSERT_NE(v, nullptr) << "LHA32 code " << code;
      EXPECT_FALSE(Trim(*v).empty()) << "LHA32 code " << code;
    }
  }
}

TEST(MessageFileKeys, NoKeyTheProgramNeverAsksFor) {
  // A misspelt key ("TIMER_ADD", "ERR 1") would leave the real one to show as its own name.
  for (const LoadedFile* f : BothFiles()) {
    SCOPED_TRACE(f->name);
    for (const Section& s : f->cat.sections) {
      for (const Entry& e : s.entries) {
        const bool known =
            FindRequired(s.name, e.key) || (IsResultCodeSection(s.name) && IsDecimalCode(e.key));
        EXPECT_TRUE(known) << Show(s.name) << " / " << Show(e.key);
      }
    }
  }
}

TEST(MessageFileKeys, ArchiveCodesAreTheLibrarysRange) {
  for (const LoadedFile* f : BothFiles()) {
    SCOPED_TRACE(f->name);
    const Section* s = f->cat.FindSection(u"LHA32");
    ASSERT_NE(s, nullptr);
    for (const Entry& e : s->entries) {
      if (!IsDecimalCode(e.key)) continue;
      const long code = std::stol(Show(e.key));
      EXPECT_TRUE(code == 0 || (code > 0x8000 && code < 0x8100)) << Show(e.key);
    }
  }
}

TEST(MessageFileKeys, BothFilesHaveTheSameSectionsAndKeys) {
  auto key_set = [](const Catalogue& cat) {
    std::map<std::u16string, std::set<std::u16string>> keys;
    for (const Section& s : cat.sections) {
      auto& set = keys[UpperCase(s.name)];
      for (const Entry& e : s.entries) set.insert(UpperCase(e.key));
    }
    return keys;
  };
  const auto def = key_set(DefFile().cat);
  const auto en = key_set(EnFile().cat);
  for (const auto& [section, keys] : def) {
    auto it = en.find(section);
    ASSERT_NE(it, en.end()) << "EN.MSG lacks section " << Show(section);
    for (const auto& k : keys) {
      EXPECT_TRUE(it->second.count(k)) << "EN.MSG lacks " << Show(section) << " / " << Show(k);
    }
    for (const auto& k : it->second) {
      EXPECT_TRUE(keys.count(k)) << "DEF.MSG lacks " << Show(section) << " / " << Show(k);
    }
  }
  for (const auto& [section, keys] : en) {
    EXPECT_TRUE(def.count(section)) << "DEF.MSG lacks section " << Show(section);
  }
}

TEST(MessageFileKeys, SectionNamesCanBeReachedByAMessageKey) {
  // A message key is split at its first "_", so a section name cannot hold one.
  for (const LoadedFile* f : BothFiles()) {
    SCOPED_TRACE(f->name);
    for (const Section& s : f->cat.sections) {
      EXPECT_EQ(s.name.find(u'_'), std::u16string::npos) << Show(s.name);
      for (char16_t c : s.name) {
        EXPECT_TRUE((c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')) << Show(s.name);
      }
      for (const Entry& e : s.entries) {
        for (char16_t c : e.key) {
          const bool ok = (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-';
          EXPECT_TRUE(ok) << Show(s.name) << " / " << Show(e.key);
        }
      }
    }
  }
}

// ---------------------------------------------------------------------------------------
// Texts.

TEST(MessageFileTexts, PlaceholdersAreParametersOrVariables) {
  for (const LoadedFile* f : BothFiles()) {
    SCOPED_TRACE(f->name);
    for (const Section& s : f->cat.sections) {
      for (const Entry& e : s.entries) {
        for (const std::string& bad : Scan(e.value).bad) {
          ADD_FAILURE() << Show(s.name) << " / " << Show(e.key) << ": " << bad;
        }
      }
    }
  }
}

TEST(MessageFileTexts, TextsUseOnlyTheParametersTheirAnswerSets) {
  for (const LoadedFile* f : BothFiles()) {
    SCOPED_TRACE(f->name);
    for (const Section& s : f->cat.sections) {
      for (const Entry& e : s.entries) {
        std::string allowed;
        if (const RequiredKey* r = FindRequired(s.name, e.key)) {
          allowed = r->params;
        } else if (IsResultCodeSection(s.name)) {
          allowed = "A";  // the code
        }
        for (char p : Scan(e.value).params) {
          EXPECT_NE(allowed.find(p), std::string::npos)
              << Show(s.name) << " / " << Show(e.key) << " uses #" << p;
        }
      }
    }
  }
}

TEST(MessageFileTexts, BothLanguagesUseTheSamePlaceholders) {
  for (const Section& s : DefFile().cat.sections) {
    for (const Entry& e : s.entries) {
      const std::u16string* en = EnFile().cat.Find(s.name, e.key);
      if (!en) continue;  // reported by BothFilesHaveTheSameSectionsAndKeys
      EXPECT_EQ(Scan(e.value).params, Scan(*en).params) << Show(s.name) << " / " << Show(e.key);
    }
  }
}

TEST(MessageFileTexts, KeyPartsOfTheAnswersAreSpelledOut) {
  // The texts that hold a value must show it: an answer that drops it tells the user less
  // than the program knows.
  struct Must {
    const char* section;
    const char* key;
    const char* params;
  };
  constexpr Must kMust[] = {
      {"SYSTEM", "START", "AB"}, {"SYSTEM", "FAIL", "A"},  {"SET", "ERR1", "A"},
      {"SET", "0-9", "AB"},      {"SET", "F01-15", "AB"},  {"SET", "TIMER-ADD", "AB"},
      {"SET", "TIMER-ERR", "A"}, {"BAT", "VIEW", "AB"},    {"LBAT", "ERR", "A"},
      {"SHFO", "ERR", "A"},      {"LHA32", "ERR", "A"},    {"INI", "R-OK", "DE"},
      {"SEARCH", "ERR", "A"},    {"MCI", "ERR", "AB"},     {"CDDA", "RP", "A"},
      {"LL", "ERR", "A"},        {"CALCRPN", "DONE", "A"},
  };
  for (const LoadedFile* f : BothFiles()) {
    SCOPED_TRACE(f->name);
    for (const Must& m : kMust) {
      const std::u16string* v = f->cat.Find(Ascii(m.section), Ascii(m.key));
      ASSERT_NE(v, nullptr) << m.section << "_" << m.key;
      const std::set<char> used = Scan(*v).params;
      for (const char* p = m.params; *p; ++p) {
        EXPECT_TRUE(used.count(*p)) << m.section << "_" << m.key << " does not show #" << *p;
      }
    }
  }
}

TEST(MessageFileTexts, NoSoundOrSkinFieldsByDefault) {
  for (const LoadedFile* f : BothFiles()) {
    SCOPED_TRACE(f->name);
    for (const Section& s : f->cat.sections) {
      for (const Entry& e : s.entries) {
        EXPECT_EQ(e.value.find(u'|'), std::u16string::npos) << Show(s.name) << " / " << Show(e.key);
      }
    }
  }
}

TEST(MessageFileTexts, TextsReadBackUnchanged) {
  // The profile reader drops blanks around a value and one pair of enclosing quotes, and
  // returns at most 255 bytes.
  for (const LoadedFile* f : BothFiles()) {
    SCOPED_TRACE(f->name);
    for (const Section& s : f->cat.sections) {
      for (const Entry& e : s.entries) {
        const std::string where = Show(s.name) + " / " + Show(e.key);
        EXPECT_EQ(Trim(e.value), e.value) << where << ": blanks around the text";
        const std::u16string& v = e.value;
        const bool quoted =
            v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front();
        EXPECT_FALSE(quoted) << where << ": enclosed in quotes";
        EXPECT_LE(f->StoredSize(v), 255u) << where;
        EXPECT_TRUE(std::none_of(v.begin(), v.end(), [](char16_t c) { return c < 0x20; }))
            << where << ": control character";
      }
    }
  }
}

TEST(MessageFileTexts, TextsFitTheAnswerLine) {
  // One-line answers: generous bounds, in characters, before parameters are filled in.
  for (const LoadedFile* f : BothFiles()) {
    SCOPED_TRACE(f->name);
    const std::size_t limit = f->cp932 ? 40 : 64;
    for (const Section& s : f->cat.sections) {
      for (const Entry& e : s.entries) {
        EXPECT_LE(e.value.size(), limit) << Show(s.name) << " / " << Show(e.key);
      }
    }
  }
}

TEST(MessageFileTexts, DefaultTextsAreJapanese) {
  for (const Section& s : DefFile().cat.sections) {
    for (const Entry& e : s.entries) {
      EXPECT_TRUE(
          std::any_of(e.value.begin(), e.value.end(), [](char16_t c) { return c >= 0x3000; }))
          << Show(s.name) << " / " << Show(e.key) << " has no Japanese text";
    }
  }
}

// ---------------------------------------------------------------------------------------
// Merge limits.

TEST(MessageFileMerge, SectionNamesFitTheMergeBuffer) {
  for (const LoadedFile* f : BothFiles()) {
    SCOPED_TRACE(f->name);
    std::vector<std::u16string> names;
    for (const Section& s : f->cat.sections) names.push_back(s.name);
    EXPECT_LE(NameListSize(names), 1024u);
  }
}

TEST(MessageFileMerge, KeyNamesOfEverySectionFitTheMergeBuffer) {
  for (const LoadedFile* f : BothFiles()) {
    SCOPED_TRACE(f->name);
    for (const Section& s : f->cat.sections) {
      std::vector<std::u16string> keys;
      for (const Entry& e : s.entries) keys.push_back(e.key);
      EXPECT_LE(NameListSize(keys), 1024u) << Show(s.name);
    }
  }
}

TEST(MessageFileMerge, NameListSizeCountsSeparatorsAndTheFinalNul) {
  EXPECT_EQ(NameListSize({}), 1u);
  EXPECT_EQ(NameListSize({u"SET", u"0-9"}), 9u);
}

}  // namespace
}  // namespace qrx
