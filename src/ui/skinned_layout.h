// What makes the skinned main window differ from the plain one: the skin picture instead of
// a frame, answers in the message window, and skins that change (lasting ones, and an
// answer's own skin for as long as its message lasts). Everything else is MainWindow's.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/skin_state.h"
#include "core/window_surface.h"
#include "ui/message_window.h"
#include "ui/skin_surfaces.h"

namespace qrx {

struct Context;

class SkinnedLayout {
 public:
  SkinnedLayout(Context& ctx, WindowSurface& window, const SkinSurfaces& surfaces);
  SkinnedLayout(const SkinnedLayout&) = delete;
  SkinnedLayout& operator=(const SkinnedLayout&) = delete;

  // Shows the skin of that name (the default skin when it has no picture). A lasting skin
  // becomes the remembered one; any other is an answer's own skin, shown until the return.
  // A picture that cannot be loaded changes nothing and gives an error answer; then false.
  bool ApplySkin(std::u16string_view name, bool lasting);

  // The skinned window's answer output: back to the remembered skin when an answer's own
  // skin is shown, then this answer's own skin (when it names one), then the message window.
  void WriteAnswer(std::u16string_view text, std::u16string_view skin, int16_t time);

  MessageWindow& Messages() { return messages_; }
  const SkinState& State() const { return state_; }

 private:
  void ReturnToLastingSkin();

  Context& ctx_;
  WindowSurface& window_;
  SkinSurface& picture_;
  SkinState state_;
  MessageWindow messages_;
};

}  // namespace qrx
