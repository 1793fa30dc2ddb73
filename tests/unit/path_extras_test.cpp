#include "startup/path_extras.h"

#include <gtest/gtest.h>

#include "fake/fake_platform.h"

namespace qrx {
namespace {

TEST(FixQuotes, ModeOneCompletesHalfQuotedText) {
  EXPECT_EQ(FixQuotes(u"\"C:\\a b", 1), u"\"C:\\a b\"");
  EXPECT_EQ(FixQuotes(u"C:\\a b\"", 1), u"\"C:\\a b\"");
  EXPECT_EQ(FixQuotes(u"\"C:\\a b\"", 1), u"\"C:\\a b\"");
  EXPECT_EQ(FixQuotes(u"\"", 1), u"\"");
  EXPECT_EQ(FixQuotes(u"a\"b", 1), u"a\"b");
  EXPECT_EQ(FixQuotes(u"", 1), u"");
}

TEST(FixQuotes, OtherModesStripOneQuoteAtEachEnd) {
  for (int mode : {0, 2, -1}) {
    EXPECT_EQ(FixQuotes(u"\"x y\"", mode), u"x y");
    EXPECT_EQ(FixQuotes(u"\"x", mode), u"x");
    EXPECT_EQ(FixQuotes(u"x\"", mode), u"x");
    EXPECT_EQ(FixQuotes(u"\"", mode), u"");
    EXPECT_EQ(FixQuotes(u"\"\"\"", mode), u"\"");
    EXPECT_EQ(FixQuotes(u"a\"b", mode), u"a\"b");
    EXPECT_EQ(FixQuotes(u"", mode), u"");
  }
}

TEST(SplitPath, CutsAtTheLastSeparatorAndStripsQuotes) {
  auto expect = [](std::u16string_view path, char16_t sep, std::u16string_view dir,
                   std::u16string_view file) {
    const PathParts parts = SplitPath(path, sep);
    EXPECT_EQ(parts.dir, dir);
    EXPECT_EQ(parts.file, file);
  };
  expect(u"C:\\dir\\file.txt", u'\\', u"C:\\dir", u"file.txt");
  expect(u"\"C:\\Program Files\\app.exe\"", u'\\', u"C:\\Program Files", u"app.exe");
  expect(u"\"file.txt\"", u'\\', u"", u"file.txt");
  expect(u"C:\\", u'\\', u"C:", u"");
  expect(u"\\\\server\\share\\x", u'\\', u"\\\\server\\share", u"x");
  expect(u"/home/u/a.txt", u'/', u"/home/u", u"a.txt");
  expect(u"/a.txt", u'/', u"", u"a.txt");
  // With the POSIX separator a backslash is an ordinary character.
  expect(u"a\\b", u'/', u"", u"a\\b");
}

TEST(DirPart, TextBeforeTheLastSeparator) {
  EXPECT_EQ(DirPart(u"C:\\skins\\blue.skn", u'\\'), u"C:\\skins");
  EXPECT_EQ(DirPart(u"\"C:\\a b\\c\"", u'\\'), u"C:\\a b");
  EXPECT_EQ(DirPart(u"blue.skn", u'\\'), u"");
  EXPECT_EQ(DirPart(u"\"blue.skn\"", u'\\'), u"");
  EXPECT_EQ(DirPart(u"/opt/q/blue.skn", u'/'), u"/opt/q");
}

TEST(CutExtension, CutsAtTheLastDotOfTheWholePath) {
  EXPECT_EQ(CutExtension(u"C:\\q\\QRX_CORE.INI"), u"C:\\q\\QRX_CORE");
  EXPECT_EQ(CutExtension(u"\"C:\\a b\\c.txt\""), u"C:\\a b\\c");
  EXPECT_EQ(CutExtension(u"a.tar.gz"), u"a.tar");
  EXPECT_EQ(CutExtension(u"C:\\my.dir\\file"), u"C:\\my");
  EXPECT_EQ(CutExtension(u".ini"), u"");
  EXPECT_EQ(CutExtension(u"/home/u/q.ini"), u"/home/u/q");
}

TEST(CutExtension, PathWithoutDotKeepsItsQuotes) {
  EXPECT_EQ(CutExtension(u"\"C:\\a\\b\""), u"\"C:\\a\\b\"");
  EXPECT_EQ(CutExtension(u""), u"");
}

TEST(AddBackslash, AppendsTheSeparatorOnce) {
  EXPECT_EQ(AddBackslash(u"C:\\", u'\\'), u"C:\\");
  EXPECT_EQ(AddBackslash(u"C:\\q", u'\\'), u"C:\\q\\");
  EXPECT_EQ(AddBackslash(u"", u'\\'), u"\\");
  EXPECT_EQ(AddBackslash(u"C:\\q/", u'\\'), u"C:\\q/\\");
  EXPECT_EQ(AddBackslash(u"/", u'/'), u"/");
  EXPECT_EQ(AddBackslash(u"/opt/q", u'/'), u"/opt/q/");
}

TEST(WinSysDir, ExactUpperCaseWords) {
  test::FakePlatform platform;
  EXPECT_EQ(WinSysDir(platform, u"WIN"), u"C:\\WINDOWS");
  EXPECT_EQ(WinSysDir(platform, u"SYS"), u"C:\\WINDOWS\\system32");
  for (std::u16string_view word : {u"win", u"Sys", u"", u"WIN ", u"WINDOWS", u"TEMP"}) {
    EXPECT_EQ(WinSysDir(platform, word), u"");
  }
}

TEST(WinSysDir, FolderMustFitTheBuffer) {
  test::FakePlatform platform;
  platform.windows_directory = u"C:\\" + std::u16string(256, u'w');
  EXPECT_EQ(WinSysDir(platform, u"WIN"), platform.windows_directory);
  platform.windows_directory += u'w';
  EXPECT_EQ(WinSysDir(platform, u"WIN"), u"");
  platform.system_directory = std::u16string(u"C:\\S\0junk", 9);
  EXPECT_EQ(WinSysDir(platform, u"SYS"), u"C:\\S");
}

}  // namespace
}  // namespace qrx
