// The POSIX platform on real files in a fresh temporary folder.
#include "platform/posix/posix_platform.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "base/text.h"
#include "fake/scoped.h"
#include "platform/posix/posix_fs.h"

namespace qrx {
namespace {

namespace fs = std::filesystem;

using test::ScopedEnv;

class PosixPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "qrx-posix-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    root_ = fs::canonical(tmpl).string();  // as the current folder will report it
    old_cwd_ = fs::current_path();
  }
  void TearDown() override {
    fs::current_path(old_cwd_);
    fs::remove_all(root_);
  }

  // Path of a name in the temporary folder, as UTF-8 and as the platform's text.
  std::string P(std::string_view name) const { return root_ + "/" + std::string(name); }
  std::u16string U(std::string_view name) const { return Utf8ToUtf16(P(name)); }

  void Put(std::string_view name, std::string_view bytes = "x") const {
    std::ofstream(P(name), std::ios::binary) << bytes;
  }
  void Dir(std::string_view name) const { fs::create_directories(P(name)); }
  // Every entry of a folder, hidden ones included.
  std::set<std::string> List(std::string_view name = "") const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(name.empty() ? root_ : P(name))) {
      names.insert(e.path().filename().string());
    }
    return names;
  }
  unsigned Mode(std::string_view name) const {
    struct stat st {};
    EXPECT_EQ(::stat(P(name).c_str(), &st), 0);
    return st.st_mode & 07777;
  }

  PosixPlatform os_;
  std::string root_;
  fs::path old_cwd_;
};

// --- directory search --------------------------------------------------------------------

TEST_F(PosixPlatformTest, FindSkipsFoldersHiddenFilesAndSpecialFiles) {
  Dir("a.txt");
  Put(".b.txt");
  ASSERT_EQ(::mkfifo(P("c.txt").c_str(), 0600), 0);
  Put("d.txt");
  EXPECT_EQ(os_.FindFirstFile(U("*.txt")), u"d.txt");
  EXPECT_FALSE(os_.FindFirstFile(U("?b.txt")));
  EXPECT_FALSE(os_.FindFirstFile(U(".*")));
}

TEST_F(PosixPlatformTest, FindReturnsTheSmallestNameWhateverTheCreationOrder) {
  for (const char* name : {"m.log", "zz.log", "b.log", "k.log"}) Put(name);
  EXPECT_EQ(os_.FindFirstFile(U("*.log")), u"b.log");
  EXPECT_EQ(os_.FindFirstFile(U("?.log")), u"b.log");
  EXPECT_EQ(os_.FindFirstFile(U("z*")), u"zz.log");
}

TEST_F(PosixPlatformTest, FindMatchesWildcardsByCharacterAndCase) {
  Put("日本.txt");
  Put("README");
  Put("x[1].dat");
  EXPECT_EQ(os_.FindFirstFile(U("??.txt")), u"日本.txt");  // '?' is a character, not a byte
  EXPECT_FALSE(os_.FindFirstFile(U("?.txt")));
  EXPECT_FALSE(os_.FindFirstFile(U("*.TXT")));
  EXPECT_EQ(os_.FindFirstFile(U("x[1]*")), u"x[1].dat");  // brackets are plain characters
  EXPECT_FALSE(os_.FindFirstFile(U("x[0-9]*")));
  EXPECT_EQ(os_.FindFirstFile(U("READ*.*")), u"README");  // as "*.*" on Windows
  EXPECT_EQ(os_.FindFirstFile(U("README.*")), u"README");
}

TEST_F(PosixPlatformTest, FindOfAPlainNameIsAnExistenceTest) {
  Put("file.ini");
  Put(".hidden.ini");
  Dir("folder.ini");
  fs::create_symlink(P("file.ini"), P("link.ini"));
  fs::create_symlink(P("missing.ini"), P("dangling.ini"));
  EXPECT_TRUE(os_.FileExists(U("file.ini")));
  EXPECT_TRUE(os_.FileExists(U("link.ini")));
  EXPECT_FALSE(os_.FileExists(U("dangling.ini")));
  EXPECT_FALSE(os_.FileExists(U(".hidden.ini")));
  EXPECT_FALSE(os_.FileExists(U("folder.ini")));
  EXPECT_FALSE(os_.FileExists(U("nothing/file.ini")));
  EXPECT_FALSE(os_.FileExists(U("")));  // the folder itself, with a '/' at the end
  EXPECT_FALSE(os_.FileExists(std::u16string(u"file.ini\0x", 10)));
}

TEST_F(PosixPlatformTest, FindWithoutFolderLooksInTheCurrentFolder) {
  Put("here.txt");
  ASSERT_TRUE(os_.SetCurrentDirectory(Utf8ToUtf16(root_)));
  EXPECT_EQ(os_.FindFirstFile(u"*.txt"), u"here.txt");
}

TEST_F(PosixPlatformTest, FindSkipsNamesThatAreNotUtf8) {
  Put("\xff.txt");
  EXPECT_FALSE(os_.FindFirstFile(U("*.txt")));
}

TEST(WildcardMatchTest, StarBacktracksAndQuestionMarkTakesOneCharacter) {
  EXPECT_TRUE(posix::WildcardMatch(u"a*b*c", u"aXbYbZc"));
  EXPECT_FALSE(posix::WildcardMatch(u"a*b*c", u"aXbYbZ"));
  EXPECT_TRUE(posix::WildcardMatch(u"*a", u"aaa"));
  EXPECT_TRUE(posix::WildcardMatch(u"**", u""));
  EXPECT_FALSE(posix::WildcardMatch(u"?", u""));
  EXPECT_TRUE(posix::WildcardMatch(u"?", u"\U0001F600"));  // one character, two code units
  EXPECT_FALSE(posix::WildcardMatch(u"a.*", u"ab"));
  EXPECT_TRUE(posix::WildcardMatch(u"a.*", u"a"));
}

// --- whole files -----------------------------------------------------------------------

TEST_F(PosixPlatformTest, WriteThenReadGivesTheSameBytes) {
  const std::string bytes("a\0b\r\n\x82\xa0\xff", 8);
  ASSERT_TRUE(os_.WriteFile(U("f.bin"), bytes));
  EXPECT_EQ(os_.ReadFile(U("f.bin")), bytes);
  ASSERT_TRUE(os_.WriteFile(U("f.bin"), "short"));
  EXPECT_EQ(os_.ReadFile(U("f.bin")), "short");
  ASSERT_TRUE(os_.WriteFile(U("f.bin"), ""));
  EXPECT_EQ(os_.ReadFile(U("f.bin")), "");
}

TEST_F(PosixPlatformTest, WriteLeavesNoTemporaryFileBehind) {
  Dir("w");
  ASSERT_TRUE(os_.WriteFile(U("w/config.ini"), "one"));
  ASSERT_TRUE(os_.WriteFile(U("w/config.ini"), "two"));
  EXPECT_EQ(List("w"), std::set<std::string>{"config.ini"});
  Dir("w/folder");
  EXPECT_FALSE(os_.WriteFile(U("w/folder"), "onto a folder"));
  EXPECT_EQ(List("w"), (std::set<std::string>{"config.ini", "folder"}));
}

TEST_F(PosixPlatformTest, WriteKeepsPermissionsAndSymbolicLinks) {
  Put("real.ini", "old");
  ::chmod(P("real.ini").c_str(), 0640);
  fs::create_symlink("real.ini", P("link.ini"));
  ASSERT_TRUE(os_.WriteFile(U("link.ini"), "new"));
  EXPECT_TRUE(fs::is_symlink(P("link.ini")));
  EXPECT_EQ(os_.ReadFile(U("real.ini")), "new");
  EXPECT_EQ(Mode("real.ini"), 0640u);
}

TEST_F(PosixPlatformTest, FailedWritesAndReadsLeaveNothing) {
  EXPECT_FALSE(os_.WriteFile(U("missing/f.txt"), "x"));
  EXPECT_FALSE(os_.WriteFile(std::u16string(u"a\0b", 3), "x"));
  EXPECT_FALSE(os_.WriteFile(u"", "x"));
  EXPECT_FALSE(os_.ReadFile(U("missing.txt")));
  Dir("folder");
  EXPECT_FALSE(os_.ReadFile(U("folder")));
  ASSERT_EQ(::mkfifo(P("fifo").c_str(), 0600), 0);
  EXPECT_FALSE(os_.ReadFile(U("fifo")));  // and does not wait for a writer
  EXPECT_EQ(List(), (std::set<std::string>{"folder", "fifo"}));
}

TEST_F(PosixPlatformTest, CopyReplacesTheTargetWithTheBytesAndMode) {
  std::string big(200 * 1024 + 7, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
  Put("src.bin", big);
  ::chmod(P("src.bin").c_str(), 0750);
  Put("dst.bin", "old");
  ASSERT_TRUE(os_.CopyFile(U("src.bin"), U("dst.bin")));
  EXPECT_EQ(os_.ReadFile(U("dst.bin")), big);
  EXPECT_EQ(Mode("dst.bin"), 0750u);
  EXPECT_EQ(List(), (std::set<std::string>{"src.bin", "dst.bin"}));
}

TEST_F(PosixPlatformTest, CopyFailsWithoutHarm) {
  Put("dst.txt", "keep");
  EXPECT_FALSE(os_.CopyFile(U("missing.txt"), U("dst.txt")));
  EXPECT_EQ(os_.ReadFile(U("dst.txt")), "keep");
  EXPECT_FALSE(os_.CopyFile(U("dst.txt"), U("dst.txt")));
  fs::create_symlink("dst.txt", P("alias.txt"));
  EXPECT_FALSE(os_.CopyFile(U("alias.txt"), U("dst.txt")));
  EXPECT_EQ(os_.ReadFile(U("dst.txt")), "keep");
  EXPECT_FALSE(os_.CopyFile(U("dst.txt"), U("missing/dst.txt")));
}

// --- search path -------------------------------------------------------------------------

TEST_F(PosixPlatformTest, SearchGoesProgramFolderThenCurrentFolderThenPath) {
  Dir("cwd");
  Dir("p1");
  Dir("p2");
  const std::string name = "qrx-search-" + std::to_string(::getpid()) + ".txt";
  const std::string beside = Utf16ToUtf8(os_.ProgramDirectory()) + "/" + name;
  std::ofstream(beside) << "x";
  Put("cwd/" + name);
  Put("p2/" + name);
  Dir("p1/" + name);  // a folder of that name does not count
  ScopedEnv path("PATH", (P("p1") + "::" + P("p2")).c_str());
  ASSERT_TRUE(os_.SetCurrentDirectory(U("cwd")));

  const std::u16string n16 = Utf8ToUtf16(name);
  EXPECT_EQ(os_.SearchPath(n16), Utf8ToUtf16(beside));
  fs::remove(beside);
  EXPECT_EQ(os_.SearchPath(n16), U("cwd/" + name));
  fs::remove(P("cwd/" + name));
  EXPECT_EQ(os_.SearchPath(n16), U("p2/" + name));
  fs::remove(P("p2/" + name));
  EXPECT_EQ(os_.SearchPath(n16), u"");
}

TEST_F(PosixPlatformTest, SearchOfANameWithAFolderLooksOnlyThere) {
  Dir("p/sub");
  Put("p/sub/tool.sh");
  Dir("cwd");
  ScopedEnv path("PATH", P("p").c_str());
  ASSERT_TRUE(os_.SetCurrentDirectory(U("cwd")));
  EXPECT_EQ(os_.SearchPath(u"sub/tool.sh"), u"");
  EXPECT_EQ(os_.SearchPath(u"../p/./sub//tool.sh"), U("cwd/../p/sub/tool.sh"));
  EXPECT_EQ(os_.SearchPath(U("p/sub/tool.sh")), U("p/sub/tool.sh"));
}

TEST_F(PosixPlatformTest, SearchTreatsAPathLongerThanTheBufferAsNotFound) {
  // Folders that bring the full path of the file to exactly 254 and 255 bytes.
  const std::string file = "/f.txt";
  const size_t base = root_.size() + 1;  // root_ + "/"
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

TEST_F(PosixPlatformTest, EnvironmentIsUtf8AndExact) {
  ScopedEnv jp("QRX_TEST_JP", "日本語 text");
  ScopedEnv empty("QRX_TEST_EMPTY", "");
  ScopedEnv undefined("QRX_TEST_UNDEFINED", nullptr);
  EXPECT_EQ(os_.GetEnv(u"QRX_TEST_JP"), u"日本語 text");
  EXPECT_EQ(os_.GetEnv(u"QRX_TEST_EMPTY"), u"");
  EXPECT_FALSE(os_.GetEnv(u"QRX_TEST_UNDEFINED"));
  EXPECT_FALSE(os_.GetEnv(u"qrx_test_jp"));
  EXPECT_FALSE(os_.GetEnv(u"QRX_TEST_JP=x"));
  EXPECT_FALSE(os_.GetEnv(std::u16string(u"QRX_TEST_JP\0x", 13)));
  EXPECT_FALSE(os_.GetEnv(u""));
}

TEST_F(PosixPlatformTest, FoldersOfTheProcess) {
  const std::u16string program = os_.ProgramDirectory();
  ASSERT_FALSE(program.empty());
  EXPECT_EQ(program.front(), u'/');
  EXPECT_NE(program.back(), u'/');
  EXPECT_TRUE(os_.FileExists(program + u"/quorix_tests"));

  Put("file");
  const std::u16string before = os_.CurrentDirectory();
  EXPECT_FALSE(os_.SetCurrentDirectory(U("missing")));
  EXPECT_FALSE(os_.SetCurrentDirectory(U("file")));
  EXPECT_FALSE(os_.SetCurrentDirectory(u""));
  EXPECT_EQ(os_.CurrentDirectory(), before);
  ASSERT_TRUE(os_.SetCurrentDirectory(Utf8ToUtf16(root_)));
  EXPECT_EQ(os_.CurrentDirectory(), Utf8ToUtf16(root_));

  EXPECT_EQ(os_.WindowsDirectory(), u"");
  EXPECT_EQ(os_.SystemDirectory(), u"");
}

TEST_F(PosixPlatformTest, TickCountIsMillisecondsSinceBoot) {
  double uptime = 0;
  std::ifstream("/proc/uptime") >> uptime;
  const uint32_t first = os_.TickCount();
  const auto expected = static_cast<uint32_t>(static_cast<uint64_t>(uptime * 1000));
  EXPECT_LT(static_cast<uint32_t>(first - expected), 2000u);  // modulo 2^32, as it wraps
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const uint32_t elapsed = os_.TickCount() - first;
  EXPECT_GE(elapsed, 45u);
  EXPECT_LT(elapsed, 5000u);
}

TEST_F(PosixPlatformTest, AnsiIsCodePage932) {
  EXPECT_EQ(os_.ToAnsi(u"日本a"), "\x93\xfa\x96{a");
  EXPECT_EQ(os_.FromAnsi("\x93\xfa\x96{a"), u"日本a");
}

}  // namespace
}  // namespace qrx
