#include "commands/files/file_commands.h"

#include <string>

#include "base/path_text.h"
#include "base/text.h"
#include "base/to_integer.h"
#include "commands/shell/result_code_answer.h"
#include "core/context.h"
#include "core/ini_access.h"
#include "interpreter/answer.h"
#include "interpreter/expand.h"
#include "interpreter/split.h"

namespace qrx {
namespace {

// The report of a line that started nothing (no destination, or a second operand where
// the directory commands take one).
constexpr int32_t kNothingStarted = 1;

intptr_t OwnerWindow(Context& ctx) {
  return ctx.main_form->Surface().NativeHandle();
}

// The shell's list form of one name: the name, its NUL, and the NUL that ends the list.
std::u16string NameList(std::u16string_view name) {
  std::u16string list(name);
  list.push_back(u'\0');
  list.push_back(u'\0');
  return list;
}

// Questions of file operations on systems whose shell has no dialogs: a yes/no box with
// the catalogue's text, #A being the name.
class AskTheUser : public FileQuestions {
 public:
  explicit AskTheUser(Context& ctx) : ctx_(ctx) {}

  bool Confirm(FileQuestion question, std::u16string_view name) override {
    const std::u16string key = question == FileQuestion::kDelete  ? u"ASK-DEL"
                               : question == FileQuestion::kTrash ? u"ASK-TRASH"
                                                                  : u"ASK-REPLACE";
    std::u16string text = ReadIni(ctx_, u"SHFO", key, u"SHFO_" + key, ctx_.paths.message);
    // The report that follows sets #A again, so using it here leaves nothing behind.
    ctx_.answer.params[0] = std::u16string(name);
    text = ExpandAnswerParams(ctx_, text.substr(0, text.find(u'|')));
    return ctx_.ui.MessageBox(text, ctx_.app.product_name, mb::kYesNo | mb::kIconQuestion) ==
           mb::kIdYes;
  }

 private:
  Context& ctx_;
};

int32_t StartShellOperation(Context& ctx, ShellFileOperation& op) {
  op.owner = OwnerWindow(ctx);
  AskTheUser questions(ctx);
  // The Windows shell asks with dialogs of its own while it works.
  const ShellFileResult result = [&] {
    QuestionOpen asking(ctx.ui);
    return ctx.os.FileOperation(op, questions);
  }();
  // A cancelled operation that the shell still calls a success did not do what was asked.
  if (result.code == 0 && result.aborted) return kFileOperationCancelled;
  return result.code;
}

}  // namespace

void RunFileCommand(Context& ctx, const CommandCall& call) {
  const auto fields = SplitArguments(call.line, 1);
  if (!fields[1].empty()) {
    RunFileOperation(ctx, call.line);
  } else if (UpperCase(fields[0]) == u"CD") {
    ShowAnswer(ctx, ctx.os.CurrentDirectory(), ctx.answer.normal_time);
  } else {
    ShowAnswer(ctx, u"SHFO_NOOPT", ctx.answer.error_time);
  }
}

void RunFileOperation(Context& ctx, std::u16string_view line) {
  const auto fields = SplitArguments(line, 2);
  const std::u16string word = UpperCase(fields[0]);
  const std::u16string source = FixQuotes(fields[1], 0);
  const std::u16string& second = fields[2];

  ShellFileOperation op;
  op.from = NameList(source);
  if (!second.empty()) op.to = NameList(FixQuotes(second, 0));
  int32_t result = kNothingStarted;
  bool start = false;
  if (!second.empty()) {
    if (word == u"COPY") {
      op.function = fo::kCopy;
      start = true;
    } else if (word == u"MOVE") {
      op.function = fo::kMove;
      start = true;
    } else if (word == u"RENAME") {
      op.function = fo::kRename;
      start = true;
    } else if (word == u"DEL") {
      op.function = fo::kDelete;
      op.flags = static_cast<uint16_t>(ToInteger(second));
      start = true;
    }
  } else if (word == u"DEL") {
    op.function = fo::kDelete;
    start = true;
  } else if (word == u"MD") {
    result = ctx.os.MakeDirectory(source);
  } else if (word == u"CD") {
    result = ctx.os.ChangeDirectory(source);
  } else if (word == u"CHDRIVE") {
    result = ctx.os.ChangeDrive(source.empty() ? u'\0' : source[0]);
  }
  if (start) result = StartShellOperation(ctx, op);
  ShowResultCodeAnswer(ctx, u"SHFO", result);
}

void ShowFileProperties(Context& ctx, const CommandCall& call) {
  if (ctx.os.ShowProperties(OwnerWindow(ctx), call.rest)) return;
  ShowAnswerWith(ctx, u"PROPERTY_ERR", ctx.answer.error_time, {call.rest});
}

std::span<const CommandEntry> FileCommands() {
  // clang-format off
  static constexpr CommandEntry kCommands[] = {
      {{u"COPY", u"MOVE", u"RENAME", u"DEL", u"MD", u"CD", u"CHDRIVE"}, RunFileCommand},
      {{u"PROPERTY"}, ShowFileProperties},
  };
  // clang-format on
  return kCommands;
}

}  // namespace qrx
