#include "ui/qt/qt_window.h"

#include <QApplication>
#include <QBitmap>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QUrl>
#include <QWindow>

#include "interpreter/keys.h"
#include "ui/command_box.h"
#include "ui/layout.h"
#include "ui/main_window.h"
#include "ui/qt/global_keys.h"
#include "ui/qt/portal_shortcuts.h"
#include "ui/qt/qt_host.h"
#include "ui/qt/qt_text.h"

namespace qrx {
namespace {

// The Windows virtual-key code of a key, 0 for one the window has no use for.
int32_t VirtualKeyFor(const QKeyEvent& e) {
  const int key = e.key();
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return key;  // the same codes
  if (key >= Qt::Key_0 && key <= Qt::Key_9) {
    return e.modifiers() & Qt::KeypadModifier ? 0x60 + (key - Qt::Key_0) : key;
  }
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 0x70 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Backspace:
      return 0x08;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return 0x09;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 0x0D;
    case Qt::Key_Escape:
      return 0x1B;
    case Qt::Key_Space:
      return 0x20;
    case Qt::Key_PageUp:
      return 0x21;
    case Qt::Key_PageDown:
      return 0x22;
    case Qt::Key_End:
      return 0x23;
    case Qt::Key_Home:
      return 0x24;
    case Qt::Key_Left:
      return 0x25;
    case Qt::Key_Up:
      return 0x26;
    case Qt::Key_Right:
      return 0x27;
    case Qt::Key_Down:
      return 0x28;
    case Qt::Key_Insert:
      return 0x2D;
    case Qt::Key_Delete:
      return 0x2E;
    default:
      return 0;
  }
}

// The answer line's face: a Japanese Gothic where the system has one, else any Japanese
// face; the toolkit falls back per character for the rest.
QFont AnswerFont() {
  QFont font;
  const QStringList faces = QFontDatabase::families(QFontDatabase::Japanese);
  for (const QString& face : faces) {
    if (face.contains(QStringLiteral("Gothic"), Qt::CaseInsensitive)) {
      font.setFamily(face);
      break;
    }
  }
  if (font.family().isEmpty() && !faces.isEmpty()) font.setFamily(faces.front());
  font.setPointSize(layout::kAnswerFontPoints);
  font.setBold(true);
  return font;
}

}  // namespace

QIcon AppIcon() {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(QColor(0x20, 0x60, 0xB0));
  p.setPen(Qt::NoPen);
  p.drawRoundedRect(1, 1, 30, 30, 6, 6);
  p.setPen(Qt::white);
  QFont font;
  font.setPixelSize(22);
  font.setBold(true);
  p.setFont(font);
  p.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("Q"));
  return QIcon(pixmap);
}

QtWindow::QtWindow(QtUiHost& host) : host_(host) {
  twips_per_pixel_ = layout::TwipsPerPixel(logicalDpiX());
  setWindowIcon(AppIcon());
  setAcceptDrops(true);
  setFocusPolicy(Qt::StrongFocus);
  command_ = new QLineEdit(this);
  answer_ = new QLineEdit(this);
  answer_->setReadOnly(true);
  answer_->setFocusPolicy(Qt::NoFocus);  // only read: the focus stays in the command box
  answer_->setFont(AnswerFont());
  for (QWidget* w : {static_cast<QWidget*>(command_), static_cast<QWidget*>(answer_)}) {
    w->installEventFilter(this);
    w->setAcceptDrops(false);  // drops go to the window, which passes them on
  }
  const int tpp = twips_per_pixel_;
  const int height = layout::ToPixels(layout::kClientHeight, tpp);
  resize(layout::ToPixels(layout::kClientWidth, tpp), height);
  setMinimumWidth(layout::ToPixels(layout::kCommandBox.left * 2, tpp));
  setFixedHeight(height);  // the resize rule: the height stays the design height
  LayOutPlain();
  tick_.setInterval(kTickMs);
  QObject::connect(&tick_, &QTimer::timeout, [this] {
    Forward([](MainWindow& w) { w.Tick(); });
    if (after_tick_) host_.Guard(after_tick_);
    // At rest nothing is due before the next minute: one wake a second instead of ten, which
    // is most of what an idle quorix costs. Wake() brings the 100 ms tick back at once.
    const bool rest = logic_ != nullptr && logic_->AtRest();
    tick_.setInterval(rest ? kRestingTickMs : kTickMs);
  });
}

QtWindow::~QtWindow() {
  logic_ = nullptr;
  DeleteTrayIcon();
}

void QtWindow::Attach(MainWindow* logic, GlobalKeys* keys) {
  logic_ = logic;
  keys_ = keys;
  tick_.start();
}

template <typename Work>
void QtWindow::Forward(Work&& work) {
  if (logic_ == nullptr || host_.Ending()) return;
  host_.Guard([&] { work(*logic_); });
}

void QtWindow::LayOutPlain() {
  const int tpp = twips_per_pixel_;
  const int box_width = std::max(0, width() - 2 * layout::ToPixels(layout::kCommandBox.left, tpp));
  command_->setGeometry(layout::ToPixels(layout::kCommandBox.left, tpp),
                        layout::ToPixels(layout::kCommandBox.top, tpp), box_width,
                        layout::ToPixels(layout::kCommandBox.height, tpp) + 4);
  answer_->setGeometry(layout::ToPixels(layout::kAnswerLine.left, tpp),
                       layout::ToPixels(layout::kAnswerLine.top, tpp), box_width,
                       layout::ToPixels(layout::kAnswerLine.height, tpp) + 4);
}

void QtWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!skinned_) LayOutPlain();  // the skinned layout is the skin's, whatever the size
}

bool QtWindow::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
      if (watched == command_) return OnKey(static_cast<QKeyEvent*>(event));
      break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
      // The middle button pastes the clipboard, not the X selection.
      if (static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton) {
        if (event->type() == QEvent::MouseButtonPress) {
          Forward([](MainWindow& w) { w.OnMouseDown(MouseButton::kMiddle); });
        }
        return true;
      }
      break;
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}

bool QtWindow::OnKey(QKeyEvent* key) {
  Wake();  // what the user types may change what the tick has to do (SET FPU, an answer)
  const int32_t vk = VirtualKeyFor(*key);
  const Qt::KeyboardModifiers mods = key->modifiers();
  bool used = false;
  if (vk != 0) {
    const bool shift = mods & Qt::ShiftModifier;
    Forward([&](MainWindow& w) {
      used = w.OnKeyDown(vk, shift, mods & Qt::ControlModifier, mods & Qt::AltModifier);
    });
  }
  if (vk == 0x0D) {
    Forward([](MainWindow& w) { w.OnEnter(); });
    return true;  // taken here: the box has no use for it
  }
  // Tab belongs to the command box, not to the focus chain between the boxes.
  return used || vk == 0x09;
}

void QtWindow::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  // The window itself holds the focus only while the box cannot: give it to the box.
  command_->show();
  command_->setFocus();
}

void QtWindow::closeEvent(QCloseEvent* event) {
  // The exit saves and ends the program; the window goes when the loop has ended.
  event->ignore();
  Forward([](MainWindow& w) { w.OnClose(); });
}

void QtWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    Forward([](MainWindow& w) { w.OnMouseDown(MouseButton::kLeft); });
  } else if (event->button() == Qt::MiddleButton) {
    Forward([](MainWindow& w) { w.OnMouseDown(MouseButton::kMiddle); });
  }
}

void QtWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls() || event->mimeData()->hasText()) {
    event->acceptProposedAction();
  }
}

void QtWindow::dropEvent(QDropEvent* event) {
  event->acceptProposedAction();
  OnDrop(event->mimeData());
}

void QtWindow::OnDrop(const QMimeData* mime) {
  DropData data;
  for (const QUrl& url : mime->urls()) {
    if (url.isLocalFile()) data.files.push_back(ToU16(url.toLocalFile()));
  }
  // A file manager offers the file's address as text as well: that is not dropped text.
  if (data.files.empty() && mime->hasText()) data.text = ToU16(mime->text());
  // After the drop has ended: a refusal's message box must not run inside it.
  QTimer::singleShot(
      0, this, [this, data = std::move(data)] { Forward([&](MainWindow& w) { w.OnDrop(data); }); });
}

void QtWindow::paintEvent(QPaintEvent* event) {
  if (!skinned_) {
    QWidget::paintEvent(event);
    return;
  }
  QPainter p(this);
  p.drawPixmap(picture_left_, 0, picture_);
}

void QtWindow::BringToFront() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
  command_->show();
  command_->setFocus();
}

void QtWindow::SetCaption(std::u16string_view caption) {
  setWindowTitle(ToQ(caption));
}

void QtWindow::ShowAnswerText(std::u16string_view text, int16_t) {
  answer_->setText(ToQ(text));
  answer_->setCursorPosition(0);
  Wake();  // its countdown runs on the 100 ms tick
}

void QtWindow::Wake() {
  if (tick_.interval() == kTickMs) return;
  tick_.setInterval(kTickMs);
  tick_.start();
}

void QtWindow::SetAnswerText(std::u16string_view text) {
  answer_->setText(ToQ(text));
  answer_->setCursorPosition(0);
}

std::u16string QtWindow::CommandText() {
  return ToU16(command_->text());
}

void QtWindow::SetCommandText(std::u16string_view text) {
  command_->setText(ToQ(text));
}

size_t QtWindow::CommandCaret() {
  return static_cast<size_t>(std::max(0, command_->cursorPosition()));
}

void QtWindow::PutCommandText(std::u16string_view text, size_t caret) {
  command_->setText(ToQ(text));
  command_->setCursorPosition(static_cast<int>(std::min(caret, text.size())));
}

void QtWindow::ShowWindow() {
  show();
}

void QtWindow::HideWindow() {
  hide();
}

void QtWindow::MinimizeWindow() {
  showMinimized();
}

bool QtWindow::IsWindowVisible() {
  return isVisible();
}

void QtWindow::RestoreWindow() {
  BringToFront();
}

WindowRect QtWindow::NormalRect() {
  const QRect r = frameGeometry();
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void QtWindow::MoveWindowTo(int32_t x, int32_t y) {
  move(x, y);
}

void QtWindow::SetWindowWidth(int32_t pixels) {
  const int frame = frameGeometry().width() - width();
  resize(std::max(pixels - frame, minimumWidth()), height());
}

int32_t QtWindow::TwipsPerPixelX() {
  return twips_per_pixel_;
}

void QtWindow::FocusCommandBox() {
  BringToFront();
}

void QtWindow::PasteClipboardIntoCommandBox() {
  command_->paste();
}

void QtWindow::InsertIntoCommandBox(std::u16string_view text) {
  command_->insert(ToQ(text));
}

bool QtWindow::RegisterHotKey(int32_t, uint32_t modifiers, uint32_t virtual_key) {
  if (portal_ != nullptr) {
    // Asked anew on every change: the desktop answers later, a refusal through PortalRefused.
    portal_refused_ = false;
    portal_->Bind(modifiers, virtual_key);
    return true;
  }
  return keys_ != nullptr && keys_->GrabHotKey(modifiers, virtual_key);
}

void QtWindow::UnregisterHotKey(int32_t) {
  if (portal_ != nullptr) portal_->Unbind();
  if (keys_ != nullptr) keys_->UngrabHotKey();
}

bool QtWindow::HotKeysAvailable() {
  if (portal_ != nullptr) return !portal_refused_;
  return keys_ != nullptr && keys_->Available();
}

bool QtWindow::AddTrayIcon(std::u16string_view tooltip) {
  tooltip_ = ToQ(tooltip);
  if (tray_ == nullptr) {
    tray_ = new QSystemTrayIcon(AppIcon(), this);
    QObject::connect(
        tray_, &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason reason) {
          constexpr uint32_t kLeftButtonDown = 0x0201;
          if (reason != QSystemTrayIcon::Trigger && reason != QSystemTrayIcon::DoubleClick) {
            return;
          }
          Forward([](MainWindow& w) { w.OnTrayCallback(kLeftButtonDown); });
          raise();
          activateWindow();
        });
  }
  tray_->setToolTip(tooltip_);
  // Shown also without a tray host: the icon docks when one starts later.
  tray_->show();
  return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtWindow::SetTrayTooltip(std::u16string_view tooltip) {
  tooltip_ = ToQ(tooltip);
  if (tray_ != nullptr) tray_->setToolTip(tooltip_);
}

void QtWindow::DeleteTrayIcon() {
  if (tray_ != nullptr) tray_->hide();
}

void QtWindow::BeginDrag() {
  if (QWindow* window = windowHandle()) window->startSystemMove();
}

intptr_t QtWindow::NativeHandle() {
  return static_cast<intptr_t>(winId());
}

std::optional<PictureSize> QtWindow::LoadPicture(std::u16string_view path) {
  QImage image(ToQ(path));
  if (image.isNull()) return std::nullopt;
  pending_ = std::move(image);
  return PictureSize{pending_->width(), pending_->height()};
}

void QtWindow::ShowPicture(const SkinLayout& layout) {
  if (!pending_) return;
  if (!skinned_) {
    // From here on the size and the boxes follow the skin only, and answers go to the
    // balloon.
    const bool was_visible = isVisible();
    setWindowFlag(Qt::FramelessWindowHint, true);
    answer_->hide();
    skinned_ = true;
    if (was_visible) show();
  }
  picture_ = QPixmap::fromImage(*pending_);
  const QColor key = pending_->pixelColor(0, 0);
  pending_.reset();
  picture_left_ = layout.picture_left;
  setMinimumWidth(0);
  setFixedSize(layout.width, layout.height);
  command_->setGeometry(layout.box_left, layout.box_top, layout.box_width,
                        command_->sizeHint().height());
  // Every pixel of the top-left colour is cut away (and lets clicks through); the box stays.
  QRegion shape(picture_.createMaskFromColor(key, Qt::MaskInColor));
  shape.translate(picture_left_, 0);
  shape += command_->geometry();
  setMask(shape);
  update();
}

WindowRect QtWindow::OuterRect() {
  return NormalRect();
}

}  // namespace qrx
