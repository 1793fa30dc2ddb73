#include "interpreter/keys.h"

#include <utility>

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

// The name on the key (virtual-key code `key`), or "VK" and the code for keys without one.
std::u16string KeyName(uint16_t key) {
  struct Named {
    uint16_t key;
    std::u16string_view name;
  };
  static constexpr Named kNames[] = {
      {0x08, u"Backspace"}, {0x09, u"Tab"},   {0x0D, u"Enter"},       {0x13, u"Pause"},
      {0x1B, u"Esc"},       {0x20, u"Space"}, {0x21, u"PageUp"},      {0x22, u"PageDown"},
      {0x23, u"End"},       {0x24, u"Home"},  {0x25, u"Left"},        {0x26, u"Up"},
      {0x27, u"Right"},     {0x28, u"Down"},  {0x2C, u"PrintScreen"}, {0x2D, u"Insert"},
      {0x2E, u"Delete"},    {0x6A, u"Num*"},  {0x6B, u"Num+"},        {0x6D, u"Num-"},
      {0x6E, u"Num."},      {0x6F, u"Num/"},
  };
  for (const Named& n : kNames) {
    if (n.key == key) return std::u16string(n.name);
  }
  if ((key >= u'0' && key <= u'9') || (key >= u'A' && key <= u'Z')) {
    return std::u16string(1, static_cast<char16_t>(key));
  }
  if (key >= 0x60 && key <= 0x69) return u"Num" + Decimal(key - 0x60);
  if (key >= kVkF1 && key < kVkF1 + 24) return u"F" + Decimal(key - kVkF1 + 1);
  return u"VK" + Decimal(key);
}

// Registers the hot key; when another program holds it, remembers its name for the report.
bool TryActiveKey(Context& ctx, uint16_t modifiers, uint16_t key) {
  if (ctx.main_form->Surface().RegisterHotKey(kActiveKeyId, modifiers, key)) {
    ctx.keys.active_key_registered = 1;
    return true;
  }
  ctx.keys.active_key_refused = HotKeyName(modifiers, key);
  return false;
}

// The stored hot key: modifier bits ("ACTIVEKEY-EX", Ctrl+Alt) and key ("ACTIVEKEY", Home).
std::pair<uint16_t, uint16_t> ActiveKeySetting(Context& ctx) {
  const int16_t modifiers =
      ToInteger(ReadIni(ctx, u"SET", u"ACTIVEKEY-EX", u"3", ctx.paths.config));
  const int16_t key = ToInteger(ReadIni(ctx, u"SET", u"ACTIVEKEY", u"36", ctx.paths.config));
  return {static_cast<uint16_t>(modifiers), static_cast<uint16_t>(key)};
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
  const auto [modifiers, key] = ActiveKeySetting(ctx);
  if (key == 0) return;
  TryActiveKey(ctx, modifiers, key);
}

void ReportRefusedActiveKey(Context& ctx) {
  if (ctx.keys.active_key_refused.empty()) return;
  const bool held = ctx.main_form->Surface().HotKeysAvailable();
  ShowAnswerWith(ctx, held ? u"ACTIVEKEY_ERR" : u"ACTIVEKEY_NONE", ctx.answer.error_time,
                 {ctx.keys.active_key_refused});
  // The tray icon keeps telling it after the answer has gone.
  ctx.main_form->Surface().SetTrayTooltip(TrayTooltip(ctx, ctx.answer.text));
}

void ActiveKeyRefusedLater(Context& ctx) {
  const auto [modifiers, key] = ActiveKeySetting(ctx);
  ctx.keys.active_key_registered = 0;
  ctx.keys.active_key_refused = HotKeyName(modifiers, key);
  ReportRefusedActiveKey(ctx);
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
  ctx.keys.active_key_registered = 0;
  const bool was_refused = !ctx.keys.active_key_refused.empty();
  ctx.keys.active_key_refused.clear();
  if (key != 0 &&
      !TryActiveKey(ctx, static_cast<uint16_t>(modifiers), static_cast<uint16_t>(key))) {
    ReportRefusedActiveKey(ctx);
    return;
  }
  if (was_refused) window.SetTrayTooltip(TrayTooltip(ctx, u""));
  ShowAnswer(ctx, std::u16string(call.answer) + (key != 0 ? u"_SET" : u"_DEL"),
             ctx.answer.normal_time);
}

std::u16string TrayTooltip(const Context& ctx, std::u16string_view note) {
  std::u16string tooltip = ctx.app.product_name + u" Ver" + ctx.app.version;
  if (!note.empty()) tooltip += u"\n" + std::u16string(note);
  return tooltip;
}

std::u16string HotKeyName(uint16_t modifiers, uint16_t key) {
  std::u16string name;
  if (modifiers & 2) name += u"Ctrl+";
  if (modifiers & 1) name += u"Alt+";
  if (modifiers & 4) name += u"Shift+";
  if (modifiers & 8) name += u"Win+";
  return name + KeyName(key);
}

void SendTextToFocusedWindow(Context& ctx, const SetCall& call) {
  const intptr_t focus = ctx.os.ForegroundFocus();
  if (focus != 0) ctx.os.SendSetText(focus, call.value);
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
}  // namespace qrx
