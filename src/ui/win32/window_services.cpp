// The plain window's services: showing and placing it, the global hot key, the
// notification-area icon and dragging.
#include "platform/win32/win32_api.h"

#include <shellapi.h>

#include <algorithm>
#include <cwchar>

#include "ui/win32/plain_window.h"
#include "ui/win32/wide_text.h"

namespace qrx {
namespace {

// The normal-state rectangle of GetWindowPlacement is relative to the work area, which
// differs from the screen when the task bar sits at the top or the left.
POINT WorkAreaOffset(HWND window) {
  POINT offset{0, 0};
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) {
    offset.x = info.rcWork.left - info.rcMonitor.left;
    offset.y = info.rcWork.top - info.rcMonitor.top;
  }
  return offset;
}

}  // namespace

void PlainWindow::ShowWindow() {
  ::ShowWindow(hwnd_, SW_SHOW);
}

void PlainWindow::HideWindow() {
  ::ShowWindow(hwnd_, SW_HIDE);
}

void PlainWindow::MinimizeWindow() {
  ::ShowWindow(hwnd_, SW_MINIMIZE);
}

bool PlainWindow::IsWindowVisible() {
  return ::IsWindowVisible(hwnd_) != FALSE;
}

void PlainWindow::RestoreWindow() {
  ::ShowWindow(hwnd_, SW_RESTORE);
}

WindowRect PlainWindow::NormalRect() {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  if (!::GetWindowPlacement(hwnd_, &placement)) return WindowRect{};
  const RECT& r = placement.rcNormalPosition;
  const POINT offset = WorkAreaOffset(hwnd_);
  return WindowRect{r.left + offset.x, r.top + offset.y, r.right + offset.x, r.bottom + offset.y};
}

void PlainWindow::MoveWindowTo(int32_t x, int32_t y) {
  ::SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PlainWindow::SetWindowWidth(int32_t pixels) {
  RECT r;
  if (!::GetWindowRect(hwnd_, &r)) return;
  // The resize rule then lays the boxes out for the new width.
  ::SetWindowPos(hwnd_, nullptr, 0, 0, pixels, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool PlainWindow::RegisterHotKey(int32_t id, uint32_t modifiers, uint32_t virtual_key) {
  if (!::RegisterHotKey(hwnd_, id, modifiers, virtual_key)) return false;
  if (std::find(hot_keys_.begin(), hot_keys_.end(), id) == hot_keys_.end()) {
    hot_keys_.push_back(id);
  }
  return true;
}

void PlainWindow::UnregisterHotKey(int32_t id) {
  ::UnregisterHotKey(hwnd_, id);
  hot_keys_.erase(std::remove(hot_keys_.begin(), hot_keys_.end(), id), hot_keys_.end());
}

bool PlainWindow::AddTrayIcon(std::u16string_view tooltip) {
  tray_tooltip_ = std::u16string(tooltip);
  tray_wanted_ = true;
  // Without a notification area (the shell not started yet) the icon comes with the
  // shell's TaskbarCreated message.
  const bool added = SendTrayIcon(NIM_ADD);
  // Showing the window and adding the icon may wait on other processes; both are done.
  host_.MarkShown();
  return added;
}

void PlainWindow::SetTrayTooltip(std::u16string_view tooltip) {
  tray_tooltip_ = std::u16string(tooltip);
  if (tray_wanted_) SendTrayIcon(NIM_MODIFY);
}

bool PlainWindow::SendTrayIcon(DWORD message) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = hwnd_;
  data.uID = kTrayIconId;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kTrayMessage;
  data.hIcon = small_icon_.Get();
  const std::wstring tip = win32::Wide(tray_tooltip_);
  std::wcsncpy(data.szTip, tip.c_str(), std::size(data.szTip) - 1);
  return ::Shell_NotifyIconW(message, &data) != FALSE;
}

void PlainWindow::DeleteTrayIcon() {
  if (!tray_wanted_ || hwnd_ == nullptr) return;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = hwnd_;
  data.uID = kTrayIconId;
  ::Shell_NotifyIconW(NIM_DELETE, &data);
  tray_wanted_ = false;
}

void PlainWindow::BeginDrag() {
  ::ReleaseCapture();
  // Windows then moves the window with the mouse as if its caption had been grabbed.
  ::SendMessageW(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

}  // namespace qrx
