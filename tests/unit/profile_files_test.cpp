// The INI engine over files held in memory: lookups, odd lines, listings, in-place edits and
// the writes it refuses.
#include "platform/profile/profile_files.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "platform/posix/cp932.h"
#include "platform/profile/profile_rules.h"

namespace qrx::profile {
namespace {

class MemoryFiles : public FileAccess {
 public:
  std::map<std::u16string, std::string> files;
  std::set<std::u16string> unreadable;
  bool replace_fails = false;
  int replaces = 0;

  std::optional<std::string> Read(std::u16string_view path) override {
    const auto it = files.find(std::u16string(path));
    if (it == files.end() || unreadable.count(std::u16string(path))) return std::nullopt;
    return it->second;
  }
  bool Replace(std::u16string_view path, std::string_view bytes) override {
    ++replaces;
    if (replace_fails) return false;
    files[std::u16string(path)] = std::string(bytes);
    return true;
  }
  bool Exists(std::u16string_view path) override { return files.count(std::u16string(path)) > 0; }
};

class Cp932 : public Codec {
 public:
  std::u16string Decode(std::string_view bytes) const override { return Cp932Decode(bytes); }
  std::string Encode(std::u16string_view text) const override { return Cp932Encode(text); }
};

constexpr std::u16string_view kFile = u"C:\\test.ini";

class ProfileFilesTest : public ::testing::Test {
 protected:
  void Put(std::string_view bytes) { io_.files[std::u16string(kFile)] = std::string(bytes); }
  std::string Bytes() { return io_.files[std::u16string(kFile)]; }
  bool HasFile() { return io_.files.count(std::u16string(kFile)) > 0; }
  std::u16string Get(std::u16string_view s, std::u16string_view k, std::u16string_view d = u"d") {
    return GetString(io_, codec_, s, k, d, kFile);
  }
  bool Write(std::u16string_view s, std::u16string_view k, std::optional<std::u16string> v) {
    return WriteString(io_, codec_, s, k, v, kFile);
  }
  bool DropSection(std::u16string_view s) { return DeleteSection(io_, codec_, s, kFile); }
  std::vector<std::u16string> Keys(std::u16string_view s) {
    return KeyNames(io_, codec_, s, kFile);
  }
  std::vector<std::u16string> Sections() { return SectionNames(io_, codec_, kFile); }

  MemoryFiles io_;
  Cp932 codec_;
};

using Names = std::vector<std::u16string>;

// --- lookups ---------------------------------------------------------------------------------

TEST_F(ProfileFilesTest, BlanksAroundNamesValuesAndArgumentsAreIgnored) {
  Put("[ sec ]  trailing words\r\n \t k1 \x0b = \x1a v 1 \x0c\r\n");
  EXPECT_EQ(Get(u"sec", u"k1"), u"v 1");
  EXPECT_EQ(Get(u" sec\t", u"\tk1 "), u"v 1");
}

TEST_F(ProfileFilesTest, NamesMatchWithoutRegardToCaseIncludingFullWidthLetters) {
  Put(Cp932Encode(u"[Ｓｅｃ]\r\nＫｅｙ=全角\r\n[Section]\r\nκλειδι=ελ\r\nключ=ру\r\n"));
  EXPECT_EQ(Get(u"ｓＥＣ", u"ｋＥＹ"), u"全角");
  EXPECT_EQ(Get(u"SECTION", u"ΚΛΕΙΔΙ"), u"ελ");
  EXPECT_EQ(Get(u"section", u"КЛЮЧ"), u"ру");
}

TEST_F(ProfileFilesTest, ValueRunsFromTheFirstEqualsToTheEndOfTheLine) {
  Put("[s]\r\na=b=c\r\nk=v ;not a comment\r\n#h=2\r\nempty=\r\n");
  EXPECT_EQ(Get(u"s", u"a"), u"b=c");
  EXPECT_EQ(Get(u"s", u"k"), u"v ;not a comment");
  EXPECT_EQ(Get(u"s", u"#h"), u"2");  // only ";" starts a comment
  EXPECT_EQ(Get(u"s", u"empty"), u"");
}

TEST_F(ProfileFilesTest, OnePairOfMatchingQuotesIsRemoved) {
  Put("[s]\r\nq1=\"v\"\r\nq2='v'\r\nq3=\"v'\r\nq4=\"\"\r\nq5=\"\r\nq6=\"a\"b\"\r\nq7="
      "\"\"v\"\"\r\n");
  EXPECT_EQ(Get(u"s", u"q1"), u"v");
  EXPECT_EQ(Get(u"s", u"q2"), u"v");
  EXPECT_EQ(Get(u"s", u"q3"), u"\"v'");
  EXPECT_EQ(Get(u"s", u"q4"), u"");
  EXPECT_EQ(Get(u"s", u"q5"), u"\"");
  EXPECT_EQ(Get(u"s", u"q6"), u"a\"b");
  EXPECT_EQ(Get(u"s", u"q7"), u"\"v\"");
}

TEST_F(ProfileFilesTest, DefaultLosesTrailingSpacesAndOnePairOfQuotes) {
  Put("[s]\r\n");
  EXPECT_EQ(Get(u"s", u"x", u"def  "), u"def");
  EXPECT_EQ(Get(u"s", u"x", u"def\t"), u"def\t");  // only spaces
  EXPECT_EQ(Get(u"s", u"x", u"   "), u" ");        // the first character stays
  EXPECT_EQ(Get(u"s", u"x", u"\"q\" "), u"q");
  EXPECT_EQ(Get(u"s", u"x", u"é"), u"?");  // as the code page gives it back
  EXPECT_EQ(Get(u"s", u"x", u""), u"");
}

TEST_F(ProfileFilesTest, NamesNoLineCanHoldGiveTheDefault) {
  Put("top=1\r\n[s]\r\n=empty\r\n;c=1\r\n[]\r\ne=1\r\n");
  EXPECT_EQ(Get(u"s", u""), u"d");
  EXPECT_EQ(Get(u"s", u"  "), u"d");
  EXPECT_EQ(Get(u"s", u";c"), u"d");
  EXPECT_EQ(Get(u"", u"top"), u"d");  // the lines before the first header
  EXPECT_EQ(Get(u"", u"e"), u"d");    // "[]"
  EXPECT_EQ(Get(u"s", std::u16string(u"c\0x", 3)), u"d");
}

TEST_F(ProfileFilesTest, KeyLineWithoutEqualsReadsAsMissingAndHidesLaterOnes) {
  Put("[s]\r\nnoeq\r\nnoeq=1\r\n");
  EXPECT_EQ(Get(u"s", u"noeq"), u"d");
}

TEST_F(ProfileFilesTest, FirstSectionAndFirstKeyOfANameWin) {
  Put("[s]\r\na=1\r\nA=2\r\n[t]\r\n[S]\r\na=3\r\nb=4\r\n");
  EXPECT_EQ(Get(u"s", u"a"), u"1");
  EXPECT_EQ(Get(u"s", u"b"), u"d");
}

TEST_F(ProfileFilesTest, HeaderNameRunsToTheLastBracketAndNeedsOne) {
  Put("[a]b]c\r\nk=1\r\n[bad\r\nbk=2\r\n");
  EXPECT_EQ(Get(u"a]b", u"k"), u"1");
  EXPECT_EQ(Get(u"a]b", u"bk"), u"2");  // "[bad" is an ordinary line of section "a]b"
  EXPECT_EQ(Get(u"bad", u"bk"), u"d");
  EXPECT_EQ(Get(u"a]b", u"[bad"), u"d");
}

TEST_F(ProfileFilesTest, AnyRunOfCrAndLfEndsALine) {
  for (const char* text :
       {"[a]\rk=1\r\r[b]\rj=2", "[a]\nk=1\n\n[b]\nj=2\n", "[a]\r\n\n\rk=1\n\r\r\n[b]\r\nj=2"}) {
    Put(text);
    EXPECT_EQ(Get(u"a", u"k"), u"1") << text;
    EXPECT_EQ(Get(u"b", u"j"), u"2") << text;
    EXPECT_EQ(Sections(), (Names{u"a", u"b"})) << text;
  }
}

TEST_F(ProfileFilesTest, MissingAndEmptyFilesReadAsEmpty) {
  EXPECT_EQ(Get(u"s", u"k"), u"d");
  EXPECT_EQ(Keys(u"s"), Names{});
  EXPECT_EQ(Sections(), Names{});
  Put("");
  EXPECT_EQ(Get(u"s", u"k"), u"d");
  EXPECT_EQ(Sections(), Names{});
}

TEST_F(ProfileFilesTest, JapaneseTextWithBackslashTrailBytesIsReadAsText) {
  // ソ and 表 end in 0x5C, the byte of "\"; the full-width space is not a blank.
  Put(Cp932Encode(u"[日本語]\r\nキー=値ソ表\r\n名前 = 　全角　\r\n"));
  EXPECT_EQ(Get(u"日本語", u"キー"), u"値ソ表");
  EXPECT_EQ(Get(u"日本語", u"名前"), u"　全角　");
}

TEST_F(ProfileFilesTest, Utf16MarkIsHonouredAndUtf8MarkIsNot) {
  std::string utf16 = "\xFF\xFE";
  for (const char16_t c : std::u16string(u"[日本]\r\nキー = 値\r\n")) {
    utf16 += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  }
  Put(utf16);
  EXPECT_EQ(Get(u"日本", u"キー"), u"値");
  Put("\xEF\xBB\xBF[u]\r\nk=1\r\n[v]\r\nk=2\r\n");
  EXPECT_EQ(Get(u"u", u"k"), u"d");
  EXPECT_EQ(Sections(), Names{u"v"});
}

TEST_F(ProfileFilesTest, NulByteDoesNotEndTheFile) {
  Put(std::string("Data \0 x\r\n[s]\r\nk=1\r\n", 19));
  EXPECT_EQ(Get(u"s", u"k"), u"1");
}

// --- listings ----------------------------------------------------------------------------------

TEST_F(ProfileFilesTest, KeyNamesAreTheLinesWithEqualsOfTheFirstSection) {
  Put("[s]\r\nK1=1\r\nnoeq\r\n;c=1\r\n=empty\r\nk1=2\r\n\r\n[t]\r\nx=1\r\n[s]\r\nlater=1\r\n");
  EXPECT_EQ(Keys(u" S "), (Names{u"K1", u"", u"k1"}));
  EXPECT_EQ(Keys(u"missing"), Names{});
  EXPECT_EQ(Keys(u""), Names{});
}

TEST_F(ProfileFilesTest, SectionNamesKeepDuplicatesAndSkipNamelessSections) {
  Put("top=1\r\n[ a ]\r\n[]\r\n[ ]\r\n[b\r\n[A]\r\n");
  EXPECT_EQ(Sections(), (Names{u"a", u"A"}));
}

// --- writes --------------------------------------------------------------------------------------

TEST_F(ProfileFilesTest, WritesCreateTheFileWithCrLfLines) {
  EXPECT_TRUE(Write(u"app", u"key", u"value"));
  EXPECT_TRUE(Write(u" other ", u" k ", u"  v  "));
  EXPECT_TRUE(Write(u"app", u"empty", u""));
  EXPECT_EQ(Bytes(), "[app]\r\nkey=value\r\nempty=\r\n[other]\r\nk=v  \r\n");
  EXPECT_EQ(Get(u"other", u"k"), u"v");
}

TEST_F(ProfileFilesTest, EditChangesOnlyTheLineItTouches) {
  const std::string before = "; head\r\n\r\ntop = 1\r\n\r\n[ sec ]  tail\n K1 = v1  \nnoeq\n";
  Put(before + ";c=1\r\n\r\n[next]\r\nx = \"q\"\r\n\r\n");
  ASSERT_TRUE(Write(u"SEC", u"k1", u"new"));
  EXPECT_EQ(Bytes(),
            "; head\r\n\r\ntop = 1\r\n\r\n[ sec ]  tail\nK1=new\nnoeq\n"
            ";c=1\r\n\r\n[next]\r\nx = \"q\"\r\n\r\n");
  ASSERT_TRUE(Write(u"sec", u"noeq", u"val"));
  EXPECT_EQ(Get(u"sec", u"noeq"), u"val");
}

TEST_F(ProfileFilesTest, NewKeyFollowsTheLastFilledLineOfItsSection) {
  Put("[a]\r\nk=1\r\n; about a\r\n\r\n\r\n[b]\r\nj=2");
  ASSERT_TRUE(Write(u"a", u"n", u"2"));
  ASSERT_TRUE(Write(u"b", u"m", u"3"));  // the last line gets a line break first
  ASSERT_TRUE(Write(u"c", u"o", u"4"));
  EXPECT_EQ(Bytes(),
            "[a]\r\nk=1\r\n; about a\r\nn=2\r\n\r\n\r\n[b]\r\nj=2\r\nm=3\r\n[c]\r\no=4\r\n");
}

TEST_F(ProfileFilesTest, NewKeyOfAnEmptySectionFollowsItsHeader) {
  Put("[a]\r\n\r\n[b]\r\n");
  ASSERT_TRUE(Write(u"a", u"k", u"1"));
  EXPECT_EQ(Bytes(), "[a]\r\nk=1\r\n\r\n[b]\r\n");
}

TEST_F(ProfileFilesTest, WritesGoToTheFirstSectionAndKeyOfAName) {
  Put("[s]\r\na=1\r\na=2\r\n[S]\r\nb=2\r\n");
  ASSERT_TRUE(Write(u"s", u"A", u"9"));
  ASSERT_TRUE(Write(u"s", u"b", u"5"));
  EXPECT_EQ(Bytes(), "[s]\r\na=9\r\na=2\r\nb=5\r\n[S]\r\nb=2\r\n");
}

TEST_F(ProfileFilesTest, UnchangedValueWritesNothing) {
  Put("[s]\n k = v  \n");
  EXPECT_TRUE(Write(u"S", u"K", u"v"));
  EXPECT_TRUE(Write(u"s", u"k", u"  v"));
  EXPECT_EQ(io_.replaces, 0);
  EXPECT_TRUE(Write(u"s", u"k", u"v "));  // trailing blanks are part of a written value
  EXPECT_EQ(Bytes(), "[s]\nk=v \n");
}

TEST_F(ProfileFilesTest, DeletingKeysLeavesTheHeaderAndMissingOnesChangeNothing) {
  EXPECT_TRUE(Write(u"s", u"k", std::nullopt));
  EXPECT_TRUE(DropSection(u"s"));
  EXPECT_FALSE(HasFile());  // nothing to delete creates no file
  Put("[s]\r\nk=1\r\nnoeq\r\n[t]\r\n");
  EXPECT_TRUE(Write(u"s", u"K", std::nullopt));
  EXPECT_TRUE(Write(u"s", u"noeq", std::nullopt));
  EXPECT_TRUE(Write(u"s", u"gone", std::nullopt));
  EXPECT_TRUE(Write(u"u", u"k", std::nullopt));
  EXPECT_EQ(Bytes(), "[s]\r\n[t]\r\n");
  EXPECT_EQ(io_.replaces, 2);
}

TEST_F(ProfileFilesTest, DeleteSectionRemovesEverythingUpToTheNextHeader) {
  Put("x=1\r\n[a]\r\nk=1\r\n; note\r\n\r\n[B]\r\nj=2\r\n[b]\r\nj=3\r\n");
  ASSERT_TRUE(DropSection(u"A"));
  ASSERT_TRUE(DropSection(u"b"));  // only the first of two
  EXPECT_EQ(Bytes(), "x=1\r\n[b]\r\nj=3\r\n");
}

TEST_F(ProfileFilesTest, Utf16FileKeepsItsMarkAndEncoding) {
  auto utf16 = [](std::u16string_view text) {
    std::string out = "\xFF\xFE";
    for (const char16_t c : text) out += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return out;
  };
  Put(utf16(u"[日本]\r\nキー = 値\r\n"));
  ASSERT_TRUE(Write(u"日本", u"新", u"あ"));
  EXPECT_EQ(Bytes(), utf16(u"[日本]\r\nキー = 値\r\n新=あ\r\n"));
}

TEST_F(ProfileFilesTest, JapaneseIsWrittenInCodePage932) {
  ASSERT_TRUE(Write(u"日本語", u"キー", u"ソ\\表 and é"));
  EXPECT_EQ(Bytes(), Cp932Encode(u"[日本語]\r\nキー=ソ\\表 and ?\r\n"));
  EXPECT_EQ(Get(u"日本語", u"キー"), u"ソ\\表 and ?");
}

TEST_F(ProfileFilesTest, FileThatCannotBeReadIsNotReplaced) {
  Put("[s]\r\nk=1\r\n");
  io_.unreadable.insert(std::u16string(kFile));
  EXPECT_FALSE(Write(u"s", u"k", u"2"));
  EXPECT_FALSE(DropSection(u"s"));
  EXPECT_EQ(io_.replaces, 0);
}

TEST_F(ProfileFilesTest, FailedReplaceIsReported) {
  io_.replace_fails = true;
  EXPECT_FALSE(Write(u"s", u"k", u"1"));
}

// --- refused writes --------------------------------------------------------------------------

TEST_F(ProfileFilesTest, WritesThatWouldReadBackAsSomethingElseAreRefused) {
  const std::string before = "[s]\r\nk=v\r\n";
  Put(before);
  const std::u16string nul(1, u'\0');
  struct Case {
    std::u16string section, key, value;
  };
  const Case cases[] = {
      {u"s", u"k", u"v\r\nz=1"},  // injects a key
      {u"s", u"k", u"v\n[t]"},    // injects a section
      {u"s", u"k", u"v\rz=1"},
      {u"s", u"k", u"v" + nul + u"z"},
      {u"s", u"[x]y", u"1"},  // becomes a header
      {u"s", u" ;c", u"1"},   // becomes a comment
      {u"s", u"a=b", u"1"},   // reads back as key "a"
      {u"s", u"", u"1"},
      {u"s", u" \t", u"1"},
      {u"s", u"k" + nul + u"x", u"1"},
      {u"s", u"k\r\nz", u"1"},
      {u"", u"k", u"1"},
      {u"  ", u"k", u"1"},
      {u"s]x", u"k", u"1"},  // header "[s]x]" reads back as "s]x" only by luck
      {u"a\r\n[b", u"k", u"1"},
      {u"s" + nul + u"t", u"k", u"1"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(Write(c.section, c.key, c.value)) << c.key.size() << " " << c.value.size();
  }
  EXPECT_FALSE(Write(u"s", u"[x]", std::nullopt));
  EXPECT_FALSE(DropSection(u"s]x"));
  EXPECT_FALSE(DropSection(u""));
  EXPECT_EQ(io_.replaces, 0);
  EXPECT_EQ(Bytes(), before);
}

TEST(ProfileRulesTest, LookupAndWriteNamesAreTrimmedAndChecked) {
  EXPECT_EQ(LookupSection(u" \ta b\x1a"), u"a b");
  EXPECT_EQ(LookupSection(u"x]y"), u"x]y");  // "[x]y]" holds it
  EXPECT_EQ(WritableSection(u"x]y"), std::nullopt);
  EXPECT_EQ(LookupKey(u"[k"), u"[k");  // "[k=1" is an ordinary line
  EXPECT_EQ(WritableKey(u"[k"), std::nullopt);
  EXPECT_EQ(WritableValue(u" \t v \t"), u"v \t");
  EXPECT_EQ(StripQuotes(u"'"), u"'");
}

}  // namespace
}  // namespace qrx::profile
