// The plain main window's logic, shared by the real Win32 window and the line runner's
// headless one: the answer line with its countdown and wipe, the caption, and the Enter key.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/main_form.h"
#include "core/window_surface.h"
#include "ui/completion.h"

namespace qrx {

struct Context;
struct DropData;
class SkinnedLayout;
struct SkinSurfaces;

enum class MouseButton { kLeft, kRight, kMiddle };

class MainWindow : public MainForm {
 public:
  MainWindow(Context& ctx, WindowSurface& surface);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  WindowKind Kind() const override { return skin_ ? WindowKind::kSkinned : WindowKind::kPlain; }
  WindowSurface& Surface() override { return surface_; }

  // From now on the window is the skinned one: a picture with a message balloon.
  void UseSkin(const SkinSurfaces& surfaces);
  // The skinned layout's parts, or nullptr for the plain window.
  SkinnedLayout* Skin() { return skin_.get(); }
  // Shows a skin; on the plain window it answers that skins need the skinned one.
  void ApplySkin(std::u16string_view name, bool lasting) override;
  void WriteAnswer(std::u16string_view text, std::u16string_view skin, int16_t time) override;
  void Unload() override;

  // Writes the current answer text into the answer line for `time` seconds.
  void ShowAnswerLine(std::u16string_view text, int16_t time) override;
  const std::u16string& AnswerLine() const { return answer_line_; }
  // Ticks of 100 ms before the answer line is wiped: > 0 waiting, 0 wiping, < 0 idle.
  int16_t countdown = -2;
  // False in debug mode: the hot key and the tray icon are then not handled.
  bool services_installed = true;

  void SetCountdown(int16_t ticks) override { countdown = ticks; }
  void CountDownAnswer() override;
  void SetServicesInstalled(bool installed) override { services_installed = installed; }

  void SetCaption(std::u16string_view caption) override;
  const std::u16string& Caption() const { return caption_; }

  // Enter in the command box: the line goes into the history and runs; the box is emptied.
  void OnEnter();
  // The periodic tick, every 100 ms: the tick's duties, the answer countdown among them.
  void Tick();
  // Nothing to do on the tick before the next minute: no answer counting down or being wiped,
  // and no duty at work (TickDutiesAtRest).
  bool AtRest() const;

  // A key pressed while the window or its command box has the focus (the window sees every
  // key first). True when the key is used up and must not reach the command box.
  bool OnKeyDown(int32_t virtual_key, bool shift, bool ctrl, bool alt);
  // The global hot key (WM_HOTKEY with its id).
  void OnHotKey(int32_t id);
  // The tray icon's callback message; `mouse_message` is its lParam (0x0201: left button).
  void OnTrayCallback(uint32_t mouse_message);
  // A mouse button pressed on the window's surface or on the command box.
  void OnMouseDown(MouseButton button);
  // Something dropped on the window or on the command box.
  void OnDrop(const DropData& data);
  // The window is closed by the user: the exit runs (throws AppEnding).
  void OnClose();
  // The socket has datagrams (or an error) waiting: they are taken, within this tick's share.
  void OnSocketReadable();
  // The OS reported an error of the socket (its code) together with its event.
  void OnSocketError(int32_t code);

 private:
  Context& ctx_;
  WindowSurface& surface_;
  std::u16string answer_line_;
  std::u16string caption_;
  std::unique_ptr<SkinnedLayout> skin_;
  Completer completer_;
};

}  // namespace qrx
