#include "ui/skinned_layout.h"

#include "core/context.h"
#include "core/skin_file.h"
#include "interpreter/answer.h"
#include "interpreter/window_position.h"

namespace qrx {

SkinnedLayout::SkinnedLayout(Context& ctx, WindowSurface& window, const SkinSurfaces& surfaces)
    : ctx_(ctx),
      window_(window),
      picture_(surfaces.picture),
      messages_(state_, window, surfaces.picture, surfaces.balloon,
                [this] { ReturnToLastingSkin(); }) {}

bool SkinnedLayout::ApplySkin(std::u16string_view name, bool lasting) {
  const SkinEntry skin = ReadSkin(ctx_, name);
  const std::u16string path = SkinPicturePath(ctx_, skin.file);
  const std::optional<PictureSize> picture = picture_.LoadPicture(path);
  if (!picture) {
    struct Restore {
      bool& flag;
      bool value;
      ~Restore() { flag = value; }
    } restore{state_.reporting_failure, state_.reporting_failure};
    state_.reporting_failure = true;
    // The path is #A of this report only: a skin applied on the way to another answer must
    // not change the parameters that answer and later ones read.
    const std::u16string kept = ctx_.answer.params[0];
    ShowAnswerWith(ctx_, u"SKIN_PICTURE-ERR", ctx_.answer.error_time, {path});
    ctx_.answer.params[0] = kept;
    return false;
  }
  if (lasting) {
    state_.remembered = skin.name;
  } else {
    state_.temporary = 1;
  }
  state_.picture = skin.file;
  state_.numbers = skin.numbers;
  state_.picture_width = picture->width;
  // The window is laid out anew where it stands (hiding it first would only make it
  // flicker), placed at its stored position, not where it was dragged, and shown.
  picture_.ShowPicture(LayOutSkin(*picture, skin.numbers.iy, skin.numbers.iw));
  RestoreWindowPosition(ctx_);
  window_.ShowWindow();
  messages_.ReWindPos();
  return true;
}

void SkinnedLayout::WriteAnswer(std::u16string_view text, std::u16string_view skin, int16_t time) {
  // Skins shown on the way may give answers of their own; this one is shown after them.
  const std::u16string shown(text);
  ReturnToLastingSkin();
  if (!skin.empty() && !state_.reporting_failure) ApplySkin(skin, false);
  messages_.ShowAnswer(shown, time);
}

void SkinnedLayout::ReturnToLastingSkin() {
  if (state_.temporary != 1) return;
  state_.temporary = 0;
  ApplySkin(state_.remembered, true);
}

}  // namespace qrx
