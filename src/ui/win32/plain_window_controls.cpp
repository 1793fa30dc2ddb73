// The two boxes of the plain window: creation, layout, and their texts.
#include "platform/win32/win32_api.h"

#include <commctrl.h>

#include <utility>

#include "ui/layout.h"
#include "ui/win32/japanese_font.h"
#include "ui/win32/plain_window.h"
#include "ui/win32/wide_text.h"

namespace qrx {
namespace {

HWND MakeEdit(HWND parent, HINSTANCE instance, int id, DWORD extra_style) {
  return ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                           WS_CHILD | WS_VISIBLE | ES_LEFT | ES_AUTOHSCROLL | extra_style, 0, 0, 0,
                           0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                           nullptr);
}

void SetText(HWND window, std::u16string_view text) {
  if (window != nullptr) ::SetWindowTextW(window, win32::Wide(text).c_str());
}

}  // namespace

void PlainWindow::CreateControls() {
  command_box_ = MakeEdit(hwnd_, instance_, kCommandBoxId, WS_TABSTOP);
  // Read-only: answers are shown, not edited.
  answer_line_ = MakeEdit(hwnd_, instance_, kAnswerLineId, ES_READONLY);
  // Typed commands hold Japanese too, so the command box gets the same face, not bold.
  // Inside the boxes' sunken edges.
  const int line = layout::ToPixels(layout::kCommandBox.height, twips_per_pixel_y_) -
                   2 * ::GetSystemMetrics(SM_CYEDGE);
  command_font_ = win32::MakeJapaneseFont(layout::kAnswerFontPoints, false, line);
  answer_font_ = win32::MakeJapaneseFont(layout::kAnswerFontPoints, true, line);
  if (command_box_ != nullptr) {
    ::SendMessageW(command_box_, WM_SETFONT, reinterpret_cast<WPARAM>(command_font_.Get()), FALSE);
    ::SetWindowSubclass(command_box_, CommandBoxProc, kCommandBoxSubclass,
                        reinterpret_cast<DWORD_PTR>(this));
  }
  if (answer_line_ != nullptr) {
    ::SendMessageW(answer_line_, WM_SETFONT, reinterpret_cast<WPARAM>(answer_font_.Get()), FALSE);
  }
}

void PlainWindow::OnSize() {
  if (hwnd_ == nullptr) return;
  RECT r;
  if (!::GetWindowRect(hwnd_, &r)) return;
  const int width = r.right - r.left;
  const layout::ResizeRule rule =
      layout::OnResize(width * twips_per_pixel_x_, (r.bottom - r.top) * twips_per_pixel_y_,
                       design_height_ * twips_per_pixel_y_);
  if (rule.fix_height) {
    // Comes back here with the right height.
    ::SetWindowPos(hwnd_, nullptr, 0, 0, width, design_height_,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  const int box_width = layout::ToPixels(rule.box_width, twips_per_pixel_x_);
  for (const auto& [box, design] : {std::pair{command_box_, layout::kCommandBox},
                                    std::pair{answer_line_, layout::kAnswerLine}}) {
    if (box == nullptr) continue;
    ::MoveWindow(box, layout::ToPixels(design.left, twips_per_pixel_x_),
                 layout::ToPixels(design.top, twips_per_pixel_y_), box_width,
                 layout::ToPixels(design.height, twips_per_pixel_y_), TRUE);
  }
}

LRESULT PlainWindow::AnswerLineColours(HDC dc) {
  // A box to read in, like the command box, rather than the grey of a disabled one.
  ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
  ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
  return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
}

void PlainWindow::ShowCommandBox() {
  if (command_box_ != nullptr && !::IsWindowVisible(command_box_)) {
    ::ShowWindow(command_box_, SW_SHOW);
  }
}

void PlainWindow::SetCaption(std::u16string_view caption) {
  SetText(hwnd_, caption);
}

void PlainWindow::ShowAnswerText(std::u16string_view text, int16_t) {
  SetAnswerText(text);
}

void PlainWindow::SetAnswerText(std::u16string_view text) {
  SetText(answer_line_, text);
  // At once: a command that runs on may keep the window from painting for a while.
  if (answer_line_ != nullptr) ::UpdateWindow(answer_line_);
}

std::u16string PlainWindow::CommandText() {
  return command_box_ != nullptr ? win32::WindowText(command_box_) : std::u16string();
}

void PlainWindow::SetCommandText(std::u16string_view text) {
  SetText(command_box_, text);
}

size_t PlainWindow::CommandCaret() {
  if (command_box_ == nullptr) return 0;
  DWORD end = 0;
  ::SendMessageW(command_box_, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&end));
  return end;
}

void PlainWindow::PutCommandText(std::u16string_view text, size_t caret) {
  SetText(command_box_, text);
  if (command_box_ != nullptr) ::SendMessageW(command_box_, EM_SETSEL, caret, caret);
}

void PlainWindow::FocusCommandBox() {
  if (command_box_ == nullptr) return;
  ShowCommandBox();
  // The hot key and drops come while another program is in front.
  if (::IsWindowVisible(hwnd_)) ::SetForegroundWindow(hwnd_);
  ::SetFocus(command_box_);
}

void PlainWindow::PasteClipboardIntoCommandBox() {
  if (command_box_ != nullptr) ::SendMessageW(command_box_, WM_PASTE, 0, 0);
}

void PlainWindow::InsertIntoCommandBox(std::u16string_view text) {
  if (command_box_ == nullptr) return;
  const std::wstring wide = win32::Wide(text);
  // TRUE: the user can undo the insertion as a typed one.
  ::SendMessageW(command_box_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(wide.c_str()));
}

}  // namespace qrx
