// The plain main window on Win32: a narrow window with the command box and the answer line.
// It holds no logic of its own: every event goes to MainWindow, which answers through the
// WindowSurface methods below.
//
// Frame: a sizable frame with caption, system menu and minimise button, and a task-bar
// button. The user can make the window wider or narrower (the boxes follow); its height
// always goes back to the design height, so there is no maximise button.
#pragma once

#include "platform/win32/win32_api.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "core/window_surface.h"
#include "ui/command_box.h"
#include "platform/win32/scoped_win.h"
#include "ui/main_window.h"
#include "ui/win32/drop_target.h"
#include "ui/win32/ui_host.h"

namespace qrx {

class PlainWindow : public WindowSurface {
 public:
  // What programs that drive the window from outside rely on.
  static constexpr wchar_t kClassName[] = L"QuorixMain";
  static constexpr int kCommandBoxId = 1001;
  static constexpr int kAnswerLineId = 1002;
  // The notification-area icon and its callback message.
  static constexpr UINT kTrayIconId = 2;
  static constexpr UINT kTrayMessage = 1024;

  // Creates the window, hidden, with its boxes and its 100 ms tick.
  PlainWindow(HINSTANCE instance, Win32UiHost& host);
  ~PlainWindow() override;
  PlainWindow(const PlainWindow&) = delete;
  PlainWindow& operator=(const PlainWindow&) = delete;

  bool created() const { return hwnd_ != nullptr; }
  // The logic that every event goes to; events before this are not forwarded.
  void Attach(MainWindow* logic) { logic_ = logic; }

  // WindowSurface
  void SetCaption(std::u16string_view caption) override;
  void ShowAnswerText(std::u16string_view text, int16_t time) override;
  void SetAnswerText(std::u16string_view text) override;
  std::u16string CommandText() override;
  void SetCommandText(std::u16string_view text) override;
  size_t CommandCaret() override;
  void PutCommandText(std::u16string_view text, size_t caret) override;
  void ShowWindow() override;
  void HideWindow() override;
  void MinimizeWindow() override;
  bool IsWindowVisible() override;
  void RestoreWindow() override;
  WindowRect NormalRect() override;
  void MoveWindowTo(int32_t x, int32_t y) override;
  void SetWindowWidth(int32_t pixels) override;
  int32_t TwipsPerPixelX() override { return twips_per_pixel_x_; }
  void FocusCommandBox() override;
  void PasteClipboardIntoCommandBox() override;
  void InsertIntoCommandBox(std::u16string_view text) override;
  bool RegisterHotKey(int32_t id, uint32_t modifiers, uint32_t virtual_key) override;
  void UnregisterHotKey(int32_t id) override;
  bool AddTrayIcon(std::u16string_view tooltip) override;
  void SetTrayTooltip(std::u16string_view tooltip) override;
  void DeleteTrayIcon() override;
  void BeginDrag() override;
  intptr_t NativeHandle() override { return reinterpret_cast<intptr_t>(hwnd_); }

 private:
  static constexpr UINT_PTR kTickTimer = 1;
  static constexpr UINT_PTR kCommandBoxSubclass = 1;
  // An OLE drop, handled once the drag source has been let go.
  static constexpr UINT kDropMessage = WM_APP + 1;

  // Runs `work` on the logic, guarded: nothing may escape into Windows.
  template <typename Work>
  void Forward(Work&& work) {
    if (logic_ != nullptr) host_.Guard([&] { work(*logic_); });
  }

  // plain_window.cpp: the window procedure and the focus rules.
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void OnFocusLost(HWND next);
  void OnDropFiles(HDROP drop);
  void QueueDrop(DropData data);
  void DeliverDrops();

  // plain_window_controls.cpp: the boxes and their layout.
  void CreateControls();
  void OnSize();
  LRESULT AnswerLineColours(HDC dc);
  void ShowCommandBox();

  // plain_window_keys.cpp: the command box sees keys only after the window has.
  static LRESULT CALLBACK CommandBoxProc(HWND box, UINT message, WPARAM wparam, LPARAM lparam,
                                         UINT_PTR id, DWORD_PTR self);
  // True when the logic used the key up.
  bool OnKey(WPARAM virtual_key);

  // window_services.cpp: NIM_ADD or NIM_MODIFY with the icon's data; false when refused.
  bool SendTrayIcon(DWORD message);

  HINSTANCE instance_;
  Win32UiHost& host_;
  MainWindow* logic_ = nullptr;

  win32::ScopedIcon large_icon_;
  win32::ScopedIcon small_icon_;
  win32::ScopedFont command_font_;
  win32::ScopedFont answer_font_;
  ATOM class_ = 0;
  HWND hwnd_ = nullptr;  // destroyed by the destructor
  HWND command_box_ = nullptr;
  HWND answer_line_ = nullptr;
  int32_t twips_per_pixel_x_ = 15;
  int32_t twips_per_pixel_y_ = 15;
  int design_height_ = 0;  // pixels, frame included

  std::unique_ptr<win32::DropRegistration> drop_target_;
  std::deque<DropData> pending_drops_;

  std::vector<int32_t> hot_keys_;
  bool tray_wanted_ = false;
  std::u16string tray_tooltip_;
  UINT taskbar_created_ = 0;  // the shell's message after it (re)starts
};

}  // namespace qrx
