// The desktop window's user-interface host: message boxes, the input box, the popup answer
// boxes, the event pump and the socket's events, all on Qt's one event loop.
#pragma once

#include <QPointer>
#include <QWidget>

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "interpreter/dispatcher.h"
#include "platform/platform.h"
#include "ui/popup_boxes.h"

class QSocketNotifier;

namespace qrx {

class MainWindow;

class QtUiHost : public UiHost, public PopupSurface {
 public:
  QtUiHost();
  ~QtUiHost() override;
  QtUiHost(const QtUiHost&) = delete;
  QtUiHost& operator=(const QtUiHost&) = delete;

  // The main window: owner of the dialogs and receiver of the socket's events.
  void Attach(MainWindow* window, QWidget* owner) {
    window_ = window;
    owner_ = owner;
  }
  void AttachPopups(PopupBoxes* popups) { popups_ = popups; }

  int MessageBox(std::u16string_view text, std::u16string_view title, uint32_t style) override;
  std::optional<std::u16string> InputBox(std::u16string_view prompt, std::u16string_view title,
                                         std::u16string_view initial) override;
  void PumpEvents(uint32_t max_wait_ms) override;
  void ShowPopup(std::u16string_view text, int16_t time) override;
  void Quit() override;
  void WatchSocket(UdpSocket& socket) override;
  // After a tick: the socket is heard again (see WatchSocket).
  void ResumeSocket();

  Size MeasureBox(std::u16string_view text) override;
  Size ScreenSize() override;
  int32_t OpenBox(std::u16string_view text, const PopupLook& look, int32_t x, int32_t y) override;
  void CloseAfter(int32_t box, int32_t ms) override;

  bool Ending() const { return ending_; }

  // Runs one piece of event handling so that nothing escapes into the toolkit. The exit ends
  // the loop; a command that waits further up the stack then unwinds too.
  template <typename Work>
  void Guard(Work&& work) noexcept {
    try {
      work();
    } catch (const AppEnding&) {
      Quit();
    } catch (...) {
      // Command lines report their own failures as answers; what is left has no one to tell.
    }
  }

 private:
  void ThrowIfEnding() const {
    if (ending_) throw AppEnding();
  }

  MainWindow* window_ = nullptr;
  QWidget* owner_ = nullptr;
  PopupBoxes* popups_ = nullptr;
  bool ending_ = false;
  std::unique_ptr<QSocketNotifier> socket_;
  std::map<int32_t, QPointer<QWidget>> boxes_;
  int32_t next_box_ = 1;
};

}  // namespace qrx
