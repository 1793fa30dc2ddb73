#include "ui/qt/qt_host.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>

#include "ui/main_window.h"
#include "ui/qt/qt_text.h"

namespace qrx {
namespace {

// The popup box: closes when clicked, never takes the focus.
class PopupLabel : public QLabel {
 public:
  using QLabel::QLabel;

 protected:
  void mousePressEvent(QMouseEvent*) override { close(); }
};

QFont PopupFont() {
  QFont font;
  font.setPointSizeF(15.75);
  font.setBold(true);
  return font;
}

QString BoxText(std::u16string_view text) {
  QString q = ToQ(text);
  q.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  q.replace(QChar(u'\r'), QChar(u'\n'));
  return q;
}

}  // namespace

QtUiHost::QtUiHost() = default;
QtUiHost::~QtUiHost() {
  for (auto& [id, box] : boxes_) delete box.data();
}

int QtUiHost::MessageBox(std::u16string_view text, std::u16string_view title, uint32_t style) {
  ThrowIfEnding();
  QMessageBox box(owner_);
  box.setWindowTitle(ToQ(title));
  box.setText(BoxText(text));
  switch (style & 0xF0) {
    case 0x10:
      box.setIcon(QMessageBox::Critical);
      break;
    case mb::kIconQuestion:
      box.setIcon(QMessageBox::Question);
      break;
    case mb::kIconExclamation:
      box.setIcon(QMessageBox::Warning);
      break;
    case mb::kIconInformation:
      box.setIcon(QMessageBox::Information);
      break;
    default:
      break;
  }
  // The buttons and what the Windows box returns for them.
  std::map<QAbstractButton*, int> results;
  auto add = [&](QMessageBox::StandardButton button, int result) {
    results[box.addButton(button)] = result;
  };
  switch (style & 0xF) {
    case mb::kYesNo:
      add(QMessageBox::Yes, mb::kIdYes);
      add(QMessageBox::No, mb::kIdNo);
      break;
    case mb::kYesNoCancel:
      add(QMessageBox::Yes, mb::kIdYes);
      add(QMessageBox::No, mb::kIdNo);
      add(QMessageBox::Cancel, mb::kIdCancel);
      break;
    case mb::kYesAllNoCancel:
      add(QMessageBox::Yes, mb::kIdYes);
      add(QMessageBox::YesToAll, mb::kIdYesToAll);
      add(QMessageBox::No, mb::kIdNo);
      add(QMessageBox::Cancel, mb::kIdCancel);
      break;
    case 0x1:  // OK, cancel
      add(QMessageBox::Ok, 1);
      add(QMessageBox::Cancel, mb::kIdCancel);
      break;
    default:
      add(QMessageBox::Ok, 1);
      break;
  }
  box.exec();
  // The box's own loop ends early when the program is closed while it is open.
  ThrowIfEnding();
  const auto chosen = results.find(box.clickedButton());
  if (chosen != results.end()) return chosen->second;
  // Closed with Esc or the frame: the way out the box offers.
  return (style & 0xF) == mb::kYesNo ? mb::kIdNo : (style & 0xF) == 0 ? 1 : mb::kIdCancel;
}

std::optional<std::u16string> QtUiHost::InputBox(std::u16string_view prompt,
                                                 std::u16string_view title,
                                                 std::u16string_view initial) {
  ThrowIfEnding();
  bool ok = false;
  const QString typed = QInputDialog::getText(owner_, ToQ(title), BoxText(prompt),
                                              QLineEdit::Normal, ToQ(initial), &ok);
  ThrowIfEnding();
  if (!ok) return std::nullopt;
  return ToU16(typed);
}

void QtUiHost::PumpEvents(uint32_t max_wait_ms) {
  ThrowIfEnding();
  // A timer of our own ends the wait at the deadline when nothing else comes first.
  QTimer wake;
  wake.setSingleShot(true);
  wake.start(static_cast<int>(std::min<uint32_t>(max_wait_ms, 0x7FFFFFFF)));
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  ThrowIfEnding();
}

void QtUiHost::ShowPopup(std::u16string_view text, int16_t time) {
  if (popups_ != nullptr) popups_->Show(text, time);
}

void QtUiHost::Quit() {
  if (!ending_) QCoreApplication::exit(0);
  ending_ = true;
}

void QtUiHost::WatchSocket(UdpSocket& socket) {
  socket_ = std::make_unique<QSocketNotifier>(static_cast<qintptr>(socket.NativeHandle()),
                                              QSocketNotifier::Read);
  QObject::connect(socket_.get(), &QSocketNotifier::activated, [this] {
    // Until the next tick: what this share leaves waits in the socket's buffer rather than
    // waking the loop again at once.
    socket_->setEnabled(false);
    if (window_ != nullptr) Guard([&] { window_->OnSocketReadable(); });
  });
}

void QtUiHost::ResumeSocket() {
  if (socket_ != nullptr && !socket_->isEnabled()) socket_->setEnabled(true);
}

PopupSurface::Size QtUiHost::MeasureBox(std::u16string_view text) {
  const QSize size = QFontMetrics(PopupFont()).size(0, BoxText(text));
  return {size.width() + 8, size.height() + 8};
}

PopupSurface::Size QtUiHost::ScreenSize() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return {};
  return {screen->geometry().width(), screen->geometry().height()};
}

int32_t QtUiHost::OpenBox(std::u16string_view text, const PopupLook& look, int32_t x, int32_t y) {
  auto* box = new PopupLabel(BoxText(text));
  box->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                      Qt::WindowDoesNotAcceptFocus);
  box->setAttribute(Qt::WA_ShowWithoutActivating);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowTitle(QStringLiteral("quorix"));
  box->setFont(PopupFont());
  box->setMargin(4);
  box->setAutoFillBackground(true);
  QPalette palette = box->palette();
  palette.setColor(QPalette::Window, QColor(look.red, look.green, look.blue));
  palette.setColor(QPalette::WindowText, look.white_text ? Qt::white : Qt::black);
  box->setPalette(palette);
  box->adjustSize();
  box->move(x, y);
  box->show();
  const int32_t id = next_box_++;
  boxes_[id] = box;
  // Forget boxes that are gone.
  std::erase_if(boxes_, [](const auto& entry) { return entry.second.isNull(); });
  return id;
}

void QtUiHost::CloseAfter(int32_t id, int32_t ms) {
  const auto found = boxes_.find(id);
  if (found == boxes_.end() || found->second.isNull()) return;
  QPointer<QWidget> box = found->second;
  QTimer::singleShot(ms, box.data(), [box] {
    if (!box.isNull()) box->close();
  });
}

}  // namespace qrx
