// The Win32 user-interface host: message boxes, the input box, the event pump and the loop.
#pragma once

#include "platform/win32/win32_api.h"

#include <atomic>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "interpreter/dispatcher.h"
#include "platform/platform.h"

namespace qrx {

class MainWindow;
class PopupBoxes;

class Win32UiHost : public UiHost {
 public:
  Win32UiHost() = default;
  Win32UiHost(const Win32UiHost&) = delete;
  Win32UiHost& operator=(const Win32UiHost&) = delete;

  // The main window once it exists: owner of the dialogs.
  void Attach(MainWindow* window, HWND owner) {
    window_ = window;
    owner_ = owner;
  }
  // The popup answer boxes.
  void AttachPopups(PopupBoxes* popups) { popups_ = popups; }

  int MessageBox(std::u16string_view text, std::u16string_view title, uint32_t style) override;
  std::optional<std::u16string> InputBox(std::u16string_view prompt, std::u16string_view title,
                                         std::u16string_view initial) override;
  void PumpEvents(uint32_t max_wait_ms) override;
  void ShowPopup(std::u16string_view text, int16_t time) override;
  void Quit() override;
  // socket_events.cpp: arrivals come to the main window as window messages.
  void WatchSocket(UdpSocket& socket) override;

  // The program's message loop; returns once the program ends.
  void RunMessageLoop();

  // True while a message box of the program waits for the user (read from any thread).
  bool BoxOpen() const { return boxes_open_.load() > 0; }
  // The start has shown the main window and asked for its tray icon (read from any thread).
  void MarkShown() { shown_ = true; }
  bool Shown() const { return shown_.load(); }

  // Runs one piece of event handling so that nothing escapes into Windows. The exit ends
  // the loop; a command that waits further up the stack then unwinds too.
  template <typename Work>
  void Guard(Work&& work) noexcept {
    try {
      work();
    } catch (const AppEnding&) {
      Quit();
    } catch (...) {
      // Command lines report their own failures as answers; what is left here has no one to
      // tell, and the window must go on handling events.
    }
  }

  // Open input boxes get their dialog keys (Enter, Esc, Tab) also while events are pumped
  // by a command that waits.
  void AddDialog(HWND dialog) { dialogs_.push_back(dialog); }
  void RemoveDialog(HWND dialog);

 private:
  void Dispatch(MSG& msg);
  // Once the program is ending, no dialog opens and no wait goes on.
  void ThrowIfEnding() const {
    if (ending_) throw AppEnding();
  }
  HWND Owner() const;

  MainWindow* window_ = nullptr;
  PopupBoxes* popups_ = nullptr;
  HWND owner_ = nullptr;
  bool ending_ = false;
  std::atomic<int> boxes_open_{0};
  std::atomic<bool> shown_{false};
  std::vector<HWND> dialogs_;
};

}  // namespace qrx
