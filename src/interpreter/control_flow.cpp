#include "interpreter/control_flow.h"

#include "base/path_text.h"
#include "base/to_integer.h"
#include "core/context.h"
#include "interpreter/answer.h"
#include "interpreter/dispatcher.h"
#include "interpreter/split.h"

namespace qrx {
namespace {

// The lines of a command file: a line ends at CR LF or at a lone CR. A lone LF is part of
// the line, so a file with LF-only line ends is one single line.
std::vector<std::u16string> CommandFileLines(const std::u16string& text) {
  std::vector<std::u16string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t cr = text.find(u'\r', start);
    if (cr == std::u16string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, cr - start));
    start = cr + 1;
    if (start < text.size() && text[start] == u'\n') ++start;
  }
  return lines;
}

void SetDirectMode(Context& ctx, int16_t mode) {
  ctx.interp.direct_mode = mode;
  UpdateCaption(ctx);
  ShowAnswer(ctx, mode == 1 ? u"MODE_DIRECT" : u"MODE_NORMAL", ctx.answer.normal_time);
}

}  // namespace

void UpdateCaption(Context& ctx) {
  std::u16string caption = ctx.app.product_name + u" Ver" + ctx.app.version + u" [";
  caption += ctx.interp.direct_mode == 1 ? u'D' : u'-';
  caption += ctx.settings.clip_watch == 1 ? u'C' : u'-';
  caption += u']';
  if (ctx.settings.debug == 1) caption += u'*';
  ctx.main_form->SetCaption(caption);
}

void DirectCommand(Context& ctx, const CommandCall&) {
  SetDirectMode(ctx, 1);
}

void NormalCommand(Context& ctx, const CommandCall&) {
  SetDirectMode(ctx, 0);
}

void LbatCommand(Context& ctx, const CommandCall& call) {
  auto fields = SplitArguments(call.rest, 1);
  ctx.interp.command_file_arguments = fields[1];
  RunCommandFile(ctx, FixQuotes(fields[0], 0));
}

void RunCommandFile(Context& ctx, std::u16string_view path) {
  const char16_t sep = ctx.os.PathSeparator();
  // Read before the current folder changes: a relative path names the file from here.
  const std::optional<std::string> bytes =
      ctx.os.FileExists(path) ? ctx.os.ReadFile(path) : std::nullopt;
  if (!bytes) {
    ShowAnswerWith(ctx, u"LBAT_ERR", ctx.answer.error_time, {path});
    return;
  }
  if (sep == u'\\' && path.size() >= 2 && path[1] == u':') {
    ctx.os.SetCurrentDirectory(path.substr(0, 2));
  }
  // A file name without a folder keeps the current folder.
  const std::u16string folder = SplitPath(path, sep).dir;
  if (!folder.empty()) ctx.os.SetCurrentDirectory(folder);
  for (const auto& line : CommandFileLines(ctx.os.FromAnsi(*bytes))) {
    RunCommandLine(ctx, line);
  }
}

void IfCommand(Context& ctx, const CommandCall& call) {
  auto f = SplitArguments(call.rest, 3);
  if ((f[1] == u"==" && f[0] == f[2]) || (f[1] == u"!=" && f[0] != f[2])) {
    RunCommandLine(ctx, f[3]);
  }
}

void WaitCommand(Context& ctx, const CommandCall& call) {
  ctx.main_form->Surface().SetCommandText(u"");
  ShowAnswerWith(ctx, u"WAIT_WAIT", kAnswerUntilReplaced, {call.rest});
  // Computed in 32 bits: WAIT 40 waits 40 seconds.
  WaitMilliseconds(ctx, static_cast<int32_t>(ToInteger(call.rest)) * 1000);
  ClearAnswer(ctx);
}

void WaitMilliseconds(Context& ctx, int32_t ms) {
  const uint32_t start = ctx.os.TickCount();
  if (ms <= 0) return;
  const uint32_t wanted = static_cast<uint32_t>(ms);
  for (;;) {
    // Unsigned difference: correct across the clock's wrap after ~49.7 days.
    const uint32_t elapsed = ctx.os.TickCount() - start;
    if (elapsed >= wanted) return;
    ctx.ui.PumpEvents(wanted - elapsed);
  }
}

}  // namespace qrx
