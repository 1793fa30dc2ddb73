#include "interpreter/keys.h"

#include <algorithm>

#include "base/text.h"
#include "base/to_integer.h"
#include "core/context.h"
#include "core/ini_access.h"
#include "interpreter/answer.h"
#include "interpreter/dispatcher.h"
#include "interpreter/split.h"
#include "ui/main_window.h"

namespace qrx {
namespace {

constexpr int32_t kVkShift = 0x10;
constexpr int32_t kVkControl = 0x11;
constexpr int32_t kVkMenu = 0x12;
constexpr int32_t kVkF1 = 0x70;

// The command box holds one line: like a paste, a text goes in up to its first line break.
std::u16string_view FirstLine(std::u16string_view text) {
  return text.substr(0, text.find_first_of(u"\r\n"));
}

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
  if (key == 0 || ctx.main_form == nullptr) return;
  // Another program may hold the key already; that is not reported.
  ctx.main_form->Surface().RegisterHotKey(kActiveKeyId, static_cast<uint16_t>(modifiers),
                                          static_cast<uint16_t>(key));
  ctx.keys.active_key_registered = 1;
}

void SetActiveKey(Context& ctx, std::u16string_view value) {
  auto fields = SplitArguments(value, 1);
  const int16_t modifiers = ToInteger(fields[0]);
  const int16_t key = ToInteger(fields[1]);
  WriteIni(ctx, u"SET", u"ACTIVEKEY-EX", Decimal(modifiers), ctx.paths.config);
  WriteIni(ctx, u"SET", u"ACTIVEKEY", Decimal(key), ctx.paths.config);
  if (ctx.main_form == nullptr) return;
  WindowSurface& window = ctx.main_form->Surface();
  if (ctx.keys.active_key_registered == 1) window.UnregisterHotKey(kActiveKeyId);
  if (key != 0) {
    window.RegisterHotKey(kActiveKeyId, static_cast<uint16_t>(modifiers),
                          static_cast<uint16_t>(key));
    ctx.keys.active_key_registered = 1;
    ShowAnswer(ctx, u"ACTIVEKEY_SET", ctx.answer.normal_time);
  } else {
    ctx.keys.active_key_registered = 0;
    ShowAnswer(ctx, u"ACTIVEKEY_DEL", ctx.answer.normal_time);
  }
}

void SendTextToFocusedWindow(Context& ctx, std::u16string_view value) {
  const intptr_t focus = ctx.os.ForegroundFocus();
  if (focus != 0) ctx.os.SendSetText(focus, value);
}

void PollFunctionKeys(Context& ctx) {
  KeyState& keys = ctx.keys;
  for (int k = 0; k < 15; ++k) {
    const int16_t state = ctx.os.AsyncKeyState(kVkF1 + k);
    const bool down = state < 0;           // the high bit: down now
    const bool tapped = (state & 1) != 0;  // pressed since the last look
    if (!down && (!tapped || keys.function_key_seen[k])) {
      // Up, or let go since the last look: the next press counts again.
      keys.function_key_seen[k] = false;
      keys.function_key_ran[k] = false;
      continue;
    }
    if (keys.function_key_seen[k]) continue;  // still held
    keys.function_key_seen[k] = down;
    if (keys.function_key_ran[k]) continue;  // the window's key event ran this press
    int16_t sum = 0;
    if (ctx.os.AsyncKeyState(kVkShift) != 0) sum += 1;
    if (ctx.os.AsyncKeyState(kVkControl) != 0) sum += 2;
    if (ctx.os.AsyncKeyState(kVkMenu) != 0) sum += 4;
    if (sum == keys.function_key_modifiers) {
      keys.function_key_ran[k] = true;
      RunTopLevelLine(ctx, keys.function_keys[k]);
      return;
    }
  }
}

void RunFunctionKeyInWindow(Context& ctx, int index) {
  // The key repeats while it is held, and with FPU 0 the poll sees the same press.
  if (ctx.keys.function_key_ran[index]) return;
  ctx.keys.function_key_ran[index] = true;
  RunTopLevelLine(ctx, ctx.keys.function_keys[index]);
}

void RecallHistory(Context& ctx, int step) {
  ctx.history.index = static_cast<int16_t>(std::clamp(ctx.history.index + step, 0, 9));
  PasteIntoCommandBox(ctx, ctx.history.entries[ctx.history.index]);
}

void PasteIntoCommandBox(Context& ctx, std::u16string_view text) {
  if (ctx.main_form == nullptr) return;
  // Straight into the box: the user's clipboard is never touched, whatever it holds.
  WindowSurface& window = ctx.main_form->Surface();
  window.SetCommandText(u"");
  window.InsertIntoCommandBox(FirstLine(text));
}

void PasteDroppedData(Context& ctx, const DropData& data) {
  if (ctx.main_form == nullptr) return;
  std::optional<std::u16string> text;
  if (!data.files.empty()) {
    text = data.files.front();
    if (text->find(u' ') != std::u16string::npos) text = u"\"" + *text + u"\"";
  }
  if (data.text) text = data.text;  // text wins over a file name when both are offered
  if (text) {
    WindowSurface& window = ctx.main_form->Surface();
    window.InsertIntoCommandBox(FirstLine(*text));
    window.FocusCommandBox();
    return;
  }
  ctx.ui.MessageBox(u"その形式には対応していません\rごめんなさい", ctx.app.product_name,
                    mb::kOk | mb::kSystemModal);
}

}  // namespace qrx
