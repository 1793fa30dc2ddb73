#include "commands/settings/set_command.h"

#include <optional>

#include "base/setting_values.h"
#include "base/text.h"
#include "base/to_integer.h"
#include "commands/display/display_commands.h"
#include "commands/timers/timers.h"
#include "core/context.h"
#include "core/ini_access.h"
#include "interpreter/answer.h"
#include "interpreter/control_flow.h"
#include "interpreter/dispatcher.h"
#include "interpreter/split.h"

namespace qrx {
namespace {

bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

bool Store(Context& ctx, std::u16string_view section, std::u16string_view key,
           std::u16string_view value) {
  return WriteIni(ctx, section, key, value, ctx.paths.config);
}

void SaveRefused(Context& ctx) {
  ctx.answer.params[0] = ctx.paths.config;
  ShowAnswer(ctx, u"SYSTEM_SAVE-ERR", ctx.answer.error_time);
}

void AnswerStored(Context& ctx, bool saved, std::u16string_view key) {
  if (saved) {
    ShowAnswer(ctx, key, ctx.answer.normal_time);
  } else {
    SaveRefused(ctx);
  }
}

void UnknownName(Context& ctx, std::u16string_view word) {
  ctx.answer.params[0] = UpperCase(word);
  ShowAnswer(ctx, u"SET_ERR1", ctx.answer.error_time);
}

// The routing sends every name that sorts from "0" to "9" here; only a single digit
// names a variable.
std::optional<size_t> VariableIndex(std::u16string_view word) {
  if (word.size() != 1 || !IsDigit(word[0])) return std::nullopt;
  return static_cast<size_t>(word[0] - u'0');
}

// Likewise for "F01" to "F15": only those fifteen names are keys ("F1", "F10X" are not).
std::optional<size_t> FunctionKeyIndex(std::u16string_view upper) {
  if (upper.size() != 3 || upper[0] != u'F' || !IsDigit(upper[1]) || !IsDigit(upper[2])) {
    return std::nullopt;
  }
  const int n = (upper[1] - u'0') * 10 + (upper[2] - u'0');
  if (n < 1 || n > 15) return std::nullopt;
  return static_cast<size_t>(n - 1);
}

void SetNumber(Context& ctx, int16_t& setting, std::u16string_view section, std::u16string_view key,
               std::u16string_view value, std::u16string_view answer) {
  setting = ToInteger(value);
  AnswerStored(ctx, Store(ctx, section, key, Decimal(setting)), answer);
}

void SetClipboard(Context& ctx, std::u16string_view value) {
  if (ctx.os.SetClipboardText(value)) {
    ShowAnswer(ctx, u"SET_CLIP", ctx.answer.normal_time);
  } else {
    ShowAnswer(ctx, u"SET_CLIP-ERR", ctx.answer.error_time);
  }
}

void SetVariable(Context& ctx, std::u16string_view word, std::u16string_view value) {
  const std::optional<size_t> n = VariableIndex(word);
  if (!n) return UnknownName(ctx, word);
  ctx.settings.variables[*n] = std::u16string(value);
  ctx.answer.params[1] = std::u16string(word);
  AnswerStored(ctx, Store(ctx, u"SET", Decimal(static_cast<int64_t>(*n)), value), u"SET_0-9");
}

void SetFunctionKey(Context& ctx, std::u16string_view upper, std::u16string_view value) {
  const std::optional<size_t> n = FunctionKeyIndex(upper);
  if (!n) return UnknownName(ctx, upper);
  ctx.keys.function_keys[*n] = std::u16string(value);
  ctx.answer.params[1] = std::u16string(upper);
  AnswerStored(ctx, Store(ctx, u"FNC", upper, value), u"SET_F01-15");
}

// The caption's "C" follows the flag; the answer comes before the write.
void SetClipWatch(Context& ctx, std::u16string_view value) {
  const bool on = UpperCase(value) == u"ON";
  ctx.settings.clip_watch = on ? 1 : 0;
  ShowAnswer(ctx, on ? u"SET_CLIPFLG-ON" : u"SET_CLIPFLG-OFF", ctx.answer.normal_time);
  if (!Store(ctx, u"SET", u"CLIPFLG", on ? u"1" : u"0")) SaveRefused(ctx);
  UpdateCaption(ctx);
}

void SetTimer(Context& ctx, bool once, std::u16string_view value) {
  const auto fields = SplitArguments(value, 1);
  bool saved = true;
  const int16_t result = TimerSet(ctx, fields[0], fields[1], once, &saved);
  ctx.answer.params[0] = fields[0];
  ctx.answer.params[1] = fields[1];
  if (result == kTimerInvalidTime) {
    ShowAnswer(ctx, u"SET_TIMER-ERR", ctx.answer.error_time);
  } else {
    AnswerStored(ctx, saved, result == kTimerAdded ? u"SET_TIMER-ADD" : u"SET_TIMER-DEL");
  }
}

// The skin is read at start-up only, so nothing changes before the next start.
void SetSkin(Context& ctx, std::u16string_view value) {
  AnswerStored(ctx, Store(ctx, u"SYSTEM", u"SKIN", value),
               value.empty() ? u"SET_SKIN-OFF" : u"SET_SKIN-ON");
}

// Fixing the window saves where it stands now, as WRITE does, before the flag is stored.
void SetMove(Context& ctx, std::u16string_view value) {
  const bool off = UpperCase(value) == u"OFF";
  ctx.settings.move = off ? 0 : 1;
  if (!off) {
    AnswerStored(ctx, Store(ctx, u"SET", u"MOVE", u"1"), u"SET_MOVE-ON");
    return;
  }
  WriteCommand(ctx, {});
  ShowAnswer(ctx, u"SET_MOVE-OFF", ctx.answer.normal_time);
  if (!Store(ctx, u"SET", u"MOVE", u"0")) SaveRefused(ctx);
}

}  // namespace

void SetCommand(Context& ctx, std::u16string_view word, std::u16string_view value) {
  const std::u16string upper = UpperCase(word);
  Settings& s = ctx.settings;
  if (upper == u"CLIP") return SetClipboard(ctx, value);
  if (!word.empty() && IsDigit(word[0])) return SetVariable(ctx, word, value);
  if (upper == u"RND") return SetNumber(ctx, s.random_range, u"SET", u"RND", value, u"SET_RND");
  if (upper == u"POSTYPE") {
    return SetNumber(ctx, s.pos_type, u"SYSTEM", u"POSTYPE", value, u"SET_POSTYPE");
  }
  if (upper == u"FIG") return SetNumber(ctx, s.random_digits, u"SET", u"FIG", value, u"SET_FIG");
  if (upper == u"FPU") {
    return SetNumber(ctx, ctx.keys.function_key_modifiers, u"SET", u"FPU", value, u"SET_FPU");
  }
  if (!upper.empty() && upper[0] == u'F' && upper.compare(u"F01") >= 0 &&
      upper.compare(u"F15") <= 0) {
    return SetFunctionKey(ctx, upper, value);
  }
  if (upper == u"CLIPFLG") return SetClipWatch(ctx, value);
  if (upper == u"TIMER" || upper == u"TIMER1") return SetTimer(ctx, upper == u"TIMER1", value);
  if (upper == u"SKIN") return SetSkin(ctx, value);
  if (upper == u"MOVE") return SetMove(ctx, value);
  UnknownName(ctx, word);
}

void WatchClipboard(Context& ctx) {
  const std::u16string text = ctx.os.GetClipboardText().value_or(u"");
  const size_t colon = text.find(u':');
  if (colon == std::u16string::npos) return;
  if (UpperCase(std::u16string_view(text).substr(0, colon)) != u"QSCMD") return;
  // Off in memory while the command runs, so that no tick inside it starts it again; a
  // clipboard that cannot be emptied would run the command at every tick.
  ctx.settings.clip_watch = 0;
  if (ctx.os.SetClipboardText(u"")) RunTopLevelLine(ctx, text.substr(colon + 1));
  // The stored setting decides whether the watch goes on, whatever the command did.
  ctx.settings.clip_watch =
      ToByte(ReadIni(ctx, u"SET", u"CLIPFLG", u"0", ctx.paths.config)).value_or(0);
}

}  // namespace qrx
