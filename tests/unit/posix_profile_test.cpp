// The profile calls of the POSIX platform on real files in a fresh temporary folder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "base/text.h"
#include "fake/scoped.h"
#include "fake/scripted_sys.h"
#include "platform/posix/cp932.h"
#include "platform/posix/posix_platform.h"

namespace qrx {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::u16string>;

class PosixProfileTest : public ::testing::Test {
 protected:
  ~PosixProfileTest() override { fs::current_path(old_cwd_); }

  std::u16string U(std::string_view name) const { return Utf8ToUtf16(dir_ / name); }
  ino_t Inode(std::string_view name) const {
    struct stat st {};
    EXPECT_EQ(::stat((dir_ / name).c_str(), &st), 0);
    return st.st_ino;
  }

  test::TempFolder dir_;
  fs::path old_cwd_ = fs::current_path();
  PosixPlatform os_;
};

// The engine's own rules are tested over a file in memory; here only the real file's path.
TEST_F(PosixProfileTest, FirstWriteCreatesTheFileInCodePage932UnderItsUtf8OrRelativePath) {
  const std::u16string file = U("日本語フォルダの設定.ini");
  ASSERT_TRUE(os_.ProfileWriteString(u"設定", u"名前", u"値ソ表", file));
  EXPECT_EQ(dir_.Get("日本語フォルダの設定.ini"), Cp932Encode(u"[設定]\r\n名前=値ソ表\r\n"));
  EXPECT_EQ(os_.ProfileGetString(u"設定", u"名前", u"", file), u"値ソ表");
  // a relative path is taken from the current folder
  fs::current_path(dir_.path());
  ASSERT_TRUE(os_.ProfileWriteString(u"s", u"k", u"here", u"rel.ini"));
  EXPECT_EQ(dir_.Get("rel.ini"), "[s]\r\nk=here\r\n");
  EXPECT_EQ(os_.ProfileGetString(u"s", u"k", u"", u"rel.ini"), u"here");
}

// Another program rewrites the file in place with the same size right after each reading:
// within the same tick of the file clock, so only the time of the reading can tell.
TEST_F(PosixProfileTest, RewriteOfTheSameSizeRightAfterAReadingIsSeen) {
  auto owned = std::make_unique<test::ScriptedSys>();
  owned->whole_seconds = true;  // as on a file system that keeps whole seconds only
  PosixPlatform coarse(std::move(owned));
  for (PosixPlatform* os : {&os_, &coarse}) {
    for (int i = 0; i < 200; ++i) {
      const std::string value = std::to_string(i % 10);
      dir_.Put("hand.ini", "[s]\r\nk=" + value + "\r\n");
      ASSERT_EQ(os->ProfileGetString(u"s", u"k", u"", U("hand.ini")), Utf8ToUtf16(value)) << i;
      // And right after a write of its own.
      ASSERT_TRUE(os->ProfileWriteString(u"s", u"k", u"x", U("hand.ini")));
      EXPECT_EQ(os->ProfileGetString(u"s", u"k", u"", U("hand.ini")), u"x");
      dir_.Put("hand.ini", "[s]\r\nk=" + value + "\r\n");
      ASSERT_EQ(os->ProfileGetString(u"s", u"k", u"", U("hand.ini")), Utf8ToUtf16(value)) << i;
    }
  }
}

TEST_F(PosixProfileTest, ParsedFileIsKeptWhileTheFileStaysTheSame) {
  auto owned = std::make_unique<test::ScriptedSys>();
  test::ScriptedSys& sys = *owned;
  sys.clock_shift = 10;  // every file looks long settled
  PosixPlatform os(std::move(owned));
  const std::u16string file = U("kept.ini");
  dir_.Put("kept.ini", "[s]\r\nk=1\r\nj=2\r\n[t]\r\n");
  auto get = [&] { return os.ProfileGetString(u"s", u"k", u"", file); };
  EXPECT_EQ(get(), u"1");
  const int opened = sys.uses["open"];
  EXPECT_EQ(os.ProfileKeyNames(u"s", file), (Names{u"k", u"j"}));
  EXPECT_EQ(os.ProfileSectionNames(file), (Names{u"s", u"t"}));
  EXPECT_EQ(get(), u"1");
  EXPECT_EQ(sys.uses["open"], opened);  // answered from the kept copy

  // Replaced by another program (a new inode), touched, grown in place, removed, written.
  dir_.Put("other.ini", "[s]\r\nk=3\r\nj=2\r\n[t]\r\n");
  fs::rename(dir_ / "other.ini", dir_ / "kept.ini");
  EXPECT_EQ(get(), u"3");
  dir_.Put("kept.ini", "[s]\r\nk=4\r\nj=2\r\n[t]\r\n");
  const timespec times[2] = {{0, UTIME_OMIT}, {1'000'000'000, 123}};
  ASSERT_EQ(::utimensat(AT_FDCWD, (dir_ / "kept.ini").c_str(), times, 0), 0);
  EXPECT_EQ(get(), u"4");
  dir_.Put("kept.ini", "[s]\r\nk=55\r\n");
  EXPECT_EQ(get(), u"55");
  fs::remove(dir_ / "kept.ini");
  EXPECT_EQ(get(), u"");
  ASSERT_TRUE(os.ProfileWriteString(u"s", u"k", u"6", file));
  EXPECT_EQ(get(), u"6");
}

TEST_F(PosixProfileTest, FileIsReplacedWholeAndOnlyWhenItsBytesChange) {
  dir_.Put("real.ini", "[s]\r\nk=1\r\n");
  const ino_t before = Inode("real.ini");
  EXPECT_TRUE(os_.ProfileWriteString(u"s", u"k", u"1", U("real.ini")));
  EXPECT_TRUE(os_.ProfileDeleteSection(u"gone", U("real.ini")));
  EXPECT_EQ(Inode("real.ini"), before);
  ASSERT_TRUE(os_.ProfileWriteString(u"s", u"k", u"2", U("real.ini")));
  EXPECT_NE(Inode("real.ini"), before);  // a reader sees the old file or the new one
  EXPECT_EQ(dir_.Get("real.ini"), "[s]\r\nk=2\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), {}), 1);  // no temporary file
}

TEST_F(PosixProfileTest, WhatIsNoFileIsNeverReplaced) {
  fs::create_directory(dir_ / "folder.ini");
  EXPECT_EQ(os_.ProfileGetString(u"s", u"k", u"d", U("folder.ini")), u"d");
  EXPECT_FALSE(os_.ProfileWriteString(u"s", u"k", u"v", U("folder.ini")));
  EXPECT_TRUE(fs::is_directory(dir_ / "folder.ini"));
  ASSERT_EQ(::mkfifo((dir_ / "fifo.ini").c_str(), 0600), 0);
  EXPECT_EQ(os_.ProfileGetString(u"s", u"k", u"d", U("fifo.ini")), u"d");  // does not hang
  EXPECT_FALSE(os_.ProfileWriteString(u"s", u"k", u"v", U("fifo.ini")));
  EXPECT_FALSE(os_.ProfileWriteString(u"s", u"k", u"v", U("no/such/folder.ini")));
  EXPECT_FALSE(os_.ProfileWriteString(u"s", u"k", u"v", u""));
}

}  // namespace
}  // namespace qrx
