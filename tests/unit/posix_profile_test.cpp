// The profile calls of the POSIX platform on real files in a fresh temporary folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "base/text.h"
#include "fake/scoped.h"
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

TEST_F(PosixProfileTest, FirstWriteCreatesTheFileInCodePage932WithCrLf) {
  const std::u16string file = U("日本語フォルダの設定.ini");  // the path is UTF-8 on disk
  EXPECT_EQ(os_.ProfileGetString(u"設定", u"名前", u"なし", file), u"なし");
  ASSERT_TRUE(os_.ProfileWriteString(u"設定", u"名前", u"値ソ表", file));
  ASSERT_TRUE(os_.ProfileWriteString(u"SYSTEM", u"Version", u"0.50", file));
  EXPECT_EQ(dir_.Get("日本語フォルダの設定.ini"),
            Cp932Encode(u"[設定]\r\n名前=値ソ表\r\n[SYSTEM]\r\nVersion=0.50\r\n"));
  EXPECT_EQ(os_.ProfileGetString(u"設定", u"名前", u"", file), u"値ソ表");
  EXPECT_EQ(os_.ProfileKeyNames(u"設定", file), Names{u"名前"});
  EXPECT_EQ(os_.ProfileSectionNames(file), (Names{u"設定", u"SYSTEM"}));
  dir_.Put("日本語フォルダの設定.ini", "[s]\r\nk=2\r\n");  // nothing is cached
  EXPECT_EQ(os_.ProfileGetString(u"s", u"k", u"", file), u"2");
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

TEST_F(PosixProfileTest, RelativePathIsTakenFromTheCurrentFolder) {
  fs::current_path(dir_.path());
  ASSERT_TRUE(os_.ProfileWriteString(u"s", u"k", u"here", u"rel.ini"));
  EXPECT_EQ(dir_.Get("rel.ini"), "[s]\r\nk=here\r\n");
  EXPECT_EQ(os_.ProfileGetString(u"s", u"k", u"", u"rel.ini"), u"here");
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
