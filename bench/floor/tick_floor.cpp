// The floor under the desktop window's idle CPU: a bare Qt window with a one-line box and the
// same 100 ms timer, doing nothing on it. What quorix costs at rest beyond this is its own.
#include <QApplication>
#include <QLineEdit>
#include <QTimer>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setCursorFlashTime(0);
  QLineEdit box;
  box.setWindowTitle(QStringLiteral("tick floor"));
  box.show();
  QTimer tick;
  tick.setInterval(100);
  QObject::connect(&tick, &QTimer::timeout, [] {});
  tick.start();
  return QApplication::exec();
}
