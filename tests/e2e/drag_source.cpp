// A file manager's side of a drop, for the native window's check: a small window that, pressed
// and dragged, offers the files named on its command line as a file manager does (their
// addresses as a URI list, and as text).
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

namespace {

class DragSource : public QWidget {
 public:
  explicit DragSource(QList<QUrl> urls) : urls_(std::move(urls)) {
    setWindowTitle(QStringLiteral("drag source"));
    setFixedSize(120, 120);
  }

 protected:
  void mouseMoveEvent(QMouseEvent* event) override {
    if (!(event->buttons() & Qt::LeftButton) || dragging_) return;
    dragging_ = true;
    auto* drag = new QDrag(this);
    auto* data = new QMimeData;
    data->setUrls(urls_);
    data->setText(urls_.first().toLocalFile());
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction);
    dragging_ = false;
  }

 private:
  QList<QUrl> urls_;
  bool dragging_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QList<QUrl> urls;
  for (int i = 1; i < argc; ++i) urls << QUrl::fromLocalFile(QString::fromLocal8Bit(argv[i]));
  if (urls.isEmpty()) return 2;
  DragSource source(urls);
  source.move(0, 0);
  source.show();
  return QApplication::exec();
}
