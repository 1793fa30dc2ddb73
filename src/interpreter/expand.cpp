#include "interpreter/expand.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "base/text.h"
#include "core/context.h"
#include "core/ini_access.h"
#include "core/system_paths.h"

namespace qrx {
namespace {

std::u16string TwoDigits(int n) {
  std::u16string s = Decimal(n);
  return s.size() < 2 ? u"0" + s : s;
}

std::u16string RandomNumber(Context& ctx) {
  // Single precision, as the random macro has always been computed.
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  float r = unit(ctx.interp.random);
  if (r >= 1.0f) r = 0.0f;
  const float scaled = static_cast<float>(ctx.settings.random_range) * r;
  std::u16string number = Decimal(static_cast<int64_t>(std::floor(scaled)) + 1);
  const int16_t digits = ctx.settings.random_digits;
  if (digits > 0) {
    number = std::u16string(static_cast<size_t>(digits), u'0') + number;
    number.erase(0, number.size() - static_cast<size_t>(digits));
  }
  return number;
}

std::u16string TypedInput(Context& ctx) {
  const std::u16string prompt = ExpandAnswerParams(
      ctx, ReadIni(ctx, u"SYSTEM", u"INPUT", u"入力して下さい", ctx.paths.message));
  return ctx.ui.InputBox(prompt, ctx.app.product_name, u"").value_or(u"");
}

// The replacement of "$c", or nothing for a character the table does not know.
std::optional<std::u16string> DollarReplacement(Context& ctx, char16_t c) {
  if (c >= u'0' && c <= u'9') return ctx.settings.variables[c - u'0'];
  switch (UpperChar(c)) {
    case u'$':
      return u"$";
    case u'A':
      return ctx.os.ProgramDirectory();
    case u'C':
      return ctx.os.CurrentDirectory();
    case u'D':
      return TwoDigits(ctx.os.Now().day);
    case u'M':
      return TwoDigits(ctx.os.Now().month);
    case u'Y':
      return Decimal(ctx.os.Now().year);
    case u'N':
      return u"\r\n";
    case u'R':
      return RandomNumber(ctx);
    case u'S':
      return WinSysDir(ctx.os, u"SYS");
    case u'W':
      return WinSysDir(ctx.os, u"WIN");
    case u'V':
      return ctx.os.GetClipboardText().value_or(u"");
    case u'T':
      return UptimeText(ctx.os.TickCount());
    case u'?':
      return TypedInput(ctx);
    case u'@':
      return ctx.answer.text;
    case u'`':
      return Decimal(ctx.answer.last_ok);
    case u'L':
      return ctx.interp.command_file_arguments;
    default:
      return std::nullopt;
  }
}

}  // namespace

std::u16string UptimeText(uint32_t tick_ms) {
  int32_t s = static_cast<int32_t>(tick_ms) / 1000;
  std::u16string out;
  if (const int32_t d = s / 86400; d > 0) {
    out += Decimal(d) + u"日と";
    s -= d * 86400;
  }
  if (const int32_t h = s / 3600; h > 0) {
    out += Decimal(h) + u"時間";
    s -= h * 3600;
  }
  if (const int32_t m = s / 60; m > 0) {
    out += Decimal(m) + u"分";
    s -= m * 60;
  }
  return out + Decimal(s) + u"秒";
}

std::optional<std::u16string> ExpandDollarMacros(Context& ctx, std::u16string_view line) {
  // A line that is already longer may stay as long: only replacements are stopped.
  const size_t limit = std::max(kMaxLineLength, line.size());
  std::u16string out;
  out.reserve(line.size());
  bool pending = false;
  for (const char16_t c : line) {
    if (!pending && c == u'$') {
      pending = true;
      continue;
    }
    std::optional<std::u16string> r;
    if (pending) {
      pending = false;
      r = DollarReplacement(ctx, c);
    }
    // out never passes the limit, so the room left cannot underflow.
    const size_t room = limit - out.size();
    if (r) {
      if (r->size() > room) return std::nullopt;
      out += *r;
    } else {
      if (room == 0) return std::nullopt;
      out.push_back(c);
    }
  }
  return out;
}

std::u16string ExpandEnvironmentReferences(Context& ctx, std::u16string_view line) {
  std::u16string out(line);
  for (int n = 0; n < kMaxEnvironmentReplacements; ++n) {
    const size_t open = out.find(u'%');
    if (open == std::u16string::npos) break;
    const size_t close = out.find(u'%', open + 1);
    if (close == std::u16string::npos) break;
    const std::u16string name = out.substr(open + 1, close - open - 1);
    const std::u16string value = TrimAtNul(ctx.os.GetEnv(name).value_or(u""));
    if (out.size() - (close - open + 1) + value.size() > kMaxLineLength) break;
    out.replace(open, close - open + 1, value);
  }
  return out;
}

std::u16string ExpandAnswerParams(const Context& ctx, std::u16string_view text) {
  const size_t limit = std::max(kMaxLineLength, text.size());
  std::u16string out;
  out.reserve(text.size());
  bool pending = false;
  for (const char16_t c : text) {
    if (!pending && c == u'#') {
      pending = true;
      continue;
    }
    std::u16string_view piece(&c, 1);
    if (pending) {
      pending = false;
      const char16_t u = UpperChar(c);
      if (u >= u'A' && u <= u'J') {
        piece = ctx.answer.params[u - u'A'];
      } else if (c >= u'0' && c <= u'9') {
        piece = ctx.settings.variables[c - u'0'];
      }
    }
    // An answer cannot answer its own failure: it shows what fits.
    const size_t room = limit - out.size();
    if (piece.size() > room) {
      out += piece.substr(0, room);
      // Half a surrogate pair would show as a broken character.
      if (!out.empty() && out.back() >= 0xD800 && out.back() < 0xDC00) out.pop_back();
      break;
    }
    out += piece;
  }
  return out;
}

std::u16string TrimAtNul(std::u16string_view text) {
  return std::u16string(text.substr(0, text.find(u'\0')));
}

}  // namespace qrx
