#include "commands/files/file_commands.h"

#include <optional>
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
// The report of DEL flags beyond 16 bits: held at the limit they would take other flags.
constexpr int32_t kInvalidParameter = 87;

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

// RENAME keeps the item in its folder: a new name without a folder gets the source's folder
// in front, so that the shell does not take it from the current folder instead.
std::u16string InSourceFolder(Context& ctx, std::u16string_view source, std::u16string name) {
  const std::u16string_view separators = ctx.os.PathSeparator() == u'\\' ? u"\\/:" : u"/";
  const size_t cut = source.find_last_of(separators);
  if (name.find_first_of(separators) != std::u16string::npos || cut == std::u16string::npos) {
    return name;
  }
  return std::u16string(source.substr(0, cut + 1)) + name;
}

// The DEL flags of the second operand: a number that fits 16 bits, any other text 0 (as
// ToInteger gives it); nothing for a number that does not fit.
std::optional<uint16_t> DeleteFlags(std::u16string_view text) {
  const std::optional<double> value = ParseNumericText(text);
  if (!value) return 0;
  const double rounded = RoundHalfEven(*value);
  if (rounded < -32768 || rounded > 32767) return std::nullopt;
  return static_cast<uint16_t>(static_cast<int16_t>(rounded));
}

// Questions of file operations on systems whose shell has no dialogs: a box with the
// catalogue's text, #A being the name and, for a pattern, #B the number of items it matched,
// and the shell's choices. "Yes to all" answers the rest of this operation's questions; no
// skips the item asked about; cancel stops the operation.
class AskTheUser : public FileQuestions {
 public:
  explicit AskTheUser(Context& ctx) : ctx_(ctx) {}

  bool Confirm(FileQuestion question, std::u16string_view name, int32_t matches) override {
    if (yes_to_all_) return true;
    std::u16string key = question == FileQuestion::kDelete  ? u"ASK-DEL"
                         : question == FileQuestion::kTrash ? u"ASK-TRASH"
                                                            : u"ASK-REPLACE";
    if (matches > 0) key += u"-MATCHES";
    std::u16string text = ReadIni(ctx_, u"SHFO", key, u"SHFO_" + key, ctx_.paths.message);
    // The report that follows sets #A again; #B is put back as it was.
    const std::u16string kept_b = ctx_.answer.params[1];
    ctx_.answer.params[0] = std::u16string(name);
    ctx_.answer.params[1] = Decimal(matches);
    text = ExpandAnswerParams(ctx_, text.substr(0, text.find(u'|')));
    ctx_.answer.params[1] = kept_b;
    const int answer =
        ctx_.ui.MessageBox(text, ctx_.app.product_name, mb::kYesAllNoCancel | mb::kIconQuestion);
    yes_to_all_ = answer == mb::kIdYesToAll;
    cancelled_ = answer == mb::kIdCancel;
    return answer == mb::kIdYes || yes_to_all_;
  }
  bool Cancelled() const override { return cancelled_; }

 private:
  Context& ctx_;
  bool yes_to_all_ = false;
  bool cancelled_ = false;
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
    // A folder name may hold "_", "|" and "#": it is shown as it is, never as a message key.
    ShowLiteralAnswer(ctx, ctx.os.CurrentDirectory(), ctx.answer.normal_time);
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
  const std::u16string target = FixQuotes(second, 0);
  if (!second.empty()) {
    op.to = NameList(word == u"RENAME" ? InSourceFolder(ctx, source, target) : target);
  }
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
      const std::optional<uint16_t> flags = DeleteFlags(second);
      op.flags = flags.value_or(0);
      start = flags.has_value();
      if (!start) result = kInvalidParameter;
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
