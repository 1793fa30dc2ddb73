// What the portable window logic needs from a real (or headless) main window.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace qrx {

// A window's rectangle in screen pixels.
struct WindowRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// Positions come from a file the user may edit: arithmetic on them is done in 64 bits and
// the result held within the 32 bits of a coordinate.
inline int32_t HoldCoordinate(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// The rectangle moved to (x, y) with its size kept, as far as the coordinates reach.
inline WindowRect MovedTo(const WindowRect& r, int32_t x, int32_t y) {
  return {x, y, HoldCoordinate(int64_t{x} + r.right - r.left),
          HoldCoordinate(int64_t{y} + r.bottom - r.top)};
}

class WindowSurface {
 public:
  virtual ~WindowSurface() = default;

  virtual void SetCaption(std::u16string_view caption) = 0;
  // A new answer is written to the answer line and shown for `time` seconds.
  virtual void ShowAnswerText(std::u16string_view text, int16_t time) = 0;
  // The answer line changes while it is wiped off.
  virtual void SetAnswerText(std::u16string_view text) = 0;
  // The command box.
  virtual std::u16string CommandText() = 0;
  virtual void SetCommandText(std::u16string_view text) = 0;
  // The caret's place in the command box's text (0: before the first character).
  virtual size_t CommandCaret() = 0;
  // Replaces the command box's text and puts the caret at `caret`.
  virtual void PutCommandText(std::u16string_view text, size_t caret) = 0;

  virtual void ShowWindow() = 0;
  virtual void HideWindow() = 0;
  virtual void MinimizeWindow() = 0;
  virtual bool IsWindowVisible() = 0;
  // Back to the normal state (from minimised), shown.
  virtual void RestoreWindow() = 0;

  // Placement, in pixels: the rectangle of the normal (not minimised) position.
  virtual WindowRect NormalRect() = 0;
  // Moves without changing the size, the place in the Z order or the activation.
  virtual void MoveWindowTo(int32_t x, int32_t y) = 0;
  virtual void SetWindowWidth(int32_t pixels) = 0;
  // Twips (1/1440 inch) per pixel across: 15 at 96 dots per inch.
  virtual int32_t TwipsPerPixelX() = 0;

  virtual void FocusCommandBox() = 0;
  // The paste message to the command box: the clipboard text goes in at the caret.
  virtual void PasteClipboardIntoCommandBox() = 0;
  // Puts a text (one line) into the command box at the caret, replacing the selection, as
  // typing it would; the caret ends up after it. The clipboard is not touched.
  virtual void InsertIntoCommandBox(std::u16string_view text) = 0;

  // The global hot key of this window: false when it cannot be had (another program holds
  // the combination).
  virtual bool RegisterHotKey(int32_t id, uint32_t modifiers, uint32_t virtual_key) = 0;
  virtual void UnregisterHotKey(int32_t id) = 0;
  // False where no program may take a system-wide key (a Wayland desktop without a shortcuts
  // portal, or one that refused it): a refusal then is not another program's doing.
  virtual bool HotKeysAvailable() { return true; }
  // The notification-area icon: false when it could not be added.
  virtual bool AddTrayIcon(std::u16string_view tooltip) = 0;
  // A new tooltip for the icon (kept for an icon that comes later).
  virtual void SetTrayTooltip(std::u16string_view tooltip) = 0;
  virtual void DeleteTrayIcon() = 0;
  // Lets the user move the window with the mouse, as if its caption had been grabbed.
  virtual void BeginDrag() = 0;

  // The OS handle of the window (owner of shell dialogs, argument of outside libraries).
  virtual intptr_t NativeHandle() = 0;
};

}  // namespace qrx
