#include "base/path_text.h"
#include "core/system_paths.h"

#include <gtest/gtest.h>

#include "fake/fake_platform.h"

namespace qrx {
namespace {

TEST(FixQuotes, ModeOneCompletesHalfQuotedTextOtherModesStripOneQuoteAtEachEnd) {
  EXPECT_EQ(FixQuotes(u"\"C:\\a b", 1), u"\"C:\\a b\"");
  EXPECT_EQ(FixQuotes(u"C:\\a b\"", 1), u"\"C:\\a b\"");
  EXPECT_EQ(FixQuotes(u"\"C:\\a b\"", 1), u"\"C:\\a b\"");
  EXPECT_EQ(FixQuotes(u"\"", 1), u"\"");
  for (int mode : {0, 2, -1}) {
    EXPECT_EQ(FixQuotes(u"\"x y\"", mode), u"x y");
    EXPECT_EQ(FixQuotes(u"\"x", mode), u"x");
    EXPECT_EQ(FixQuotes(u"x\"", mode), u"x");
    EXPECT_EQ(FixQuotes(u"\"", mode), u"");
    EXPECT_EQ(FixQuotes(u"\"\"\"", mode), u"\"");
  }
  for (int mode : {-1, 0, 1, 2}) {  // no quote at either end: unchanged
    EXPECT_EQ(FixQuotes(u"", mode), u"");
    EXPECT_EQ(FixQuotes(u"a\"b", mode), u"a\"b");
  }
}

TEST(SplitPath, CutsAtTheLastSeparatorAndStripsQuotes) {
  auto expect = [](std::u16string_view path, char16_t sep, std::u16string_view dir,
                   std::u16string_view file) {
    const PathParts parts = SplitPath(path, sep);
    EXPECT_EQ(parts.dir, dir);
    EXPECT_EQ(parts.file, file);
    EXPECT_EQ(DirPart(path, sep), dir);
  };
  expect(u"\"C:\\Program Files\\app.exe\"", u'\\', u"C:\\Program Files", u"app.exe");
  expect(u"\"file.txt\"", u'\\', u"", u"file.txt");
  expect(u"C:\\", u'\\', u"C:", u"");
  expect(u"/home/u/a.txt", u'/', u"/home/u", u"a.txt");
  expect(u"/a.txt", u'/', u"", u"a.txt");
  // With the POSIX separator a backslash is an ordinary character.
  expect(u"a\\b", u'/', u"", u"a\\b");
}

TEST(CutExtensionAndAddBackslash, LastDotOfTheWholePathSeparatorOnce) {
  // A path without a dot keeps its quotes.
  for (const auto& [path, cut] : {std::pair{u"C:\\q\\QRX_CORE.INI", u"C:\\q\\QRX_CORE"},
                                  {u"\"C:\\a b\\c.txt\"", u"C:\\a b\\c"},
                                  {u"a.tar.gz", u"a.tar"},
                                  {u"C:\\my.dir\\file", u"C:\\my"},
                                  {u".ini", u""},
                                  {u"\"C:\\a\\b\"", u"\"C:\\a\\b\""}}) {
    EXPECT_EQ(CutExtension(path), cut);
  }
  EXPECT_EQ(AddBackslash(u"C:\\", u'\\'), u"C:\\");
  EXPECT_EQ(AddBackslash(u"", u'\\'), u"\\");
  EXPECT_EQ(AddBackslash(u"C:\\q/", u'\\'), u"C:\\q/\\");
  EXPECT_EQ(AddBackslash(u"/opt/q", u'/'), u"/opt/q/");
}

TEST(WinSysDir, ExactUpperCaseWordsAndFoldersThatFitTheBuffer) {
  test::FakePlatform platform;
  EXPECT_EQ(WinSysDir(platform, u"WIN"), u"C:\\WINDOWS");
  EXPECT_EQ(WinSysDir(platform, u"SYS"), u"C:\\WINDOWS\\system32");
  for (std::u16string_view word : {u"win", u"Sys", u"", u"WIN ", u"WINDOWS"}) {
    EXPECT_EQ(WinSysDir(platform, word), u"");
  }
  platform.windows_directory = u"C:\\" + std::u16string(256, u'w');  // 259 characters
  EXPECT_EQ(WinSysDir(platform, u"WIN"), platform.windows_directory);
  platform.windows_directory += u'w';
  EXPECT_EQ(WinSysDir(platform, u"WIN"), u"");
  platform.system_directory = std::u16string(u"C:\\S\0junk", 9);
  EXPECT_EQ(WinSysDir(platform, u"SYS"), u"C:\\S");
}

}  // namespace
}  // namespace qrx
