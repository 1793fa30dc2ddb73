// The profile calls of the POSIX platform on real files in a fresh temporary folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "base/text.h"
#include "platform/posix/cp932.h"
#include "platform/posix/posix_platform.h"

namespace qrx {
namespace {

namespace fs = std::filesystem;

class PosixProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "qrx-profile-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    root_ = tmpl;
    old_cwd_ = fs::current_path();
  }
  void TearDown() override {
    fs::current_path(old_cwd_);
    fs::remove_all(root_);
  }

  std::string P(std::string_view name) const { return root_ + "/" + std::string(name); }
  std::u16string U(std::string_view name) const { return Utf8ToUtf16(P(name)); }
  void Put(std::string_view name, std::string_view bytes) const {
    std::ofstream(P(name), std::ios::binary) << bytes;
  }
  std::string Bytes(std::string_view name) const {
    std::ifstream in(P(name), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  std::set<std::string> List() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(root_)) names.insert(e.path().filename().string());
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

TEST_F(PosixProfileTest, FirstWriteCreatesTheFileInCodePage932WithCrLf) {
  const std::u16string file = U("日本語フォルダの設定.ini");  // the path is UTF-8 on disk
  EXPECT_EQ(os_.ProfileGetString(u"設定", u"名前", u"なし", file), u"なし");
  ASSERT_TRUE(os_.ProfileWriteString(u"設定", u"名前", u"値ソ表", file));
  ASSERT_TRUE(os_.ProfileWriteString(u"SYSTEM", u"Version", u"0.50", file));
  EXPECT_EQ(Bytes("日本語フォルダの設定.ini"),
            Cp932Encode(u"[設定]\r\n名前=値ソ表\r\n[SYSTEM]\r\nVersion=0.50\r\n"));
  EXPECT_EQ(os_.ProfileGetString(u"設定", u"名前", u"", file), u"値ソ表");
  EXPECT_EQ(os_.ProfileKeyNames(u"設定", file), std::vector<std::u16string>{u"名前"});
  EXPECT_EQ(os_.ProfileSectionNames(file), (std::vector<std::u16string>{u"設定", u"SYSTEM"}));
}

TEST_F(PosixProfileTest, EditsOfAHandWrittenFileKeepEveryOtherByte) {
  Put("hand.ini", "; mine\n\n[a]\n  x = 1   \n\n[b]\ny=2\n");
  ASSERT_TRUE(os_.ProfileWriteString(u"b", u"y", u"3", U("hand.ini")));
  ASSERT_TRUE(os_.ProfileDeleteSection(u"A", U("hand.ini")));
  EXPECT_EQ(Bytes("hand.ini"), "; mine\n\n[b]\ny=3\n");
}

TEST_F(PosixProfileTest, ReplaceLeavesNoTemporaryFileAndKeepsPermissionsAndLinks) {
  Put("real.ini", "[s]\r\nk=1\r\n");
  ::chmod(P("real.ini").c_str(), 0640);
  ASSERT_EQ(::symlink("real.ini", P("link.ini").c_str()), 0);
  ASSERT_TRUE(os_.ProfileWriteString(u"s", u"k", u"2", U("link.ini")));
  EXPECT_EQ(Bytes("real.ini"), "[s]\r\nk=2\r\n");
  EXPECT_EQ(Mode("real.ini"), 0640u);
  EXPECT_TRUE(fs::is_symlink(P("link.ini")));
  EXPECT_EQ(List(), (std::set<std::string>{"real.ini", "link.ini"}));
}

TEST_F(PosixProfileTest, UnchangedFileIsNotRewritten) {
  Put("same.ini", "[s]\r\nk = v\r\n");
  auto inode = [&] {
    struct stat st {};
    EXPECT_EQ(::stat(P("same.ini").c_str(), &st), 0);
    return st.st_ino;
  };
  const auto before = inode();  // a replacement is a new file
  EXPECT_TRUE(os_.ProfileWriteString(u"s", u"k", u"v", U("same.ini")));
  EXPECT_TRUE(os_.ProfileWriteString(u"s", u"gone", std::nullopt, U("same.ini")));
  EXPECT_TRUE(os_.ProfileDeleteSection(u"gone", U("same.ini")));
  EXPECT_EQ(inode(), before);
  EXPECT_TRUE(os_.ProfileWriteString(u"s", u"k", u"w", U("same.ini")));
  EXPECT_NE(inode(), before);
}

TEST_F(PosixProfileTest, RelativePathIsTakenFromTheCurrentFolder) {
  fs::current_path(root_);
  ASSERT_TRUE(os_.ProfileWriteString(u"s", u"k", u"here", u"rel.ini"));
  EXPECT_EQ(Bytes("rel.ini"), "[s]\r\nk=here\r\n");
  EXPECT_EQ(os_.ProfileGetString(u"s", u"k", u"", u"rel.ini"), u"here");
}

TEST_F(PosixProfileTest, WhatIsNoFileIsNeverReplaced) {
  fs::create_directory(P("folder.ini"));
  EXPECT_EQ(os_.ProfileGetString(u"s", u"k", u"d", U("folder.ini")), u"d");
  EXPECT_FALSE(os_.ProfileWriteString(u"s", u"k", u"v", U("folder.ini")));
  EXPECT_TRUE(fs::is_directory(P("folder.ini")));
  ASSERT_EQ(::mkfifo(P("fifo.ini").c_str(), 0600), 0);
  EXPECT_EQ(os_.ProfileGetString(u"s", u"k", u"d", U("fifo.ini")), u"d");  // does not hang
  EXPECT_FALSE(os_.ProfileWriteString(u"s", u"k", u"v", U("no/such/folder.ini")));
  EXPECT_FALSE(os_.ProfileWriteString(u"s", u"k", u"v", u""));
}

TEST_F(PosixProfileTest, HandEditIsSeenByTheNextRead) {
  ASSERT_TRUE(os_.ProfileWriteString(u"s", u"k", u"1", U("edit.ini")));
  Put("edit.ini", "[s]\r\nk=2\r\n");
  EXPECT_EQ(os_.ProfileGetString(u"s", u"k", u"", U("edit.ini")), u"2");
}

TEST_F(PosixProfileTest, RefusedWriteLeavesTheFileAlone) {
  Put("r.ini", "[s]\r\nk=v\r\n");
  EXPECT_FALSE(os_.ProfileWriteString(u"s", u"k", u"v\r\n[t]", U("r.ini")));
  EXPECT_FALSE(os_.ProfileDeleteSection(u"", U("r.ini")));
  EXPECT_EQ(Bytes("r.ini"), "[s]\r\nk=v\r\n");
}

}  // namespace
}  // namespace qrx
