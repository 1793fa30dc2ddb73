#include "interpreter/keys.h"

#include "base/text.h"
#include "base/to_integer.h"
#include "core/context.h"
#include "core/ini_access.h"
#include "interpreter/answer.h"
#include "interpreter/dispatcher.h"
#include "interpreter/split.h"

namespace qrx {
namespace {

constexpr int32_t kVkShift = 0x10;
constexpr int32_t kVkControl = 0x11;
constexpr int32_t kVkMenu = 0x12;
constexpr int32_t kVkF1 = 0x70;

}  // namespace

void LoadFunctionKeys(Context& ctx) {
  for (int k = 1; k <= 15; ++k) {
    const std::u16string key = (k < 10 ? u"F0" : u"F") + Decimal(k);
    ctx.keys.function_keys[k - 1] = ReadIni(ctx, u"FNC", key, u"", ctx.paths.config);
  }
  ctx.keys.function_key_modifiers = ToInteger(ReadIni(ctx, u"SET", u"FPU", u"6", ctx.paths.config));
}

void RegisterActiveKey(Context& ctx) {
  const int16_t modifiers =
      ToInteger(ReadIni(ctx, u"SET", u"ACTIVEKEY-EX", u"3", ctx.paths.config));
  const int16_t key = ToInteger(ReadIni(ctx, u"SET", u"ACTIVEKEY", u"36", ctx.paths.config));
  if (key == 0) return;
  // Another program may hold the key already; that is not reported.
  ctx.main_form->Surface().RegisterHotKey(kActiveKeyId, static_cast<uint16_t>(modifiers),
                                          static_cast<uint16_t>(key));
  ctx.keys.active_key_registered = 1;
}

void SetActiveKey(Context& ctx, const SetCall& call) {
  auto fields = SplitArguments(call.value, 1);
  const int16_t modifiers = ToInteger(fields[0]);
  const int16_t key = ToInteger(fields[1]);
  WriteIni(ctx, call.section, std::u16string(call.key) + u"-EX", Decimal(modifiers),
           ctx.paths.config);
  WriteIni(ctx, call.section, call.key, Decimal(key), ctx.paths.config);
  WindowSurface& window = ctx.main_form->Surface();
  if (ctx.keys.active_key_registered == 1) window.UnregisterHotKey(kActiveKeyId);
  if (key != 0) {
    window.RegisterHotKey(kActiveKeyId, static_cast<uint16_t>(modifiers),
                          static_cast<uint16_t>(key));
    ctx.keys.active_key_registered = 1;
    ShowAnswer(ctx, std::u16string(call.answer) + u"_SET", ctx.answer.normal_time);
  } else {
    ctx.keys.active_key_registered = 0;
    ShowAnswer(ctx, std::u16string(call.answer) + u"_DEL", ctx.answer.normal_time);
  }
}

void SendTextToFocusedWindow(Context& ctx, const SetCall& call) {
  const intptr_t focus = ctx.os.ForegroundFocus();
  if (focus != 0) ctx.os.SendSetText(focus, call.value);
}

void PollFunctionKeys(Context& ctx) {
  for (int k = 0; k < 15; ++k) {
    if (ctx.os.AsyncKeyState(kVkF1 + k) == 0) continue;
    int16_t sum = 0;
    if (ctx.os.AsyncKeyState(kVkShift) != 0) sum += 1;
    if (ctx.os.AsyncKeyState(kVkControl) != 0) sum += 2;
    if (ctx.os.AsyncKeyState(kVkMenu) != 0) sum += 4;
    if (sum == ctx.keys.function_key_modifiers) {
      RunTopLevelLine(ctx, ctx.keys.function_keys[k]);
      return;
    }
  }
}
}  // namespace qrx
