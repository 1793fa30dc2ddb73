// The POSIX platform's file writes when system calls fail or are interrupted: a failed
// replacement leaves the old file as it was and no temporary file behind, an interrupted call
// is made again, and temporary files a killed writer left behind are cleared.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <set>

#include "base/text.h"
#include "fake/scoped.h"
#include "fake/scripted_sys.h"
#include "platform/posix/posix_platform.h"

namespace qrx {
namespace {

namespace fs = std::filesystem;
using test::ScriptedSys;

class PosixFileFaultsTest : public ::testing::Test {
 protected:
  PosixFileFaultsTest() {
    auto sys = std::make_unique<ScriptedSys>();
    sys_ = sys.get();
    os_ = std::make_unique<PosixPlatform>(std::move(sys));
    dir_.Put("config.ini", kOld);
  }

  std::u16string U(std::string_view name) const { return Utf8ToUtf16(dir_ / name); }
  std::set<std::string> List() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_.path())) names.insert(e.path().filename());
    return names;
  }
  void Fail(const std::string& call, int error, int from = 1, int times = 1) {
    // Opening for reading is not part of a replacement; the temporary file is.
    sys_->faults[call] = {from, times, error, call == "open" ? "/.qrx-" : ""};
  }
  bool WriteSetting(std::u16string_view value) {
    return os_->ProfileWriteString(u"SET", u"1", std::u16string(value), U("config.ini"));
  }
  std::string Config() const { return dir_.Get("config.ini"); }

  static constexpr std::string_view kOld = "[SET]\r\n1=old\r\n";
  test::TempFolder dir_;
  ScriptedSys* sys_ = nullptr;
  std::unique_ptr<PosixPlatform> os_;
};

TEST_F(PosixFileFaultsTest, FailedReplacementLeavesTheOldFileAndNoTemporary) {
  // Every step of the replacement in turn: creating the temporary file, writing it, closing
  // it, renaming it; and the flush of the whole-file writes, which ask for one.
  for (const char* call : {"open", "write", "close", "rename"}) {
    SCOPED_TRACE(call);
    sys_->uses.clear();
    sys_->faults.clear();
    Fail(call, call == std::string("write") ? ENOSPC : EIO, 1, 1000);
    EXPECT_FALSE(WriteSetting(u"new"));
    EXPECT_FALSE(os_->WriteFile(U("config.ini"), "whole"));
    EXPECT_EQ(Config(), kOld);
    EXPECT_EQ(List(), std::set<std::string>{"config.ini"});
    sys_->faults.clear();
    EXPECT_EQ(os_->ProfileGetString(u"SET", u"1", u"", U("config.ini")), u"old");
  }
  sys_->uses.clear();
  Fail("fsync", EIO);
  EXPECT_FALSE(os_->WriteFile(U("config.ini"), "whole"));
  EXPECT_EQ(Config(), kOld);
  EXPECT_EQ(List(), std::set<std::string>{"config.ini"});
}

TEST_F(PosixFileFaultsTest, InterruptedAndShortCallsAreCarriedOn) {
  for (const char* call : {"open", "write", "fsync", "rename", "read"}) Fail(call, EINTR, 1, 3);
  sys_->write_limit = 3;
  sys_->read_limit = 1000;
  ASSERT_TRUE(WriteSetting(u"new value"));
  EXPECT_EQ(Config(), "[SET]\r\n1=new value\r\n");
  ASSERT_TRUE(os_->WriteFile(U("whole.bin"), std::string(100'000, 'x')));
  EXPECT_EQ(os_->ReadFile(U("whole.bin")), std::string(100'000, 'x'));
  EXPECT_EQ(os_->ProfileGetString(u"SET", u"1", u"", U("config.ini")), u"new value");
  EXPECT_EQ(List(), (std::set<std::string>{"config.ini", "whole.bin"}));
  ASSERT_TRUE(os_->AppendFile(U("whole.bin"), "tail"));
  EXPECT_EQ(dir_.Get("whole.bin").size(), 100'004u);
}

TEST_F(PosixFileFaultsTest, ProfileWritesAreNotFlushedButWholeFileWritesAre) {
  ASSERT_TRUE(WriteSetting(u"new"));
  EXPECT_EQ(sys_->uses["fsync"], 0);
  ASSERT_TRUE(os_->WriteFile(U("out.bin"), "x"));
  ASSERT_TRUE(os_->CopyFile(U("out.bin"), U("copy.bin")));
  EXPECT_EQ(sys_->uses["fsync"], 2);
}

TEST_F(PosixFileFaultsTest, StaleTemporariesOfEndedWritersGoAtTheNextWrite) {
  const pid_t ended = 999'999'001;
  const std::string ours = std::to_string(::getpid());
  sys_->gone.insert(ended);
  const std::string dead = ".qrx-" + std::to_string(ended) + "-17.tmp";
  const std::string live = ".qrx-" + ours + "-18.tmp";
  const std::string old = ".qrx-" + ours + "-19.tmp";
  for (const std::string& name : {dead, live, old}) dir_.Put(name, "partial");
  // Only our naming, and only ordinary files.
  const std::set<std::string> others = {".qrx-" + std::to_string(ended) + "-x.tmp",
                                        ".qrx-" + std::to_string(ended) + "-1.txt", "qrx-1-1.tmp",
                                        ".qrx--1.tmp", "notes.tmp"};
  for (const std::string& name : others) dir_.Put(name, "keep");
  fs::create_directory(dir_ / (".qrx-" + std::to_string(ended) + "-20.tmp"));
  const auto two_hours_ago = fs::file_time_type::clock::now() - std::chrono::hours(2);
  fs::last_write_time(dir_ / old, two_hours_ago);

  ASSERT_TRUE(WriteSetting(u"new"));
  std::set<std::string> expected = others;
  expected.insert({"config.ini", live, ".qrx-" + std::to_string(ended) + "-20.tmp"});
  EXPECT_EQ(List(), expected);
}

TEST_F(PosixFileFaultsTest, RunOfWritesClearsStaleTemporariesOnceASecond) {
  ASSERT_TRUE(WriteSetting(u"first"));
  const pid_t ended = 999'999'003;
  sys_->gone.insert(ended);
  const std::string stale = ".qrx-" + std::to_string(ended) + "-1.tmp";
  dir_.Put(stale, "partial");
  ASSERT_TRUE(WriteSetting(u"second"));
  EXPECT_TRUE(List().count(stale));  // cleared less than a second ago
  sys_->clock_shift = 2;
  ASSERT_TRUE(WriteSetting(u"third"));
  EXPECT_EQ(List(), std::set<std::string>{"config.ini"});
  dir_.Put(stale, "partial");
  EXPECT_TRUE(os_->WriteFile(U("whole.bin"), "x"));  // whole-file writes clear every time
  EXPECT_EQ(List(), (std::set<std::string>{"config.ini", "whole.bin"}));
}

TEST_F(PosixFileFaultsTest, StaleTemporariesGoWhenAFolderIsFirstRead) {
  const pid_t ended = 999'999'002;
  sys_->gone.insert(ended);
  dir_.Put(".qrx-" + std::to_string(ended) + "-1.tmp", "partial");
  EXPECT_EQ(os_->ProfileGetString(u"SET", u"1", u"", U("config.ini")), u"old");
  EXPECT_EQ(List(), std::set<std::string>{"config.ini"});
}

}  // namespace
}  // namespace qrx
