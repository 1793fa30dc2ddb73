#include "commands/shell/exit_commands.h"

#include "base/text.h"
#include "interpreter/aliases.h"
#include "interpreter/answer.h"
#include "interpreter/dispatcher.h"
#include "interpreter/history.h"
#include "interpreter/split.h"
#include "interpreter/window_position.h"
#include "startup/context.h"
#include "startup/startup.h"

namespace qrx {
namespace {

// The low 16 bits of a hexadecimal number of any length, sign-extended ("FFFF" is -1);
// 0 when the text is not one. Trailing blanks are allowed, as after any number. Only the
// last four digits matter, so no length can overflow.
int16_t LowHexBits(std::u16string_view text) {
  while (!text.empty() &&
         (text.back() == u' ' || text.back() == u'\t' || text.back() == u'\u3000')) {
    text.remove_suffix(1);
  }
  if (text.empty()) return 0;
  uint16_t low = 0;
  for (const char16_t c : text) {
    int digit = -1;
    if (c >= u'0' && c <= u'9') {
      digit = c - u'0';
    } else if (c >= u'A' && c <= u'F') {
      digit = c - u'A' + 10;
    } else if (c >= u'a' && c <= u'f') {
      digit = c - u'a' + 10;
    }
    if (digit < 0) return 0;
    low = static_cast<uint16_t>((low << 4) | digit);
  }
  return static_cast<int16_t>(low);
}

}  // namespace

void RunEndSequence(Context& ctx, std::u16string_view option) {
  if (ctx.end_sequence_done) return;
  ShowAnswer(ctx, u"SYSTEM_END", ctx.answer.normal_time);
  if (UpperCase(option) != u"NO") {
    if (ctx.settings.move == 1) SaveWindowPosition(ctx);
    SaveHistory(ctx);
    ctx.interp.alias_arguments.clear();
    RunAlias(ctx, u"ENDEXEC");
  }
  ctx.end_sequence_done = true;
}

void ExitProgram(Context& ctx, std::u16string_view option) {
  RunEndSequence(ctx, option);
  EndApp(ctx);
  throw AppEnding();
}

uint32_t WindowsExitFlags(std::u16string_view line) {
  auto fields = SplitArguments(line, 1);
  const std::u16string word = UpperCase(fields[0]);
  const std::u16string& option = fields[1];
  int32_t flags = 0;
  if (word == u"RESET") {
    flags = 2;
  } else if (word == u"SHUTDOWN") {
    flags = 8;
  } else if (word == u"EWE") {
    flags = LowHexBits(option);
  }
  if (UpperCase(option) == u"FORCED") flags |= 4;
  return static_cast<uint32_t>(flags);
}

void RunWindowsExit(Context& ctx, std::u16string_view line) {
  RunEndSequence(ctx, u"");
  ctx.os.EndSession(WindowsExitFlags(line));
}

}  // namespace qrx
