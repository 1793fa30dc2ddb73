// The POSIX platform on real files in a fresh temporary folder.
#include "platform/posix/posix_platform.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "base/text.h"
#include "fake/scoped.h"
#include "platform/posix/posix_fs.h"
#include "unit/hmac_vectors.h"

namespace qrx {
namespace {

namespace fs = std::filesystem;

using test::ScopedEnv;

class PosixPlatformTest : public ::testing::Test {
 protected:
  ~PosixPlatformTest() override { fs::current_path(old_cwd_); }

  // Path of a name in the temporary folder, as UTF-8 and as the platform's text.
  std::string P(std::string_view name) const { return dir_ / name; }
  std::u16string U(std::string_view name) const { return Utf8ToUtf16(P(name)); }
  void Put(std::string_view name, std::string_view bytes = "x") const { dir_.Put(name, bytes); }
  void Dir(std::string_view name) const { fs::create_directories(P(name)); }
  // Every entry of a folder, hidden ones included.
  std::set<std::string> List(std::string_view name = "") const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(P(name))) names.insert(e.path().filename());
    return names;
  }

  test::TempFolder dir_;
  fs::path old_cwd_ = fs::current_path();
  PosixPlatform os_;
};

// --- directory search --------------------------------------------------------------------

TEST_F(PosixPlatformTest, FindGivesTheSmallestMatchingOrdinaryFile) {
  Dir("a.txt");
  Put(".b.txt");
  ASSERT_EQ(::mkfifo(P("c.txt").c_str(), 0600), 0);
  for (const char* name :
       {"m.txt", "zzz.txt", "b.txt", "日本.txt", "README", "x[1].dat", "k.txt"}) {
    Put(name);
  }
  Put("\xff.txt");  // not UTF-8: could not be opened again under the text returned
  // No folder, hidden file or FIFO; '?' is a character, not a byte; case counts; brackets are
  // plain characters; a pattern ending in ".*" also takes names without a dot.
  const std::pair<const char*, std::u16string> cases[] = {
      {"*.txt", u"b.txt"},    {"z*", u"zzz.txt"},      {".*", u""},
      {"?b.txt", u""},        {"??.txt", u"日本.txt"}, {"*.TXT", u""},
      {"x[1]*", u"x[1].dat"}, {"x[0-9]*", u""},        {"\uFFFD*", u""},
      {"READ*.*", u"README"}};
  for (const auto& [pattern, found] : cases) {
    EXPECT_EQ(os_.FindFirstFile(U(pattern)).value_or(u""), found) << pattern;
  }
  ASSERT_TRUE(os_.SetCurrentDirectory(Utf8ToUtf16(dir_.path())));
  EXPECT_EQ(os_.FindFirstFile(u"?.txt"), u"b.txt");  // without a folder: the current one
}

TEST_F(PosixPlatformTest, ExistenceSeesHiddenFilesWhileTheSearchPassesOverThem) {
  Put("file.ini");
  Put(".hidden.ini");
  Dir("folder.ini");
  fs::create_symlink(P("file.ini"), P("link.ini"));
  fs::create_symlink(P("missing.ini"), P("dangling.ini"));
  fs::create_symlink(P("loop.ini"), P("loop.ini"));
  ASSERT_EQ(::mkfifo(P("fifo.ini").c_str(), 0600), 0);
  // A file the user has must never count as missing: it would be replaced.
  for (const char* name : {"file.ini", "link.ini", ".hidden.ini", "fifo.ini", "loop.ini"}) {
    EXPECT_TRUE(os_.FileExists(U(name))) << name;
  }
  for (const char* name : {"dangling.ini", "folder.ini", "nothing/file.ini", "*.ini", ""}) {
    EXPECT_FALSE(os_.FileExists(U(name))) << name;
  }
  EXPECT_FALSE(os_.FileExists(std::u16string(u"file.ini\0x", 10)));
  // The directory search keeps the Windows rules: hidden names are not found, even exactly.
  EXPECT_EQ(os_.FindFirstFile(U(".hidden.ini")), std::nullopt);
  EXPECT_EQ(os_.FindFirstFile(U("file.ini")), u"file.ini");
  EXPECT_EQ(os_.FindFirstFile(U("fifo.ini")), std::nullopt);
}

TEST(WildcardMatchTest, StarBacktracksAndQuestionMarkTakesOneCharacter) {
  EXPECT_TRUE(posix::WildcardMatch(u"a*b*c", u"aXbYbZc"));
  EXPECT_FALSE(posix::WildcardMatch(u"a*b*c", u"aXbYbZ"));
  EXPECT_TRUE(posix::WildcardMatch(u"*a", u"aaa"));
  EXPECT_TRUE(posix::WildcardMatch(u"**", u""));
  EXPECT_FALSE(posix::WildcardMatch(u"?", u""));
  EXPECT_TRUE(posix::WildcardMatch(u"?", u"\U0001F600"));  // one character, two code units
  EXPECT_FALSE(posix::WildcardMatch(u"a.*", u"ab"));
}

// --- whole files -----------------------------------------------------------------------

TEST_F(PosixPlatformTest, WriteReplacesTheWholeFileKeepingPermissionsAndLinksOrLeavesNothing) {
  const std::string bytes("a\0b\r\n\x82\xa0\xff", 8);
  ASSERT_TRUE(os_.WriteFile(U("f.bin"), bytes));
  EXPECT_EQ(os_.ReadFile(U("f.bin")), bytes);
  ASSERT_TRUE(os_.WriteFile(U("f.bin"), ""));
  EXPECT_EQ(os_.ReadFile(U("f.bin")), "");
  Put("real.ini", "old");
  fs::permissions(P("real.ini"), fs::perms(0640));
  fs::create_symlink("real.ini", P("link.ini"));
  ASSERT_TRUE(os_.WriteFile(U("link.ini"), "new"));
  EXPECT_TRUE(fs::is_symlink(P("link.ini")));
  EXPECT_EQ(os_.ReadFile(U("real.ini")), "new");
  EXPECT_EQ(fs::status(P("real.ini")).permissions(), fs::perms(0640));
  fs::permissions(P("real.ini"), fs::perms(0666));  // more than the usual mask lets new files have
  const mode_t mask = ::umask(022);
  ASSERT_TRUE(os_.WriteFile(U("real.ini"), "newer"));
  ::umask(mask);
  EXPECT_EQ(fs::status(P("real.ini")).permissions(), fs::perms(0666));
  EXPECT_EQ(List(), (std::set<std::string>{"f.bin", "real.ini", "link.ini"}));  // no temporary
  // Failed writes and reads leave nothing.
  Dir("folder");
  ASSERT_EQ(::mkfifo(P("fifo").c_str(), 0600), 0);
  EXPECT_FALSE(os_.WriteFile(U("folder"), "onto a folder"));
  EXPECT_FALSE(os_.WriteFile(U("missing/f.txt"), "x"));
  EXPECT_FALSE(os_.WriteFile(std::u16string(u"a\0b", 3), "x"));
  EXPECT_FALSE(os_.ReadFile(U("missing.txt")));
  EXPECT_FALSE(os_.ReadFile(U("folder")));
  EXPECT_FALSE(os_.ReadFile(U("fifo")));  // and does not wait for a writer
  EXPECT_EQ(List(), (std::set<std::string>{"f.bin", "real.ini", "link.ini", "folder", "fifo"}));
}

TEST_F(PosixPlatformTest, CopyReplacesTheTargetOrFailsWithoutHarm) {
  std::string big(200 * 1024 + 7, '\0');  // more than one read
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
  Put("src.bin", big);
  fs::permissions(P("src.bin"), fs::perms(0750));
  Put("dst.bin", "old");
  ASSERT_TRUE(os_.CopyFile(U("src.bin"), U("dst.bin")));
  EXPECT_EQ(os_.ReadFile(U("dst.bin")), big);
  EXPECT_EQ(fs::status(P("dst.bin")).permissions(), fs::perms(0750));
  Put("dst.txt", "keep");
  fs::create_symlink("dst.txt", P("alias.txt"));
  EXPECT_FALSE(os_.CopyFile(U("missing.txt"), U("dst.txt")));
  EXPECT_FALSE(os_.CopyFile(U("alias.txt"), U("dst.txt")));  // the same file under two names
  EXPECT_FALSE(os_.CopyFile(U("dst.txt"), U("missing/dst.txt")));
  EXPECT_EQ(os_.ReadFile(U("dst.txt")), "keep");
  EXPECT_EQ(List(), (std::set<std::string>{"src.bin", "dst.bin", "dst.txt", "alias.txt"}));
}

// --- search path -------------------------------------------------------------------------

TEST_F(PosixPlatformTest, SearchGoesProgramFolderThenCurrentFolderThenPath) {
  const std::string name = "qrx-search-" + std::to_string(::getpid()) + ".txt";
  const std::string beside = Utf16ToUtf8(os_.ProgramDirectory()) + "/" + name;
  std::ofstream(beside) << "x";
  Dir("cwd");
  Dir("p1/" + name);  // a folder of that name does not count
  Dir("p2/sub");
  Put("cwd/" + name);
  Put("p2/" + name);
  ScopedEnv path("PATH", (P("p1") + "::" + P("p2")).c_str());
  ASSERT_TRUE(os_.SetCurrentDirectory(U("cwd")));
  for (const std::string& found : {beside, P("cwd/" + name), P("p2/" + name)}) {
    EXPECT_EQ(os_.SearchPath(Utf8ToUtf16(name)), Utf8ToUtf16(found));
    fs::remove(found);
  }
  EXPECT_EQ(os_.SearchPath(Utf8ToUtf16(name)), u"");
  // A name with a folder is looked for only there, and comes back cleaned up.
  Put("p2/sub/tool.sh");
  EXPECT_EQ(os_.SearchPath(u"sub/tool.sh"), u"");
  EXPECT_EQ(os_.SearchPath(u"../p2/./sub//tool.sh"), U("cwd/../p2/sub/tool.sh"));
}

TEST_F(PosixPlatformTest, SearchTreatsAPathLongerThanTheBufferAsNotFound) {
  // Folders that bring the full path of the file to exactly 254 and 255 bytes.
  const std::string file = "/f.txt";
  const size_t base = dir_.path().size() + 1;
  ASSERT_LT(base + file.size(), 200u);
  const std::string fits(254 - base - file.size(), 'a');
  const std::string too_long(255 - base - file.size(), 'b');
  Dir(fits);
  Dir(too_long);
  Put(fits + file);
  Put(too_long + file);
  EXPECT_EQ(os_.SearchPath(U(fits + file)), U(fits + file));
  EXPECT_EQ(os_.SearchPath(U(too_long + file)), u"");
  // Found too long in an earlier folder stops the search, as on Windows.
  Dir("short");
  Put("short/f.txt");
  ScopedEnv path("PATH", P("short").c_str());
  ASSERT_TRUE(os_.SetCurrentDirectory(U(too_long)));
  EXPECT_EQ(os_.SearchPath(u"f.txt"), u"");
}

// --- process and clock -------------------------------------------------------------------

TEST_F(PosixPlatformTest, EnvironmentIsUtf8AndExactCurrentFolderOnlyAFolder) {
  ScopedEnv jp("QRX_TEST_JP", "日本語 text");
  ScopedEnv empty("QRX_TEST_EMPTY", "");
  ScopedEnv undefined("QRX_TEST_UNDEFINED", nullptr);
  EXPECT_EQ(os_.GetEnv(u"QRX_TEST_JP"), u"日本語 text");
  EXPECT_EQ(os_.GetEnv(u"QRX_TEST_EMPTY"), u"");
  for (std::u16string_view name : {u"QRX_TEST_UNDEFINED", u"qrx_test_jp", u"QRX_TEST_JP=x", u""}) {
    EXPECT_FALSE(os_.GetEnv(name)) << Utf16ToUtf8(name);
  }
  EXPECT_FALSE(os_.GetEnv(std::u16string(u"QRX_TEST_JP\0x", 13)));
  // the current folder changes only to a folder
  Put("file");
  const std::u16string before = os_.CurrentDirectory();
  for (const char* name : {"missing", "file"}) EXPECT_FALSE(os_.SetCurrentDirectory(U(name)));
  EXPECT_FALSE(os_.SetCurrentDirectory(u""));
  EXPECT_EQ(os_.CurrentDirectory(), before);
  ASSERT_TRUE(os_.SetCurrentDirectory(Utf8ToUtf16(dir_.path())));
  EXPECT_EQ(os_.CurrentDirectory(), Utf8ToUtf16(dir_.path()));
}

TEST_F(PosixPlatformTest, TickCountIsMillisecondsSinceBoot) {
  double uptime = 0;
  std::ifstream("/proc/uptime") >> uptime;
  const uint32_t first = os_.TickCount();
  const auto expected = static_cast<uint32_t>(static_cast<uint64_t>(uptime * 1000));
  EXPECT_LT(static_cast<uint32_t>(first - expected), 2000u);  // modulo 2^32, as it wraps
}

// --- signing ---------------------------------------------------------------------------------

TEST_F(PosixPlatformTest, HmacGivesTheRfc4231TagsAndRandomBytesDiffer) {
  for (const test::HmacVector& v : test::Rfc4231Vectors()) {
    EXPECT_TRUE(test::TagMatches(v, os_.HmacSha256(v.key, v.data))) << v.name;
  }
  EXPECT_NE(os_.RandomBytes(16), os_.RandomBytes(16));
  EXPECT_EQ(os_.RandomBytes(32)->size(), 32u);
}

TEST_F(PosixPlatformTest, ASecretFileIsForItsOwnerOnlyAlsoWhenItReplacesAnother) {
  Put("key", "old");
  ASSERT_EQ(::chmod(P("key").c_str(), 0644), 0);
  ASSERT_TRUE(os_.WriteSecretFile(U("key"), "secret"));
  struct stat st {};
  ASSERT_EQ(::stat(P("key").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(os_.ReadFile(U("key")), "secret");
  // A changed file has another stamp; an unchanged one keeps it.
  const auto stamp = os_.StampOf(U("key"));
  ASSERT_TRUE(stamp);
  EXPECT_EQ(os_.StampOf(U("key")), stamp);
  ASSERT_TRUE(os_.WriteFile(U("key"), "secret2"));
  EXPECT_NE(os_.StampOf(U("key")), stamp);
  EXPECT_FALSE(os_.StampOf(U("none")));
}

}  // namespace
}  // namespace qrx
