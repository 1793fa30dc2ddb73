#include "commands/shell/search.h"

#include "base/path_text.h"
#include "core/context.h"
#include "core/system_paths.h"
#include "interpreter/answer.h"

namespace qrx {
namespace {

void ShowFound(Context& ctx, std::u16string_view argument, const std::u16string& found) {
  if (found.empty()) {
    ShowAnswerWith(ctx, u"SEARCH_ERR", ctx.answer.error_time, {argument});
  } else {
    // #A as for a failure; the path itself is shown as it is.
    ctx.answer.params[0] = std::u16string(argument);
    ShowLiteralAnswer(ctx, found, ctx.answer.normal_time);
  }
}

}  // namespace

std::u16string FindFileInDirectory(Context& ctx, std::u16string_view folder,
                                   std::u16string_view pattern) {
  const std::u16string dir = AddBackslash(folder, ctx.os.PathSeparator());
  const auto name = ctx.os.FindFirstFile(dir + std::u16string(pattern));
  return name ? dir + *name : std::u16string();
}

void WhichCommand(Context& ctx, const CommandCall& call) {
  ShowFound(ctx, call.rest, FindOnSearchPath(ctx, call.rest));
}

void SearchCommand(Context& ctx, const CommandCall& call) {
  const PathParts parts = SplitPath(call.rest, ctx.os.PathSeparator());
  ShowFound(
      ctx, call.rest,
      parts.file.empty() ? std::u16string() : FindFileInDirectory(ctx, parts.dir, parts.file));
}

}  // namespace qrx
