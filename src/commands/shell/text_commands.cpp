#include "commands/shell/text_commands.h"

#include <optional>
#include <string>

#include "base/setting_values.h"
#include "base/text.h"
#include "base/to_integer.h"
#include "commands/shell/result_code_answer.h"
#include "core/context.h"
#include "core/ini_access.h"
#include "interpreter/answer.h"
#include "interpreter/split.h"

namespace qrx {
namespace {

enum class ConvResult { kDone, kBadKey, kUnreadableInput, kUnwritableOutput };

// The whole input is read before the output is replaced, so converting a file onto itself
// works and a failed write leaves the old output as it was.
ConvResult XorConvertFile(Context& ctx, std::u16string_view key_text, std::u16string_view input,
                          std::u16string_view output) {
  const std::optional<uint8_t> key = ToByte(key_text);
  if (!key) return ConvResult::kBadKey;
  std::optional<std::string> bytes = ctx.os.ReadFile(input);
  if (!bytes) return ConvResult::kUnreadableInput;
  for (char& b : *bytes) b = static_cast<char>(static_cast<uint8_t>(b) ^ *key);
  return ctx.os.WriteFile(output, *bytes) ? ConvResult::kDone : ConvResult::kUnwritableOutput;
}

bool AppendLineToFile(Context& ctx, std::u16string_view file, std::u16string_view text) {
  return ctx.os.AppendFile(file, ctx.os.ToAnsi(text) + "\r\n");
}

// The variable number of "INI R": numeric text whose value is 0..9.
std::optional<int16_t> VariableNumber(std::u16string_view text) {
  if (!ParseNumericText(text)) return std::nullopt;
  const int16_t n = ToInteger(text);
  if (n < 0 || n > 9) return std::nullopt;
  return n;
}

intptr_t OwnerWindow(Context& ctx) {
  return ctx.main_form->Surface().NativeHandle();
}

}  // namespace

void ConvCommand(Context& ctx, const CommandCall& call) {
  const auto f = SplitArguments(call.rest, 2);
  if (f[2].empty()) {
    ShowAnswer(ctx, u"CONV_ERR2", ctx.answer.error_time);
    return;
  }
  ShowAnswer(ctx, u"CONV_CHG", kAnswerUntilReplaced);
  switch (XorConvertFile(ctx, f[0], f[1], f[2])) {
    case ConvResult::kDone:
      ShowAnswer(ctx, u"CONV_DONE", ctx.answer.normal_time);
      break;
    case ConvResult::kBadKey:
      ShowAnswer(ctx, u"CONV_ERR1", ctx.answer.error_time);
      break;
    case ConvResult::kUnreadableInput:
      ShowAnswer(ctx, u"CONV_ERR3", ctx.answer.error_time);
      break;
    case ConvResult::kUnwritableOutput:
      ShowAnswer(ctx, u"CONV_ERR4", ctx.answer.error_time);
      break;
  }
}

void EchoCommand(Context& ctx, const CommandCall& call) {
  const auto f = SplitArguments(call.rest, 1);
  if (f[0].empty() || !AppendLineToFile(ctx, f[0], f[1])) {
    ShowAnswer(ctx, u"ECHO_ERR", ctx.answer.error_time);
    return;
  }
  ShowAnswerWith(ctx, u"ECHO_ADD", ctx.answer.normal_time, {f[0], f[1]});
}

void IniCommand(Context& ctx, const CommandCall& call) {
  const auto f = SplitArguments(call.rest, 4);
  const std::u16string& mode = f[0];
  const std::u16string& file = f[1];
  const std::u16string& section = f[2];
  const std::u16string& key = f[3];
  const std::u16string& last = f[4];

  std::optional<int16_t> read_into;
  std::u16string value_read;
  bool written = false;
  const char16_t letter = mode.empty() ? u'\0' : UpperChar(mode[0]);
  if (letter == u'R') {
    read_into = VariableNumber(last);
    if (read_into) {
      value_read = ReadIni(ctx, section, key, u"", file);
      ctx.settings.variables[static_cast<size_t>(*read_into)] = value_read;
    }
  } else if (letter == u'W' && !key.empty()) {
    // A refused write has had its warning box; the answer must not claim success.
    written = WriteIni(ctx, section, key, last, file);
  }

  if (read_into) {
    ShowAnswerWith(ctx, u"INI_R-OK", ctx.answer.normal_time,
                   {file, section, key, value_read, Decimal(*read_into)});
  } else if (written) {
    ShowAnswerWith(ctx, u"INI_W-OK", ctx.answer.normal_time, {file, section, key, last});
  } else {
    ShowAnswerWith(ctx, u"INI_ERR", ctx.answer.error_time, {file, section, key, last});
  }
}

void LhaCommand(Context& ctx, const CommandCall& call) {
  const std::optional<int32_t> code = ctx.os.RunArchiver(OwnerWindow(ctx), call.rest);
  if (!code) {
    ShowAnswer(ctx, u"LHA32_NONE", ctx.answer.error_time);
    return;
  }
  ShowResultCodeAnswer(ctx, u"LHA32", *code);
}

}  // namespace qrx
