#include "ui/qt/qt_balloon.h"

#include <QBitmap>
#include <QFile>
#include <QPainter>
#include <QScreen>

#include "ui/main_window.h"
#include "ui/qt/qt_host.h"
#include "ui/qt/qt_text.h"
#include "ui/skinned_layout.h"

namespace qrx {
namespace {

constexpr int kWidth = 222, kHeight = 84;

QPixmap FindPicture(const std::vector<QString>& folders, const QString& name) {
  for (const QString& folder : folders) {
    const QString path = folder + QLatin1Char('/') + name;
    if (QFile::exists(path)) {
      QPixmap picture(path);
      if (!picture.isNull()) return picture;
    }
  }
  return {};
}

}  // namespace

QtBalloon::QtBalloon(QtUiHost& host, QWidget* main, const std::vector<QString>& folders)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus),
      host_(host),
      main_(main),
      right_(FindPicture(folders, QStringLiteral("BALLOON_R.BMP"))),
      left_(FindPicture(folders, QStringLiteral("BALLOON_L.BMP"))),
      text_(new QLabel(this)) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setWindowTitle(QStringLiteral("quorix"));
  setFixedSize(right_.isNull() ? QSize(kWidth, kHeight) : right_.size());
  QFont font;
  font.setPointSize(12);
  font.setBold(true);
  text_->setFont(font);
  text_->setWordWrap(true);
  text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  text_->setGeometry(28, 8, width() - 36, height() - 24);
  // A double click on the text is one on the balloon.
  text_->setAttribute(Qt::WA_TransparentForMouseEvents);
  second_.setInterval(1000);
  follow_.setInterval(100);
  QObject::connect(&second_, &QTimer::timeout,
                   [this] { Forward([](MessageWindow& m) { m.OnSecondTick(); }); });
  QObject::connect(&follow_, &QTimer::timeout,
                   [this] { Forward([](MessageWindow& m) { m.OnFollowTick(); }); });
}

template <typename Work>
void QtBalloon::Forward(Work&& work) {
  if (logic_ == nullptr || logic_->Skin() == nullptr || host_.Ending()) return;
  host_.Guard([&] { work(logic_->Skin()->Messages()); });
}

WindowRect QtBalloon::WorkArea() {
  const QScreen* screen = main_->screen();
  if (screen == nullptr) return {};
  const QRect r = screen->availableGeometry();
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void QtBalloon::SetText(std::u16string_view text, int16_t) {
  text_->setText(ToQ(text));
  // The timers run from the first answer on, as the balloon's own.
  if (!second_.isActive()) second_.start();
  if (!follow_.isActive()) follow_.start();
}

void QtBalloon::Place(const BalloonPlace& place) {
  on_right_ = place.right;
  const QPixmap& picture = on_right_ ? right_ : left_;
  text_->move(place.text_left, text_->y());
  if (!picture.isNull()) {
    const QColor key = picture.toImage().pixelColor(0, 0);
    setMask(QRegion(picture.createMaskFromColor(key, Qt::MaskInColor)));
  }
  move(place.x, place.y);
  raise();
  update();
}

void QtBalloon::Show() {
  show();
  raise();
}

void QtBalloon::Hide(bool) {
  hide();
}

void QtBalloon::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QPixmap& picture = on_right_ ? right_ : left_;
  if (picture.isNull()) {
    p.fillRect(rect(), QColor(0xFF, 0xFF, 0xE0));
    p.setPen(Qt::black);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  } else {
    p.drawPixmap(0, 0, picture);
  }
}

void QtBalloon::mouseDoubleClickEvent(QMouseEvent*) {
  Forward([](MessageWindow& m) { m.OnDoubleClick(); });
}

}  // namespace qrx
