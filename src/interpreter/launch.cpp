#include "interpreter/launch.h"

#include <string>

#include "base/path_text.h"
#include "base/text.h"
#include "core/context.h"
#include "interpreter/answer.h"
#include "interpreter/split.h"

namespace qrx {
namespace {

constexpr int32_t kShowNormal = 1;
// The shell's results up to 32 are its error codes.
constexpr int32_t kLastShellError = 32;
constexpr int32_t kFileNotFound = 2;
constexpr int32_t kPathNotFound = 3;

struct LaunchRequest {
  std::u16string program;
  std::u16string parameters;
  std::u16string directory;
};

// program [parameters] [>folder]: the working folder is the program's own folder unless a
// ">" in the parameters names another one.
LaunchRequest ParseLaunch(std::u16string_view text, char16_t sep) {
  auto fields = SplitArguments(text, 1);
  LaunchRequest r{std::move(fields[0]), std::move(fields[1]), {}};
  r.directory = SplitPath(r.program, sep).dir + sep;
  const size_t arrow = r.parameters.find(u'>');
  if (arrow != std::u16string::npos) {
    // The character before ">" (normally the separating space) goes with it; a ">" at the
    // very start leaves no parameters at all.
    std::u16string target = r.parameters.substr(arrow + 1);
    r.parameters.resize(arrow == 0 ? 0 : arrow - 1);
    r.directory = AddBackslash(target, sep);
  }
  return r;
}

}  // namespace

int32_t LaunchProgram(Context& ctx, std::u16string_view text) {
  ShowAnswer(ctx, u"SH_WAIT", kAnswerUntilReplaced);
  const LaunchRequest r = ParseLaunch(text, ctx.os.PathSeparator());
  const intptr_t owner = ctx.main_form->Surface().NativeHandle();
  const int32_t result =
      ctx.os.ShellExecute(owner, u"OPEN", r.program, r.parameters, r.directory, kShowNormal);
  if (result > kLastShellError) {
    ClearAnswer(ctx);
  } else {
    // The shell says nothing itself: without an answer a mistyped path looks like a program
    // that is slow to come up.
    const bool missing = result == kFileNotFound || result == kPathNotFound;
    ShowAnswerWith(ctx, missing ? u"SH_FILE-ERR" : u"SH_ERR", ctx.answer.error_time,
                   {r.program, Decimal(static_cast<int64_t>(result))});
  }
  return result;
}
}  // namespace qrx
