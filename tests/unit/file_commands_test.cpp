// COPY, MOVE, RENAME, DEL, MD, CD, CHDRIVE and PROPERTY on the fake platform: the record the
// shell gets and the report through the "SHFO" section.
#include "commands/files/file_commands.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "fake/harness.h"

namespace qrx::test {
namespace {

constexpr char16_t kMessages[] =
    u"[SHFO]\r\n0=done #A\r\n1=nothing started #A\r\n183=exists\r\n1223=cancelled #A\r\n"
    u"ERR=failed #A\r\nNOOPT=no file\r\nASK-DEL=delete #A?\r\nASK-TRASH=trash #A?\r\n"
    u"ASK-REPLACE=replace #A?\r\nASK-DEL-MATCHES=delete #B of #A?\r\n[PROPERTY]\r\nERR=no sheet for #A\r\n";

// A shell record in one line: function, source, destination (NULs as |) and flags.
std::string Record(const ShellFileOperation& op) {
  auto list = [](const std::u16string& names) {
    std::string out = Utf16ToUtf8(names);
    for (char& c : out) {
      if (c == '\0') c = '|';
    }
    return out;
  };
  return std::to_string(op.function) + " [" + list(op.from) + "] [" + list(op.to) + "] " +
         std::to_string(op.flags);
}

class FileCommandsTest : public StartedTest {
 protected:
  FileCommandsTest() : StartedTest(kMessages) {}
  std::u16string Last() const {
    return q.ui.LastAnswer() + u" (" + Decimal(q.ui.answers.back().time) + u")";
  }
  std::string LastRecord() const { return Record(q.os.file_operations.back()); }
};

TEST_F(FileCommandsTest, CopyMoveRenameHandTheUnquotedNamesToTheShell) {
  q.Type(u"COPY a.txt b.txt");
  ASSERT_EQ(q.os.file_operations.size(), 1u);
  EXPECT_EQ(q.os.file_operations[0].owner, 0x1234);  // the main window owns the dialogs
  EXPECT_EQ(LastRecord(), "2 [a.txt||] [b.txt||] 0");
  EXPECT_EQ(Last(), u"done 0 (3)");
  EXPECT_EQ(q.ctx.answer.params[0], u"0");

  q.Type(u"copy \"C:\\My Files\\a b.txt\" \"D:\\old files\\c d.txt\"");
  EXPECT_EQ(LastRecord(), "2 [C:\\My Files\\a b.txt||] [D:\\old files\\c d.txt||] 0");
  q.Type(u"MOVE a.txt D:\\my dir\\b.txt");  // the destination is the whole rest
  EXPECT_EQ(LastRecord(), "1 [a.txt||] [D:\\my dir\\b.txt||] 0");
  q.Type(u"Rename *.txt  b.txt");  // a second space stays at the destination's start
  EXPECT_EQ(LastRecord(), "4 [*.txt||] [ b.txt||] 0");
  q.Type(u"RENAME C:\\x/a.txt fresh.txt");  // renamed where it is, not in the current folder
  EXPECT_EQ(LastRecord(), "4 [C:\\x/a.txt||] [C:\\x/fresh.txt||] 0");
}

TEST_F(FileCommandsTest, DelTakesItsFlagsFromTheSecondOperand) {
  const std::pair<const char16_t*, const char*> cases[] = {
      {u"DEL old.txt 64", "3 [old.txt||] [64||] 64"},
      {u"DEL old.txt", "3 [old.txt||] [] 0"},
      {u"DEL old.txt x", "3 [old.txt||] [x||] 0"},
      {u"DEL x.txt 20", "3 [x.txt||] [20||] 20"},
      {u"DEL \"a b.txt\" &H54", "3 [a b.txt||] [&H54||] 84"},
      {u"DEL a.txt -1", "3 [a.txt||] [-1||] 65535"},
      // Beyond 16 bits: never held at a limit that means other flags; nothing is deleted.
      {u"DEL t.txt 99999", "none"},
      {u"DEL t.txt -32769", "none"},
  };
  for (const auto& [line, record] : cases) {
    q.os.file_operations.clear();
    q.Type(line);
    EXPECT_EQ(q.os.file_operations.empty() ? "none" : LastRecord(), record) << Utf16ToUtf8(line);
  }
  EXPECT_EQ(Last(), u"failed 87 (5)");
}

TEST_F(FileCommandsTest, LinesThatStartNothingAndDirectoryCommands) {
  q.os.current_directory = u"C:\\p|q#0_A";
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"MOVE a.txt", u"nothing started 1 (5)"}, {u"COPY \"a b.txt\"", u"nothing started 1 (5)"},
      {u"RENAME a.txt", u"nothing started 1 (5)"}, {u"MD D:\\my dir", u"nothing started 1 (5)"},
      {u"CD D:\\my dir", u"nothing started 1 (5)"}, {u"CHDRIVE D: x", u"nothing started 1 (5)"},
      {u"COPY", u"no file (5)"}, {u"MOVE", u"no file (5)"}, {u"RENAME", u"no file (5)"},
      {u"DEL", u"no file (5)"}, {u"MD", u"no file (5)"}, {u"CHDRIVE", u"no file (5)"},
      // CD alone shows the folder as it is: not looked up as a key, no sound after its "|".
      {u"cd", u"C:\\p|q#0_A (3)"},
  };
  for (const auto& [line, answer] : cases) {
    q.Type(line);
    EXPECT_EQ(Last(), answer) << Utf16ToUtf8(line);
  }
  EXPECT_TRUE(q.os.file_operations.empty());
  EXPECT_TRUE(q.os.calls.empty());
  // Directory commands report through the same scheme.
  q.ui.answers.clear();
  q.Type(u"MD D:\\new");
  q.Type(u"CD \"D:\\my dir\"");
  q.Type(u"CHDRIVE D:");
  q.Type(u"chdrive d");
  EXPECT_EQ(q.os.calls,
            (std::vector<std::string>{"MakeDirectory D:\\new", "ChangeDirectory D:\\my dir",
                                      "ChangeDrive D", "ChangeDrive d"}));
  EXPECT_EQ(q.ui.answers.size(), 4u);
  EXPECT_EQ(Last(), u"done 0 (3)");
  q.Type(u"CD");
  EXPECT_EQ(Last(), u"D:\\my dir (3)");

  q.os.directory_result = 3;  // the system's code, through the same scheme
  q.Type(u"CD D:\\none");
  EXPECT_EQ(Last(), u"failed 3 (5)");
}

TEST_F(FileCommandsTest, TheShellsCodeIsLookedUpInTheCataloguePropertyAnswersOnlyAFailure) {
  q.os.file_result = {183, false};
  q.Type(u"RENAME a.txt b.txt");
  EXPECT_EQ(Last(), u"exists (5)");
  q.os.file_result = {1026, false};
  q.Type(u"COPY a.txt b.txt");
  EXPECT_EQ(Last(), u"failed 1026 (5)");
  EXPECT_EQ(q.ctx.answer.params[0], u"1026");
  // A cancelled operation is reported as the cancel, also when the shell calls it done.
  q.os.file_result = {0, true};
  q.Type(u"DEL a.txt 0");
  EXPECT_EQ(Last(), u"cancelled 1223 (5)");
  const size_t answers = q.ui.answers.size();
  q.Type(u"PROPERTY \"C:\\my dir\\a.txt\"");  // the name as typed
  EXPECT_EQ(q.os.calls, (std::vector<std::string>{"ShowProperties 4660 [\"C:\\my dir\\a.txt\"]"}));
  EXPECT_EQ(q.ui.answers.size(), answers);
  q.os.properties_shown = false;
  q.Type(u"PROPERTY C:\\none.txt");
  EXPECT_EQ(Last(), u"no sheet for C:\\none.txt (5)");
}

TEST_F(FileCommandsTest, QuestionsOfTheShellAreYesNoBoxesWithTheCatalogueText) {
  q.os.file_questions = {FileQuestion::kTrash, FileQuestion::kReplace};
  q.ui.yes_no_replies = {true, true};
  q.Type(u"DEL \"my file.txt\" 64");
  ASSERT_EQ(q.ui.boxes.size(), 2u);
  EXPECT_EQ(q.ui.boxes[0].text, u"trash my file.txt?");
  EXPECT_EQ(q.ui.boxes[0].title, u"quorix");
  EXPECT_EQ(q.ui.boxes[0].style, mb::kYesAllNoCancel | mb::kIconQuestion);
  EXPECT_EQ(q.ui.boxes[1].text, u"replace my file.txt?");
  EXPECT_EQ(Last(), u"done 0 (3)");

  q.os.file_questions = {FileQuestion::kDelete};
  q.ui.yes_no_replies = {false};
  q.Type(u"DEL old.txt");
  EXPECT_EQ(q.ui.boxes.back().text, u"delete old.txt?");
  EXPECT_EQ(Last(), u"cancelled 1223 (5)");
  q.os.file_question_matches = 3;  // a pattern: its own text, with the number of matches
  q.ctx.answer.params[1] = u"kept";
  q.Type(u"DEL *.txt");
  EXPECT_EQ(q.ui.boxes.back().text, u"delete 3 of *.txt?");
  EXPECT_EQ(q.ctx.answer.params[1], u"kept");

  // Yes to all answers the operation's later questions; cancel stops it.
  const size_t asked = q.ui.boxes.size();
  q.os.file_questions = {FileQuestion::kReplace, FileQuestion::kReplace};
  q.ui.button_replies = {mb::kIdYesToAll};
  q.Type(u"COPY a.txt b");
  EXPECT_EQ(q.ui.boxes.size(), asked + 1);
  EXPECT_EQ(Last(), u"done 0 (3)");
  q.ui.button_replies = {mb::kIdCancel};
  q.Type(u"COPY a.txt b");
  EXPECT_EQ(Last(), u"cancelled 1223 (5)");
}

}  // namespace
}  // namespace qrx::test
