// The main window as everything below the user interface reaches it.
//
// The interpreter and the commands write answers, the caption and window changes through
// this interface; the user interface's MainWindow implements it. Until a host attaches its
// window, the context holds a main form that does nothing, so no caller tests for a window.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/window_surface.h"

namespace qrx {

// Which main window the host attached: answers and the position restore depend on it.
enum class WindowKind { kNone, kPlain, kSkinned };

class MainForm {
 public:
  virtual ~MainForm() = default;

  virtual WindowKind Kind() const = 0;
  virtual WindowSurface& Surface() = 0;
  // Writes an answer text into the answer line for `time` seconds.
  virtual void ShowAnswerLine(std::u16string_view text, int16_t time) = 0;
  virtual void SetCaption(std::u16string_view caption) = 0;
  // The answer countdown, in ticks of 100 ms; a negative count is idle.
  virtual void SetCountdown(int16_t ticks) = 0;
  // One tick of the countdown: once it has run out, the answer line is wiped a character
  // at a time.
  virtual void CountDownAnswer() = 0;
  // Whether the window reacts to the hot key and the tray icon (not in debug mode).
  virtual void SetServicesInstalled(bool installed) = 0;
  // The window's own answer output: the answer line, or (skinned window) the message
  // balloon, with the answer's own skin `skin` (empty: none).
  virtual void WriteAnswer(std::u16string_view text, std::u16string_view skin, int16_t time) = 0;
  // Shows a skin and, when `lasting`, keeps it; the plain window answers that skins need the
  // skinned one.
  virtual void ApplySkin(std::u16string_view name, bool lasting) = 0;
  // The program ends: the message balloon goes.
  virtual void Unload() = 0;
};

// A window surface with no window behind it: changes go nowhere, questions get the answers
// of an empty, hidden window at 96 dots per inch.
class NoWindowSurface : public WindowSurface {
 public:
  void SetCaption(std::u16string_view) override {}
  void ShowAnswerText(std::u16string_view, int16_t) override {}
  void SetAnswerText(std::u16string_view) override {}
  std::u16string CommandText() override { return {}; }
  void SetCommandText(std::u16string_view) override {}
  size_t CommandCaret() override { return 0; }
  void PutCommandText(std::u16string_view, size_t) override {}
  void ShowWindow() override {}
  void HideWindow() override {}
  void MinimizeWindow() override {}
  bool IsWindowVisible() override { return false; }
  void RestoreWindow() override {}
  WindowRect NormalRect() override { return {}; }
  void MoveWindowTo(int32_t, int32_t) override {}
  void SetWindowWidth(int32_t) override {}
  int32_t TwipsPerPixelX() override { return 15; }
  void FocusCommandBox() override {}
  void PasteClipboardIntoCommandBox() override {}
  void InsertIntoCommandBox(std::u16string_view) override {}
  // Nothing to register with: taken as granted, so that no failure is reported.
  bool RegisterHotKey(int32_t, uint32_t, uint32_t) override { return true; }
  void UnregisterHotKey(int32_t) override {}
  bool AddTrayIcon(std::u16string_view) override { return true; }
  void SetTrayTooltip(std::u16string_view) override {}
  void DeleteTrayIcon() override {}
  void BeginDrag() override {}
  intptr_t NativeHandle() override { return 0; }
};

// The main form before a host attaches its window.
class NoMainForm : public MainForm {
 public:
  WindowKind Kind() const override { return WindowKind::kNone; }
  WindowSurface& Surface() override { return surface_; }
  void ShowAnswerLine(std::u16string_view, int16_t) override {}
  void SetCaption(std::u16string_view) override {}
  void SetCountdown(int16_t) override {}
  void CountDownAnswer() override {}
  void SetServicesInstalled(bool) override {}
  void WriteAnswer(std::u16string_view, std::u16string_view, int16_t) override {}
  void ApplySkin(std::u16string_view, bool) override {}
  void Unload() override {}

 private:
  NoWindowSurface surface_;
};

}  // namespace qrx
