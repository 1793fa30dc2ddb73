#include "commands/settings/set_command.h"

#include <array>
#include <optional>

#include "base/text.h"
#include "base/to_integer.h"
#include "commands/display/display_commands.h"
#include "core/context.h"
#include "core/ini_access.h"
#include "interpreter/answer.h"
#include "interpreter/control_flow.h"
#include "interpreter/program_index.h"

namespace qrx {
namespace {

bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

bool Store(Context& ctx, const SetCall& call, std::u16string_view value) {
  return WriteIni(ctx, call.section, call.key, value, ctx.paths.config);
}

void AnswerStored(Context& ctx, bool saved, std::u16string_view key) {
  if (saved) {
    ShowAnswer(ctx, key, ctx.answer.normal_time);
  } else {
    ShowSaveRefused(ctx);
  }
}

void UnknownName(Context& ctx, std::u16string_view name) {
  ShowAnswerWith(ctx, u"SET_ERR1", ctx.answer.error_time, {UpperCase(name)});
}

// The variables' range takes every name that sorts from "0" to "9"; only a single digit
// names a variable.
std::optional<size_t> VariableIndex(std::u16string_view name) {
  if (name.size() != 1 || !IsDigit(name[0])) return std::nullopt;
  return static_cast<size_t>(name[0] - u'0');
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

void SetNumber(Context& ctx, int16_t& setting, const SetCall& call) {
  setting = ToInteger(call.value);
  AnswerStored(ctx, Store(ctx, call, Decimal(setting)), call.answer);
}

std::u16string Suffixed(std::u16string_view stem, std::u16string_view suffix) {
  return std::u16string(stem) + std::u16string(suffix);
}

}  // namespace

void SetClipboard(Context& ctx, const SetCall& call) {
  if (ctx.os.SetClipboardText(call.value)) {
    ShowAnswer(ctx, call.answer, ctx.answer.normal_time);
  } else {
    ShowAnswer(ctx, Suffixed(call.answer, u"-ERR"), ctx.answer.error_time);
  }
}

// A typed text kept in one of a numbered set of slots (a variable, a function key).
template <size_t N>
void SetSlotText(Context& ctx, const SetCall& call, std::optional<size_t> n,
                 std::array<std::u16string, N>& slots) {
  if (!n) return UnknownName(ctx, call.name);
  slots[*n] = std::u16string(call.value);
  ctx.answer.params[1] = std::u16string(call.name);
  AnswerStored(ctx, WriteIniText(ctx, call.section, call.key, call.value, ctx.paths.config),
               call.answer);
}

void SetVariable(Context& ctx, const SetCall& call) {
  SetSlotText(ctx, call, VariableIndex(call.name), ctx.settings.variables);
}

void SetRandomRange(Context& ctx, const SetCall& call) {
  SetNumber(ctx, ctx.settings.random_range, call);
}

void SetRandomDigits(Context& ctx, const SetCall& call) {
  SetNumber(ctx, ctx.settings.random_digits, call);
}

void SetFunctionKeyModifiers(Context& ctx, const SetCall& call) {
  SetNumber(ctx, ctx.keys.function_key_modifiers, call);
}

void SetPosType(Context& ctx, const SetCall& call) {
  SetNumber(ctx, ctx.settings.pos_type, call);
}

void SetFunctionKey(Context& ctx, const SetCall& call) {
  SetSlotText(ctx, call, FunctionKeyIndex(call.name), ctx.keys.function_keys);
}

// The caption's "C" follows the flag; the answer comes before the write.
void SetClipWatch(Context& ctx, const SetCall& call) {
  const bool on = UpperCase(call.value) == u"ON";
  ctx.settings.clip_watch = on ? 1 : 0;
  ShowAnswer(ctx, Suffixed(call.answer, on ? u"-ON" : u"-OFF"), ctx.answer.normal_time);
  if (!Store(ctx, call, on ? u"1" : u"0")) ShowSaveRefused(ctx);
  UpdateCaption(ctx);
}

// The skin is read at start-up only, so nothing changes before the next start.
void SetSkin(Context& ctx, const SetCall& call) {
  AnswerStored(ctx, Store(ctx, call, call.value),
               Suffixed(call.answer, call.value.empty() ? u"-OFF" : u"-ON"));
}

// Fixing the window saves where it stands now, as WRITE does, before the flag is stored.
void SetMove(Context& ctx, const SetCall& call) {
  const bool off = UpperCase(call.value) == u"OFF";
  ctx.settings.move = off ? 0 : 1;
  if (!off) {
    AnswerStored(ctx, Store(ctx, call, u"1"), Suffixed(call.answer, u"-ON"));
    return;
  }
  WriteCommand(ctx, {});
  // A refused save has put the file into #A; this answer names the value again.
  ctx.answer.params[0] = std::u16string(call.value);
  ShowAnswer(ctx, Suffixed(call.answer, u"-OFF"), ctx.answer.normal_time);
  if (!Store(ctx, call, u"0")) ShowSaveRefused(ctx);
}

void SetIndex(Context& ctx, const SetCall& call) {
  const bool on = UpperCase(call.value) == u"ON";
  AnswerStored(ctx, Store(ctx, call, on ? u"ON" : u"OFF"), Suffixed(call.answer, on ? u"-ON" : u"-OFF"));
  SwitchProgramIndex(ctx, on);
}

void IndexCommand(Context& ctx, const CommandCall&) {
  if (!ctx.index.on) {
    ShowAnswer(ctx, u"INDEX_OFF", ctx.answer.error_time);
    return;
  }
  ShowAnswer(ctx, u"INDEX_WAIT", kAnswerUntilReplaced);
  const size_t programs = RebuildProgramIndex(ctx);
  ShowAnswerWith(ctx, u"INDEX_DONE", ctx.answer.normal_time, {Decimal(static_cast<int64_t>(programs))});
}

}  // namespace qrx
