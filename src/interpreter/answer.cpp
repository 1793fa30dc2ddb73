#include "interpreter/answer.h"

#include <algorithm>
#include <string>
#include <vector>

#include "base/setting_values.h"
#include "core/context.h"
#include "core/ini_access.h"
#include "core/message_catalogue.h"
#include "core/system_paths.h"
#include "interpreter/expand.h"
#include "interpreter/split.h"

namespace qrx {
namespace {

constexpr char16_t kAnswerLibrary[] = u"QS_DLL1.DLL";

enum class Output { kWindow, kLibrary, kPopup };

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

// "ANS-WINDOW" is read at every answer, so editing the file switches at once.
Output ChooseOutput(Context& ctx, std::u16string& library) {
  const std::u16string style = ReadIni(ctx, u"SYSTEM", u"ANS-WINDOW", u"", ctx.paths.config);
  if (style == u"DLL") {
    library = FindOnSearchPath(ctx, kAnswerLibrary);
    if (!library.empty()) return Output::kLibrary;
  } else if (style == u"KORADINE") {
    return Output::kPopup;
  }
  return Output::kWindow;
}

void ShowInWindow(Context& ctx, std::u16string_view skin, int16_t time) {
  // A skin shown on the way may answer too (a picture that cannot be loaded); the answer
  // that stays is this one.
  const std::u16string shown = ctx.answer.text;
  ctx.main_form->WriteAnswer(shown, skin, time);
  ctx.answer.text = shown;
}

// Shows a finished answer text in the output "ANS-WINDOW" chooses; `skin` is the answer's
// own skin, which only the skinned window shows.
void Deliver(Context& ctx, std::u16string text, std::u16string_view skin, int16_t time) {
  std::u16string library;
  const Output output = ChooseOutput(ctx, library);
  ctx.answer.text = std::move(text);
  switch (output) {
    case Output::kWindow:
      ShowInWindow(ctx, skin, time);
      break;
    case Output::kLibrary: {
      const intptr_t window = ctx.main_form->Surface().NativeHandle();
      // A library that cannot be loaded or called counts as one that was not found.
      if (!ctx.os.CallAnswerLibrary(library, window, ctx.answer.text, time)) {
        ShowInWindow(ctx, skin, time);
      }
      break;
    }
    case Output::kPopup:
      ctx.ui.ShowPopup(ctx.answer.text, time);
      break;
  }
}

void RecordOutcome(Context& ctx, int16_t time) {
  ctx.answer.last_ok = time != ctx.answer.error_time ? -1 : 0;
}

}  // namespace

void ShowAnswer(Context& ctx, std::u16string_view key, int16_t time) {
  std::u16string text = CatalogueText(ctx, key);
  std::u16string sound;
  std::u16string skin;
  if (text.find(u'|') != std::u16string::npos) {
    auto parts = SplitAtBars(text);
    text = parts[0];
    sound = parts[1];
    if (parts.size() == 3) skin = parts[2];
  }
  Deliver(ctx, ExpandAnswerParams(ctx, text), skin, time);
  if (!sound.empty()) {
    if (sound.find(u' ') == std::u16string::npos) sound += u" 1";
    auto fields = SplitArguments(sound, 1);
    PlayWave(ctx, fields[0], fields[1]);
  }
  RecordOutcome(ctx, time);
}

void ShowLiteralAnswer(Context& ctx, std::u16string_view text, int16_t time) {
  Deliver(ctx, std::u16string(text), u"", time);
  RecordOutcome(ctx, time);
}

void ShowAnswerWith(Context& ctx, std::u16string_view key, int16_t time,
                    std::initializer_list<std::u16string_view> params) {
  // Copied first: a view may point into the parameters it replaces.
  std::vector<std::u16string> texts(params.begin(), params.end());
  texts.resize(std::min(texts.size(), ctx.answer.params.size()));
  std::move(texts.begin(), texts.end(), ctx.answer.params.begin());
  ShowAnswer(ctx, key, time);
}

void ClearAnswer(Context& ctx) {
  ShowAnswer(ctx, u"", kAnswerCleared);
}

void ShowSaveRefused(Context& ctx) {
  ShowAnswerWith(ctx, u"SYSTEM_SAVE-ERR", ctx.answer.error_time, {ctx.paths.config});
}

void PlayWave(Context& ctx, std::u16string_view name, std::u16string_view flags) {
  ctx.os.PlaySound(name, static_cast<uint32_t>(ToInt32(flags).value_or(0)));
}

}  // namespace qrx
