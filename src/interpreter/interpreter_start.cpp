#include "interpreter/interpreter_start.h"

#include "base/setting_values.h"
#include "base/text.h"
#include "base/to_integer.h"
#include "core/context.h"
#include "core/ini_access.h"
#include "core/timer_map.h"
#include "interpreter/aliases.h"
#include "interpreter/answer.h"
#include "interpreter/control_flow.h"
#include "interpreter/dispatcher.h"
#include "interpreter/history.h"
#include "interpreter/keys.h"
#include "interpreter/program_index.h"

namespace qrx {
namespace {

// A 16-bit setting whose missing key leaves the value as it is.
int16_t ReadKeepingValue(Context& ctx, std::u16string_view key, int16_t current) {
  return ToInteger(ReadIni(ctx, u"SET", key, Decimal(current), ctx.paths.config));
}

}  // namespace

void LoadSettings(Context& ctx) {
  if (!ctx.os.FileExists(ctx.paths.config)) return;
  LoadFunctionKeys(ctx);
  for (int i = 0; i < 10; ++i) {
    ctx.settings.variables[i] = ReadIni(ctx, u"SET", Decimal(i), u"", ctx.paths.config);
  }
  ctx.settings.random_range = ReadKeepingValue(ctx, u"RND", ctx.settings.random_range);
  ctx.settings.random_digits = ReadKeepingValue(ctx, u"FIG", ctx.settings.random_digits);
  TimerLoad(ctx);
  LoadAliases(ctx);
  LoadHistory(ctx);
  LoadProgramIndex(ctx);
  // The key file of signed LINK datagrams; the key itself is read when first needed.
  ctx.net.key_path = ReadIni(ctx, u"SET", u"LINKKEY", u"", ctx.paths.config);
  ctx.net.key.reset();
  ctx.settings.clip_watch =
      ToByte(ReadIni(ctx, u"SET", u"CLIPFLG", u"0", ctx.paths.config)).value_or(0);
  UpdateCaption(ctx);
  // MOVE is an 8-bit flag; a value that does not fit leaves it as it is.
  const auto move = ToByte(Decimal(
      ToInteger(ReadIni(ctx, u"SET", u"MOVE", Decimal(ctx.settings.move), ctx.paths.config))));
  if (move) ctx.settings.move = *move;
}

void StartInterpreter(Context& ctx) {
  ctx.interp.random.seed(ctx.os.TickCount());
  ctx.history.index = 0;
  ctx.answer.normal_time = 3;
  ctx.answer.error_time = 5;
  ctx.main_form->SetCountdown(-1);
  ctx.interp.direct_mode = 0;
  LoadSettings(ctx);
  UpdateCaption(ctx);
  ctx.interp.alias_arguments.clear();
  RunGuarded(ctx, [&] { RunAlias(ctx, u"AUTOEXEC"); });
  ShowAnswerWith(ctx, u"SYSTEM_START", ctx.answer.normal_time,
                 {ctx.app.product_name, ctx.app.version});
}

}  // namespace qrx
