// The shell's file operations, the trash and MD/CD/CHDRIVE with the POSIX platform on real
// files in a temporary folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "base/text.h"
#include "fake/scoped.h"
#include "fake/scripted_sys.h"
#include "platform/posix/posix_platform.h"

namespace qrx::test {
namespace {

namespace fs = std::filesystem;

// Answers questions from a script (empty: no) and records them as "kind name".
class ScriptedQuestions : public FileQuestions {
 public:
  std::vector<bool> replies;
  std::vector<std::string> asked;
  bool Confirm(FileQuestion question, std::u16string_view name, int32_t matches) override {
    const char* kind = question == FileQuestion::kDelete  ? "delete"
                       : question == FileQuestion::kTrash ? "trash"
                                                          : "replace";
    asked.push_back(std::string(kind) + " " + Utf16ToUtf8(name) +
                    (matches > 0 ? " (" + std::to_string(matches) + ")" : ""));
    const bool yes = !replies.empty() && replies.front();
    if (!replies.empty()) replies.erase(replies.begin());
    cancelled = !yes && cancel_on_no;
    return yes;
  }
  bool Cancelled() const override { return cancelled; }
  bool cancel_on_no = false;  // a "no" is the Cancel button
  bool cancelled = false;
};

std::u16string List(std::string_view name) {
  std::u16string list = Utf8ToUtf16(name);
  list.push_back(u'\0');
  list.push_back(u'\0');
  return list;
}

class PosixFileOpsTest : public ::testing::Test {
 protected:
  PosixFileOpsTest() : xdg("XDG_DATA_HOME", (dir / "data").c_str()) {}

  // Runs an operation in the temporary folder; "-" as destination means none. The result
  // as "code" or "code aborted".
  std::string Op(uint32_t function, std::string_view from, std::string_view to, uint16_t flags) {
    ShellFileOperation op;
    op.function = function;
    op.from = List(dir / from);
    if (to != "-") op.to = List(dir / to);
    op.flags = flags;
    const ShellFileResult r = os.FileOperation(op, questions);
    return std::to_string(r.code) + (r.aborted ? " aborted" : "");
  }
  bool Has(std::string_view name) const { return fs::exists(fs::symlink_status(dir / name)); }
  // The names in a folder of the temporary folder, sorted, "/" after folders.
  std::string Listing(std::string_view folder = "") const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir / folder)) {
      names.push_back(e.path().filename().string() + (e.is_directory() ? "/" : ""));
    }
    std::sort(names.begin(), names.end());
    std::string out;
    for (const auto& n : names) out += (out.empty() ? "" : " ") + n;
    return out;
  }

  static constexpr uint16_t kQuiet = fo::kNoConfirmation | fo::kSilent;
  TempFolder dir;
  ScopedEnv xdg;
  PosixPlatform os;
  ScriptedQuestions questions;
};

TEST_F(PosixFileOpsTest, CopiesMakeFoldersAndAskOnceBeforeReplacing) {
  dir.Put("a b.txt", "one");
  for (const char* to : {"new/deeper/x.txt", "new", "made/"}) {  // folders made
    EXPECT_EQ(Op(fo::kCopy, "a b.txt", to, 0), "0") << to;
  }
  EXPECT_EQ(dir.Get("new/deeper/x.txt") + dir.Get("new/a b.txt") + dir.Get("made/a b.txt"),
            "oneoneone");  // an existing folder takes it in, a trailing / names a folder
  questions.replies = {true};
  EXPECT_EQ(Op(fo::kCopy, "a b.txt", "made/a b.txt", 0), "0");
  EXPECT_EQ(questions.asked, (std::vector<std::string>{"replace " + dir / "made/a b.txt"}));
  EXPECT_EQ(Listing(), "a b.txt made/ new/");  // no temporary file left
}

TEST_F(PosixFileOpsTest, CopiesFoldersWithTheirContentsPermissionsAndTimes) {
  fs::create_directories(dir / "src/inner/deep");
  dir.Put("src/top.txt", "t");
  dir.Put("src/inner/deep/d.txt", "d");
  fs::permissions(dir / "src/top.txt", fs::perms::owner_read | fs::perms::owner_exec);
  fs::create_symlink("top.txt", dir / "src/link");
  const auto when = fs::file_time_type::clock::now() - std::chrono::hours(48);
  fs::last_write_time(dir / "src/inner/deep/d.txt", when);

  EXPECT_EQ(Op(fo::kCopy, "src", "copy", 0), "0");
  EXPECT_EQ(Listing("copy"), "inner/ link top.txt");
  EXPECT_EQ(dir.Get("copy/inner/deep/d.txt"), "d");
  EXPECT_EQ(fs::status(dir / "copy/top.txt").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(fs::read_symlink(dir / "copy/link"), "top.txt");  // a link stays a link
  EXPECT_EQ(fs::last_write_time(dir / "copy/inner/deep/d.txt"), when);

  // Into an existing folder of the same name: merged, with a question per existing file.
  EXPECT_EQ(Op(fo::kCopy, "src", "", 0), "113");  // onto itself
  dir.Put("src/new.txt", "n");
  EXPECT_EQ(Op(fo::kCopy, "src/*", "copy", kQuiet), "0");
  EXPECT_EQ(Listing("copy"), "inner/ link new.txt top.txt");
}

TEST_F(PosixFileOpsTest, WildcardsTakeEveryMatchOfTheLastPartIntoAFolder) {
  for (const char* name : {"w1.txt", "w2.txt", "wx.log", ".w3.txt", "other.txt"}) {
    dir.Put(name, name);
  }
  fs::create_directories(dir / "wdir.txt");
  EXPECT_EQ(Op(fo::kCopy, "w?.*", "out2", 0), "0");  // the folder is made
  EXPECT_EQ(Listing("out2"), "w1.txt w2.txt wx.log");
  EXPECT_EQ(Op(fo::kCopy, ".w*", "out3", 0), "0");  // hidden names only when asked for
  EXPECT_EQ(Listing("out3"), ".w3.txt");
  EXPECT_EQ(Op(fo::kCopy, "none*.txt", "out4", 0), "0");  // no match: nothing, no folder
  EXPECT_FALSE(Has("out4"));
  EXPECT_EQ(Op(fo::kCopy, "w*.txt", "other.txt", 0), "114");  // several into one file
  EXPECT_EQ(Op(fo::kCopy, "nodir/w*.txt", "out5", 0), "3");
  EXPECT_EQ(Op(fo::kMove, "w*.txt", "moved", 0), "0");
  EXPECT_EQ(Listing("moved"), "w1.txt w2.txt wdir.txt/");
  EXPECT_FALSE(Has("w1.txt"));
  EXPECT_TRUE(Has("wx.log"));
}

TEST_F(PosixFileOpsTest, MovesFilesAndFoldersButNeverIntoThemselvesOrOverTheOtherKind) {
  fs::create_directories(dir / "f/sub");
  dir.Put("f/sub/s.txt", "s");
  dir.Put("a.txt", "a");
  dir.Put("b.txt", "b");
  EXPECT_EQ(Op(fo::kMove, "f", "g", 0), "0");
  EXPECT_EQ(Op(fo::kMove, "a.txt", "b.txt", kQuiet), "0");
  EXPECT_EQ(dir.Get("b.txt"), "a");
  EXPECT_FALSE(Has("a.txt"));
  EXPECT_EQ(Op(fo::kMove, "g", "g/sub/inside", kQuiet), "118");  // into itself
  EXPECT_EQ(Op(fo::kCopy, "g", "g/new/deeper", kQuiet), "118");  // and nothing made for it
  EXPECT_FALSE(Has("g/new"));
  EXPECT_EQ(Op(fo::kMove, "missing.txt", "x.txt", 0), "2");
  EXPECT_EQ(Op(fo::kMove, "g", "b.txt", kQuiet), "126");    // a folder over a file
  EXPECT_EQ(Op(fo::kCopy, "b.txt", "g/sub", kQuiet), "0");  // into the folder
  fs::create_directories(dir / "h/b.txt");
  EXPECT_EQ(Op(fo::kCopy, "b.txt", "h", kQuiet), "128");  // a file over a folder
  EXPECT_EQ(Listing(), "b.txt g/ h/");
}

TEST_F(PosixFileOpsTest, RenamesWithinTheFolderAndNeverOverAnExistingName) {
  fs::create_directories(dir / "sub");
  dir.Put("sub/a.txt", "a");
  dir.Put("sub/b.txt", "b");
  dir.Put("sub/c1.txt", "c");
  dir.Put("sub/c2.txt", "c");
  EXPECT_EQ(Op(fo::kRename, "sub/a.txt", "sub/z.txt", 0), "0");
  // A bare new name stays in the folder of the renamed file.
  ShellFileOperation bare{0, fo::kRename, List(dir / "sub/z.txt"), List("y.txt"), 0};
  EXPECT_EQ(os.FileOperation(bare, questions).code, 0);
  EXPECT_EQ(Listing("sub"), "b.txt c1.txt c2.txt y.txt");
  EXPECT_EQ(Op(fo::kRename, "sub/y.txt", "sub/b.txt", kQuiet), "183");
  EXPECT_EQ(dir.Get("sub/b.txt"), "b");
  EXPECT_EQ(Op(fo::kRename, "sub/y.txt", "elsewhere.txt", 0), "115");
  EXPECT_EQ(Op(fo::kRename, "sub/c*.txt", "sub/c.txt", 0), "114");
  EXPECT_EQ(Op(fo::kRename, "sub/c1*", "sub/first.txt", 0), "0");
  EXPECT_EQ(Op(fo::kRename, "sub/none.txt", "sub/x.txt", 0), "2");
  EXPECT_EQ(Op(fo::kRename, "sub", "renamed", 0), "0");
  EXPECT_EQ(Listing("renamed"), "b.txt c2.txt first.txt y.txt");
  EXPECT_TRUE(questions.asked.empty());
}

TEST_F(PosixFileOpsTest, DeletesAfterOneQuestionWithTheNameAsGiven) {
  fs::create_directories(dir / "d/sub");
  dir.Put("d/sub/x.txt", "x");
  dir.Put("k1.txt", "1");
  dir.Put("k2.txt", "2");
  EXPECT_EQ(Op(fo::kDelete, "k*.txt", "-", 0), "0 aborted");
  EXPECT_TRUE(Has("k1.txt"));
  questions.replies = {true, true};
  EXPECT_EQ(Op(fo::kDelete, "k*.txt", "-", 0), "0");
  EXPECT_EQ(Op(fo::kDelete, "d", "-", 0), "0");
  EXPECT_EQ(questions.asked,
            (std::vector<std::string>{"delete " + dir / "k*.txt (2)",
                                      "delete " + dir / "k*.txt (2)", "delete " + dir / "d"}));
  EXPECT_EQ(Listing(), "");

  fs::create_directories(dir / "e/keep");
  dir.Put("e/gone.txt", "g");
  EXPECT_EQ(Op(fo::kDelete, "e/*", "-", kQuiet | fo::kFilesOnly), "0");  // folders stay
  EXPECT_EQ(Listing("e"), "keep/");
  EXPECT_EQ(Op(fo::kDelete, "e/none*", "-", 0), "0");  // nothing matched: no question
  EXPECT_EQ(questions.asked.size(), 3u);
  EXPECT_EQ(Op(fo::kDelete, "missing.txt", "-", kQuiet), "2");
  EXPECT_EQ(Op(fo::kDelete, "nodir/missing.txt", "-", kQuiet), "3");
  EXPECT_EQ(Op(fo::kDelete, "e/.", "-", kQuiet), "123");
  ShellFileOperation root{0, fo::kDelete, List("/"), u"", kQuiet};
  EXPECT_EQ(os.FileOperation(root, questions).code, 0x74);
  ShellFileOperation empty{0, fo::kDelete, std::u16string(2, u'\0'), u"", kQuiet};
  EXPECT_EQ(os.FileOperation(empty, questions).code, 5);
}

TEST_F(PosixFileOpsTest, TheTrashGetsTheItemAndItsInfo) {
  dir.Put("old file.txt", "o");
  fs::create_directories(dir / "folder/in");
  questions.replies = {true};
  EXPECT_EQ(Op(fo::kDelete, "old file.txt", "-", fo::kAllowUndo), "0");
  EXPECT_EQ(questions.asked, (std::vector<std::string>{"trash " + dir / "old file.txt"}));
  EXPECT_EQ(dir.Get("data/Trash/files/old file.txt"), "o");
  const std::string info = dir.Get("data/Trash/info/old file.txt.trashinfo");
  const std::string escaped = std::regex_replace(dir.path(), std::regex(" "), "%20");
  EXPECT_TRUE(std::regex_match(info, std::regex("\\[Trash Info\\]\nPath=" + escaped +
                                                "/old%20file.txt\nDeletionDate=\\d{4}-\\d\\d-"
                                                "\\d\\dT\\d\\d:\\d\\d:\\d\\d\n")))
      << info;
  EXPECT_EQ(fs::status(dir / "data/Trash/files").permissions() & fs::perms::all,
            fs::perms::owner_all);

  // A second item of that name gets a name of its own; folders go whole.
  dir.Put("old file.txt", "o2");
  EXPECT_EQ(Op(fo::kDelete, "old file.txt", "-", fo::kAllowUndo | kQuiet), "0");
  EXPECT_EQ(dir.Get("data/Trash/files/old file.2.txt"), "o2");
  EXPECT_TRUE(Has("data/Trash/info/old file.2.txt.trashinfo"));
  EXPECT_EQ(Op(fo::kDelete, "folder", "-", fo::kAllowUndo | kQuiet), "0");
  EXPECT_TRUE(fs::is_directory(dir / "data/Trash/files/folder/in"));
  EXPECT_EQ(Listing(), "data/");
  // The trash's own folders never go, to the trash or for good.
  for (const char* own : {"data/Trash/info", "data/Trash", "data/Trash/files/folder"}) {
    EXPECT_EQ(Op(fo::kDelete, own, "-", fo::kAllowUndo | kQuiet), "5") << own;
    EXPECT_EQ(Op(fo::kDelete, own, "-", kQuiet), "5") << own;
  }
  EXPECT_EQ(Listing("data/Trash/info"), "folder.trashinfo old file.2.txt.trashinfo old file.txt.trashinfo");
  // A trash that cannot be made keeps the file.
  fs::remove_all(dir / "data");
  dir.Put("data", "a file where the data folder should be");
  dir.Put("keep.txt", "k");
  EXPECT_EQ(Op(fo::kDelete, "keep.txt", "-", fo::kAllowUndo | kQuiet), "3");
  EXPECT_EQ(dir.Get("keep.txt"), "k");
}

TEST_F(PosixFileOpsTest, ReadOnlyPlacesAnswerAccessDenied) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not stop the superuser";
  fs::create_directories(dir / "ro");
  dir.Put("ro/x.txt", "x");
  fs::permissions(dir / "ro", fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(Op(fo::kDelete, "ro/x.txt", "-", kQuiet), "5");
  EXPECT_EQ(Op(fo::kCopy, "ro/x.txt", "ro/y.txt", kQuiet), "5");
  fs::permissions(dir / "ro", fs::perms::owner_all);
}

TEST_F(PosixFileOpsTest, HostileNamesAreTakenExactlyAsGiven) {
  const std::string long_name = std::string(246, 'n') + ".txt";  // 250 bytes
  for (const std::string& name : {std::string("a*b.txt"), std::string("aXb.txt"),
                                  std::string("ab.txt"), long_name}) {
    dir.Put(name, name);
  }
  dir.Put("new.txt", "new");
  // A name that exists as written is that file, "*" and all.
  EXPECT_EQ(Op(fo::kDelete, "a*b.txt", "-", kQuiet), "0");
  // A 250-byte name is replaced and trashed: only the helper names are short.
  EXPECT_EQ(Op(fo::kCopy, "new.txt", long_name, kQuiet), "0");
  EXPECT_EQ(Op(fo::kDelete, long_name, "-", fo::kAllowUndo | kQuiet), "0");
  EXPECT_EQ(Listing(), "aXb.txt ab.txt data/ new.txt");
  const std::string stored = std::string(241, 'n') + ".txt";  // 245 bytes
  EXPECT_EQ(dir.Get("data/Trash/files/" + stored), "new");
  EXPECT_NE(dir.Get("data/Trash/info/" + stored + ".trashinfo").find(long_name), std::string::npos);
}

TEST_F(PosixFileOpsTest, ALinkNamedOnTheLineIsWhatItPointsTo) {
  dir.Put("real.txt", "R");
  fs::create_directories(dir / "s/d");
  fs::create_directories(dir / "d");
  dir.Put("d/real.txt", "D");
  fs::create_symlink("real.txt", dir / "link.txt");
  fs::create_symlink(dir / "real.txt", dir / "abs.txt");
  fs::create_symlink("../../d/real.txt", dir / "s/d/real.txt");
  questions.replies = std::vector<bool>(8, true);
  struct Case {
    uint32_t function;
    const char *from, *to, *code;
  } const cases[] = {
      // Onto the file it points to: the same file, nothing changes.
      {fo::kCopy, "link.txt", "real.txt", "113"},
      {fo::kMove, "link.txt", "real.txt", "113"},
      {fo::kCopy, "abs.txt", "real.txt", "113"},
      {fo::kCopy, "real.txt", "link.txt", "113"},
      {fo::kMove, "s/d", ".", "113"},  // a link met in a folder merge
      // Elsewhere a copy of what it points to, not a link that would dangle there.
      {fo::kCopy, "link.txt", "backup/", "0"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Op(c.function, c.from, c.to, 0), c.code) << c.from << " " << c.to;
    EXPECT_EQ(dir.Get("real.txt") + dir.Get("d/real.txt"), "RD") << c.from << " " << c.to;
  }
  EXPECT_FALSE(fs::is_symlink(dir / "backup/link.txt"));
  EXPECT_EQ(dir.Get("backup/link.txt"), "R");
}

TEST_F(PosixFileOpsTest, ANoSkipsThatItemCancelStopsTheOperation) {
  for (const char* name : {"from/f/a", "from/f/b", "from/f/c", "to/f/a", "to/f/b"}) {
    fs::create_directories(fs::path(dir / name).parent_path());
    dir.Put(name, name);
  }
  questions.replies = {false, true};
  EXPECT_EQ(Op(fo::kMove, "from/f", "to", 0), "0 aborted");
  EXPECT_EQ(dir.Get("to/f/a") + dir.Get("to/f/b") + dir.Get("to/f/c"), "to/f/afrom/f/bfrom/f/c");
  EXPECT_EQ(Listing("from/f"), "a");  // what was kept stays where it was
  // Cancel stops the operation where it is.
  for (const char* name : {"c/from/a", "c/from/b", "c/from/c", "c/to/a", "c/to/c"}) {
    fs::create_directories(fs::path(dir / name).parent_path());
    dir.Put(name, name);
  }
  questions.asked.clear();
  questions.cancel_on_no = true;
  questions.replies = {false};  // Cancel at "a": neither b nor c is copied
  EXPECT_EQ(Op(fo::kCopy, "c/from/*", "c/to", 0), "0 aborted");
  EXPECT_EQ(questions.asked.size(), 1u);
  EXPECT_EQ(Listing("c/to"), "a c");
  EXPECT_EQ(dir.Get("c/to/a") + dir.Get("c/to/c"), "c/to/ac/to/c");
}

// The same operations with system calls that fail on request.
class ShellOperationFaultsTest : public PosixFileOpsTest {
 protected:
  ShellOperationFaultsTest() {
    auto scripted = std::make_unique<ScriptedSys>();
    sys = scripted.get();
    faulty = std::make_unique<PosixPlatform>(std::move(scripted));
  }
  std::string FaultyOp(uint32_t function, std::string_view from, std::string_view to) {
    ShellFileOperation op{0, function, List(dir / from), List(dir / to), kQuiet};
    if (to == "-") op.to.clear();
    return std::to_string(faulty->FileOperation(op, questions).code);
  }
  ScriptedSys* sys = nullptr;
  std::unique_ptr<PosixPlatform> faulty;
};

TEST_F(ShellOperationFaultsTest, AFailedCopyLeavesTheOldFileAndNoPartOfTheNewOne) {
  dir.Put("a.txt", std::string(100000, 'a'));
  dir.Put("b.txt", "old");
  sys->faults["write"] = {2, 1, ENOSPC, ""};
  EXPECT_EQ(FaultyOp(fo::kCopy, "a.txt", "b.txt"), "112");
  EXPECT_EQ(dir.Get("b.txt"), "old");
  sys->faults["write"] = {sys->uses["write"] + 2, 1, ENOSPC, ""};
  EXPECT_EQ(FaultyOp(fo::kCopy, "a.txt", "c.txt"), "112");
  EXPECT_EQ(Listing(), "a.txt b.txt");
  sys->faults.clear();
  sys->write_limit = 7;  // short writes still copy everything
  EXPECT_EQ(FaultyOp(fo::kCopy, "a.txt", "b.txt"), "0");
  EXPECT_EQ(dir.Get("b.txt"), dir.Get("a.txt"));
}

TEST_F(ShellOperationFaultsTest, ARefusedOpenIsAccessDeniedAndLeavesNothing) {
  // The same fault as a folder without write permission, also for the superuser.
  dir.Put("a.txt", "a");
  sys->faults["open"] = {1, 1, EACCES, "b.txt"};
  EXPECT_EQ(FaultyOp(fo::kCopy, "a.txt", "b.txt"), "5");
  EXPECT_EQ(Listing(), "a.txt");
  sys->faults["open"] = {sys->uses["open"] + 1, 1, EROFS, "c.txt"};
  EXPECT_EQ(FaultyOp(fo::kCopy, "a.txt", "c.txt"), "19");
  EXPECT_EQ(Listing(), "a.txt");
  // A folder that cannot be copied whole leaves no part of itself.
  fs::create_directories(dir / "f/in");
  dir.Put("f/in/z.txt", "z");
  sys->faults["open"] = {sys->uses["open"] + 1, 1, EACCES, "g/in/z.txt"};
  EXPECT_EQ(FaultyOp(fo::kCopy, "f", "g"), "5");
  EXPECT_EQ(Listing(), "a.txt f/");
}

TEST_F(ShellOperationFaultsTest, ATrashMoveThatFailsKeepsTheItemAndLeavesNoInfo) {
  dir.Put("keep.txt", "k");
  ShellFileOperation trash{0, fo::kDelete, List(dir / "keep.txt"), u"", fo::kAllowUndo | kQuiet};
  sys->faults["rename"] = {sys->uses["rename"] + 1, 1, EACCES, ""};
  EXPECT_EQ(faulty->FileOperation(trash, questions).code, 5);
  EXPECT_EQ(dir.Get("keep.txt"), "k");
  EXPECT_TRUE(fs::is_empty(dir / "data/Trash/info"));
}

}  // namespace
}  // namespace qrx::test
