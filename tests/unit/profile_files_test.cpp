// The INI engine over a file held in memory: lookups, odd lines, listings, in-place edits and
// the writes it refuses.
#include "platform/profile/profile_files.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "platform/posix/cp932.h"

namespace qrx::profile {
namespace {

class MemoryFile : public FileAccess, public Codec {
 public:
  std::optional<std::string> bytes;
  bool unreadable = false;
  bool replace_fails = false;
  int replaces = 0;

  std::optional<std::string> Read(std::u16string_view) override {
    return unreadable ? std::nullopt : bytes;
  }
  bool Replace(std::u16string_view, std::string_view new_bytes) override {
    ++replaces;
    if (!replace_fails) bytes = std::string(new_bytes);
    return !replace_fails;
  }
  bool Exists(std::u16string_view) override { return bytes.has_value(); }
  std::u16string Decode(std::string_view b) const override { return Cp932Decode(b); }
  std::string Encode(std::u16string_view text) const override { return Cp932Encode(text); }
};

constexpr std::u16string_view kFile = u"C:\\test.ini";
using Names = std::vector<std::u16string>;

class ProfileFilesTest : public ::testing::Test {
 protected:
  std::u16string Get(std::u16string_view s, std::u16string_view k, std::u16string_view d = u"d") {
    return GetString(file_, file_, s, k, d, kFile);
  }
  bool Write(std::u16string_view s, std::u16string_view k, std::optional<std::u16string> v) {
    return WriteString(file_, file_, s, k, v, kFile);
  }
  bool DropSection(std::u16string_view s) { return DeleteSection(file_, file_, s, kFile); }
  Names Keys(std::u16string_view s) { return KeyNames(file_, file_, s, kFile); }
  Names Sections() { return SectionNames(file_, file_, kFile); }

  MemoryFile file_;
};

std::string Utf16File(std::u16string_view text) {
  std::string out = "\xFF\xFE";
  for (const char16_t c : text) out += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return out;
}

// --- lookups ---------------------------------------------------------------------------------

TEST_F(ProfileFilesTest, LookupsTrimMatchAndStripAsWindowsDoes) {
  file_.bytes = Cp932Encode(
      u"top=1\r\n[ sec ]  trailing words\r\n \t k1 \x0b = \x1a v 1 \x0c\r\n"
      u"a=b=c\r\nA=2\r\nk=v ;not a comment\r\n#h=2\r\nempty=\r\n=empty\r\n;c=1\r\n"
      u"noeq\r\nnoeq=1\r\n"
      u"q1=\"v\"\r\nq2='v'\r\nq3=\"v'\r\nq4=\"\"\r\nq5=\"\r\nq6=\"a\"b\"\r\nq7=\"\"v\"\"\r\n"
      u"[a]b]c\r\nk=1\r\n[bad\r\nbk=2\r\n[]\r\ne=1\r\n"
      u"[Ｓｅｃ]\r\nＫｅｙ=全角\r\nκλειδι=ελ\r\nключ=ру\r\n"
      u"[日本語]\r\nキー=値ソ表\r\n名前 = 　全角　\r\n"  // ソ and 表 end in 0x5C, the byte of "\"
      u"[SEC]\r\nlater=1\r\n");
  struct Case {
    std::u16string key, expected, def = u"d", section = u"sec";
  };
  // clang-format off
  const Case cases[] = {
      // Blanks 0x09-0x0D, 0x1A and 0x20 go around names and values; names match in any case.
      {u"\tk1 ", u"v 1", u"d", u" sec\t"}, {u"K1", u"v 1", u"d", u"SEC"},
      // The value runs from the first "=" to the end of the line; the first key of a name wins.
      {u"a", u"b=c"}, {u"k", u"v ;not a comment"}, {u"#h", u"2"}, {u"empty", u""},
      // One pair of matching quotes goes.
      {u"q1", u"v"}, {u"q2", u"v"}, {u"q3", u"\"v'"}, {u"q4", u""}, {u"q5", u"\""},
      {u"q6", u"a\"b"}, {u"q7", u"\"v\""},
      // A key line without "=" reads as missing and hides later ones; so does a later section.
      {u"noeq", u"d"}, {u"later", u"d"},
      // Names no line can hold, the lines before the first header and "[]": the default.
      {u"", u"d"}, {u"  ", u"d"}, {u";c", u"d"}, {std::u16string(u"c\0x", 3), u"d"},
      {u"top", u"d", u"d", u""}, {u"e", u"d", u"d", u""},
      // A header name runs to the last "]"; "[bad" is an ordinary line.
      {u"k", u"1", u"d", u"a]b"}, {u"bk", u"2", u"d", u"a]b"}, {u"bk", u"d", u"d", u"bad"},
      // Case folds full-width, Greek and Cyrillic letters; the full-width space is no blank.
      {u"ｋＥＹ", u"全角", u"d", u"ｓＥＣ"}, {u"ΚΛΕΙΔΙ", u"ελ", u"d", u"Ｓｅｃ"},
      {u"КЛЮЧ", u"ру", u"d", u"Ｓｅｃ"}, {u"キー", u"値ソ表", u"d", u"日本語"},
      {u"名前", u"　全角　", u"d", u"日本語"},
      // The default loses trailing spaces (never its first character), then one pair of
      // quotes, and comes back as the code page gives it.
      {u"x", u"def", u"def  "}, {u"x", u"def\t", u"def\t"}, {u"x", u" ", u"   "},
      {u"x", u"q", u"\"q\" "}, {u"x", u"?", u"é"}};
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(Get(c.section, c.key, c.def), c.expected)
        << Utf16ToUtf8(c.section) << " / " << Utf16ToUtf8(c.key);
  }
}

TEST_F(ProfileFilesTest, LineEndsEncodingsAndMissingFiles) {
  for (const char* text :
       {"[a]\rk=1\r\r[b]\rj=2", "[a]\nk=1\n\n[b]\nj=2\n", "[a]\r\n\n\rk=1\n\r\r\n[b]\r\nj=2"}) {
    file_.bytes = text;  // any run of CR and LF ends a line
    EXPECT_EQ(Get(u"a", u"k"), u"1") << text;
    EXPECT_EQ(Get(u"b", u"j"), u"2") << text;
  }
  file_.bytes = Utf16File(u"[日本]\r\nキー = 値\r\n");
  EXPECT_EQ(Get(u"日本", u"キー"), u"値");
  ASSERT_TRUE(Write(u"日本", u"新", u"あ"));  // a UTF-16 file stays one, mark and all
  EXPECT_EQ(file_.bytes, Utf16File(u"[日本]\r\nキー = 値\r\n新=あ\r\n"));
  file_.bytes = "\xEF\xBB\xBF[u]\r\nk=1\r\n[v]\r\nk=2\r\n";  // a UTF-8 mark is no mark
  EXPECT_EQ(Get(u"u", u"k"), u"d");
  EXPECT_EQ(Sections(), Names{u"v"});
  file_.bytes = std::string("Data \0 x\r\n[s]\r\nk=1\r\n", 19);  // NUL does not end the file
  EXPECT_EQ(Get(u"s", u"k"), u"1");
  file_.bytes.reset();
  EXPECT_EQ(Get(u"s", u"k"), u"d");
  EXPECT_EQ(Keys(u"s"), Names{});
  EXPECT_EQ(Sections(), Names{});
}

TEST_F(ProfileFilesTest, ListingsFollowTheFileOrder) {
  file_.bytes =
      "top=1\r\n[s]\r\nK1=1\r\nnoeq\r\n;c=1\r\n=empty\r\nk1=2\r\n\r\n[ t ]\r\nx=1\r\n[]\r\n"
      "[ ]\r\n[b\r\n[S]\r\nlater=1\r\n";
  // Keys: the lines with "=" of the first section of the name, duplicates and all.
  EXPECT_EQ(Keys(u" s "), (Names{u"K1", u"", u"k1"}));
  // Sections: duplicates kept, nameless ones skipped.
  EXPECT_EQ(Sections(), (Names{u"s", u"t", u"S"}));
}

TEST_F(ProfileFilesTest, SectionGivesEachListedKeyWithWhatItsLookupGives) {
  using Entries = std::vector<std::pair<std::u16string, std::u16string>>;
  file_.bytes = Cp932Encode(
      u"[s]\r\nK1=1\r\nnoeq\r\n;c=1\r\n=empty\r\nk1=2\r\nq=\"quoted\"\r\nnoeq=3\r\n"
      u" 名前 = 値 \r\n[S]\r\nlater=1\r\n");
  // Duplicates stay listed and take the first line's value; a name whose first line has no
  // "=" and a name no lookup can reach give the empty default.
  EXPECT_EQ(Section(file_, file_, u"s", kFile), (Entries{{u"K1", u"1"},
                                                         {u"", u""},
                                                         {u"k1", u"1"},
                                                         {u"q", u"quoted"},
                                                         {u"noeq", u""},
                                                         {u"名前", u"値"}}));
  EXPECT_EQ(Section(file_, file_, u"missing", kFile), Entries{});
  EXPECT_EQ(Section(file_, file_, u"", kFile), Entries{});
  // Whatever the file, it is what the key names and one lookup per name give.
  file_.bytes = Utf16File(u"[u]\r\né=1\r\n?=2\r\nÉ=3\r\n");
  for (std::u16string_view section : {u"u", u"s"}) {
    Entries expected;
    for (const auto& key : Keys(section)) expected.emplace_back(key, Get(section, key, u""));
    EXPECT_EQ(Section(file_, file_, section, kFile), expected);
  }
  EXPECT_EQ(Section(file_, file_, u"u", kFile)[0],
            (std::pair<std::u16string, std::u16string>{u"é", u"2"}));
  file_.bytes.reset();
  EXPECT_EQ(Section(file_, file_, u"s", kFile), Entries{});
}

// --- writes ------------------------------------------------------------------------------------

TEST_F(ProfileFilesTest, WritesCreateTheFileInCodePage932WithCrLfLines) {
  EXPECT_TRUE(Write(u"app", u"key", u"value"));
  EXPECT_TRUE(Write(u" 日本語 ", u" キー ", u"  ソ\\表 é  "));  // leading blanks go, trailing stay
  EXPECT_TRUE(Write(u"app", u"empty", u""));
  EXPECT_EQ(file_.bytes,
            Cp932Encode(u"[app]\r\nkey=value\r\nempty=\r\n[日本語]\r\nキー=ソ\\表 ?  \r\n"));
  EXPECT_EQ(Get(u"日本語", u"キー"), u"ソ\\表 ?");
}

TEST_F(ProfileFilesTest, EditsChangeOnlyTheLinesTheyTouch) {
  file_.bytes =
      "; head\r\n\r\ntop = 1\r\n\r\n[ sec ]  tail\n K1 = v1  \nnoeq\n;c=1\r\n\r\n[gone]\r\ng=1\r\n"
      "; note\r\n\r\n[next]\r\nx = \"q\"\r\nx=2\r\ndel=1\r\n\r\n[GONE]\r\nh=1\r\n[b]\r\nj=2";
  ASSERT_TRUE(Write(u"SEC", u"k1", u"new"));  // the key keeps its spelling and line break
  ASSERT_TRUE(Write(u"sec", u"noeq", u"val"));
  ASSERT_TRUE(Write(u"sec", u"n", u"2"));   // after the last filled line of the section
  ASSERT_TRUE(DropSection(u"gone"));        // the first of the name, up to the next header
  ASSERT_TRUE(Write(u"next", u"X", u"9"));  // the first key of the name
  ASSERT_TRUE(Write(u"next", u"DEL", std::nullopt));
  ASSERT_TRUE(Write(u"gone", u"h", std::nullopt));  // the header stays
  ASSERT_TRUE(Write(u"b", u"m", u"3"));             // the last line gets a line break first
  EXPECT_EQ(file_.bytes,
            "; head\r\n\r\ntop = 1\r\n\r\n[ sec ]  tail\nK1=new\nnoeq=val\n;c=1\r\nn=2\r\n\r\n"
            "[next]\r\nx=9\r\nx=2\r\n\r\n[GONE]\r\n[b]\r\nj=2\r\nm=3\r\n");
  file_.bytes = "[a]\r\n\r\n[b]\r\nj=2";
  ASSERT_TRUE(Write(u"a", u"k", u"1"));  // an empty section: right after its header
  ASSERT_TRUE(Write(u"c", u"o", u"4"));  // a new section at the end, after a line break
  EXPECT_EQ(file_.bytes, "[a]\r\nk=1\r\n\r\n[b]\r\nj=2\r\n[c]\r\no=4\r\n");
}

TEST_F(ProfileFilesTest, UnchangedValueWritesNothing) {
  file_.bytes = "[s]\n k = v  \n";
  EXPECT_TRUE(Write(u"S", u"K", u"v"));
  EXPECT_TRUE(Write(u"s", u"k", u"  v"));
  EXPECT_TRUE(Write(u"s", u"gone", std::nullopt));
  EXPECT_TRUE(Write(u"t", u"gone", std::nullopt));
  EXPECT_TRUE(DropSection(u"t"));
  EXPECT_EQ(file_.replaces, 0);
  EXPECT_TRUE(Write(u"s", u"k", u"v "));  // trailing blanks are part of a written value
  EXPECT_EQ(file_.bytes, "[s]\nk=v \n");
  file_.bytes.reset();
  EXPECT_TRUE(Write(u"s", u"k", std::nullopt));
  EXPECT_TRUE(DropSection(u"s"));
  EXPECT_FALSE(file_.bytes);  // nothing to delete creates no file
}

TEST_F(ProfileFilesTest, RefusedAndFailedWritesReplaceNothing) {
  const std::string before = "[s]\r\nk=v\r\n";
  file_.bytes = before;
  const std::u16string nul(1, u'\0');
  // clang-format off
  const std::u16string cases[][3] = {
      // Line breaks and NUL would inject keys and sections or cut the line.
      {u"s", u"k", u"v\r\nz=1"}, {u"s", u"k", u"v\n[t]"}, {u"s", u"k", u"v\rz=1"},
      {u"s", u"k", u"v" + nul + u"z"}, {u"s", u"k" + nul + u"x", u"1"}, {u"s", u"k\r\nz", u"1"},
      {u"a\r\n[b", u"k", u"1"},
      // A key that becomes a header, a comment, key "a" or nothing; an empty section name;
      // a section name with "]" ("[s]x]" reads back as "s]x" only by luck).
      {u"s", u"[x]y", u"1"}, {u"s", u" ;c", u"1"}, {u"s", u"a=b", u"1"}, {u"s", u" \t", u"1"},
      {u"  ", u"k", u"1"}, {u"s]x", u"k", u"1"}};
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_FALSE(Write(c[0], c[1], c[2])) << Utf16ToUtf8(c[0] + u" / " + c[1] + u" = " + c[2]);
  }
  EXPECT_FALSE(Write(u"s", u"[x]", std::nullopt));
  EXPECT_FALSE(DropSection(u"s]x"));
  EXPECT_FALSE(DropSection(u""));
  file_.unreadable = true;  // a file that exists but cannot be read is never replaced
  EXPECT_FALSE(Write(u"s", u"k", u"2"));
  EXPECT_FALSE(DropSection(u"s"));
  EXPECT_EQ(file_.replaces, 0);
  EXPECT_EQ(file_.bytes, before);
  file_.unreadable = false;
  file_.replace_fails = true;
  EXPECT_FALSE(Write(u"s", u"k", u"2"));
}

}  // namespace
}  // namespace qrx::profile
