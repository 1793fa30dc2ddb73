#include "interpreter/answer.h"

#include <string>
#include <vector>

#include "interpreter/expand.h"
#include "startup/context.h"
#include "startup/ini_access.h"
#include "ui/main_window.h"

namespace qrx {
namespace {

std::u16string LookUp(Context& ctx, std::u16string_view key) {
  const size_t cut = key.find(u'_');
  if (cut == std::u16string_view::npos) return std::u16string(key);
  return ReadIni(ctx, key.substr(0, cut), key.substr(cut + 1), key, ctx.paths.message);
}

std::vector<std::u16string> SplitAtBars(const std::u16string& text) {
  std::vector<std::u16string> parts;
  size_t start = 0;
  for (;;) {
    const size_t bar = text.find(u'|', start);
    parts.push_back(text.substr(start, bar == std::u16string::npos ? bar : bar - start));
    if (bar == std::u16string::npos) return parts;
    start = bar + 1;
  }
}

}  // namespace

void ShowAnswer(Context& ctx, std::u16string_view key, int16_t time) {
  std::u16string text = LookUp(ctx, key);
  if (text.find(u'|') != std::u16string::npos) {
    auto parts = SplitAtBars(text);
    text = parts[0];
  }
  ctx.answer.text = ExpandAnswerParams(ctx, text);
  if (ctx.main_form != nullptr) ctx.main_form->ShowAnswerLine(ctx.answer.text, time);
  ctx.answer.last_ok = time != ctx.answer.error_time ? -1 : 0;
}

}  // namespace qrx
