// The message balloon of the skinned window: frameless, always on top, never takes the
// focus, drawn with the balloon picture of its side (its top-left colour cut away) and the
// answer text on it. The pictures are looked up in the given folders; without them it is a
// plain box.
#pragma once

#include <QLabel>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <string>
#include <vector>

#include "ui/skin_surfaces.h"

namespace qrx {

class MainWindow;
class QtUiHost;

class QtBalloon : public QWidget, public BalloonSurface {
 public:
  QtBalloon(QtUiHost& host, QWidget* main, const std::vector<QString>& folders);

  // The logic that the balloon's timers and clicks go to.
  void Attach(MainWindow* logic) { logic_ = logic; }

  int32_t Width() override { return width(); }
  WindowRect WorkArea() override;
  void SetText(std::u16string_view text, int16_t time) override;
  void Place(const BalloonPlace& place) override;
  void Show() override;
  void Hide(bool by_answer) override;
  bool IsVisible() override { return isVisible(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  template <typename Work>
  void Forward(Work&& work);

  QtUiHost& host_;
  QWidget* main_;
  MainWindow* logic_ = nullptr;
  QPixmap right_;
  QPixmap left_;
  bool on_right_ = true;
  QLabel* text_;
  QTimer second_;
  QTimer follow_;
};

}  // namespace qrx
