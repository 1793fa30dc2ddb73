// The main window on the Linux desktop: the plain window (command box and answer line under
// a frame) that becomes the skinned one (the picture, frameless, its top-left colour cut
// away) once a skin is shown. Every key, click, drop and tick goes to the shared MainWindow.
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>

#include "core/window_surface.h"
#include "ui/skin_surfaces.h"

class QLabel;
class QMimeData;
class QLineEdit;
class QSystemTrayIcon;

namespace qrx {

class GlobalKeys;
class MainWindow;
class PortalShortcuts;
class QtUiHost;
struct DropData;

class QtWindow : public QWidget, public WindowSurface, public SkinSurface {
 public:
  explicit QtWindow(QtUiHost& host);
  ~QtWindow() override;

  // The shared logic the events go to; `keys`: the system-wide keys (may be unavailable).
  void Attach(MainWindow* logic, GlobalKeys* keys);
  // Where keys cannot be grabbed (Wayland): the hot key is asked of the desktop's portal.
  void AttachPortal(PortalShortcuts* portal) { portal_ = portal; }
  // The portal did not bind the hot key it was asked for.
  void PortalRefused() { portal_refused_ = true; }
  // Runs on every tick after the shared one (the socket, the function-key grabs).
  void OnEveryTick(std::function<void()> work) { after_tick_ = std::move(work); }
  // Brings the window to the front with the focus in the command box (the hot key and a
  // second start with --show).
  void BringToFront();
  // Back to the 100 ms tick from the resting one: something happened that a duty acts on (an
  // answer, a clipboard change, a grabbed function key).
  void Wake();

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
  int32_t TwipsPerPixelX() override;
  void FocusCommandBox() override;
  void PasteClipboardIntoCommandBox() override;
  void InsertIntoCommandBox(std::u16string_view text) override;
  bool RegisterHotKey(int32_t id, uint32_t modifiers, uint32_t virtual_key) override;
  void UnregisterHotKey(int32_t id) override;
  bool HotKeysAvailable() override;
  bool AddTrayIcon(std::u16string_view tooltip) override;
  void SetTrayTooltip(std::u16string_view tooltip) override;
  void DeleteTrayIcon() override;
  void BeginDrag() override;
  intptr_t NativeHandle() override;

  // SkinSurface
  std::optional<PictureSize> LoadPicture(std::u16string_view path) override;
  void ShowPicture(const SkinLayout& layout) override;
  WindowRect OuterRect() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  template <typename Work>
  void Forward(Work&& work);
  bool OnKey(QKeyEvent* key);
  void OnDrop(const QMimeData* data);
  void LayOutPlain();

  QtUiHost& host_;
  MainWindow* logic_ = nullptr;
  GlobalKeys* keys_ = nullptr;
  PortalShortcuts* portal_ = nullptr;
  bool portal_refused_ = false;
  QLineEdit* command_;
  QLineEdit* answer_;
  static constexpr int kTickMs = 100;
  static constexpr int kRestingTickMs = 1000;
  QTimer tick_;
  std::function<void()> after_tick_;
  QSystemTrayIcon* tray_ = nullptr;
  QString tooltip_;
  int twips_per_pixel_ = 15;
  // The skinned layout: the picture loaded last, the one shown and where.
  std::optional<QImage> pending_;
  QPixmap picture_;
  int picture_left_ = 0;
  bool skinned_ = false;
};

// The program's icon (window, tray, desktop entry), drawn rather than shipped as a picture.
QIcon AppIcon();

}  // namespace qrx
