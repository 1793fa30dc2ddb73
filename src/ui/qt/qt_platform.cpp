#include "ui/qt/qt_platform.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "ui/qt/global_keys.h"
#include "ui/qt/qt_text.h"

namespace qrx {

QtDesktopPlatform::QtDesktopPlatform() {
  QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged,
                   [this] { changed_ = true; });
}

std::optional<std::u16string> QtDesktopPlatform::GetClipboardText() {
  if (changed_) {
    changed_ = false;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data != nullptr && data->hasText()) {
      text_ = ToU16(data->text());
    } else {
      text_.reset();
    }
  }
  return text_;
}

bool QtDesktopPlatform::SetClipboardText(std::u16string_view text) {
  QGuiApplication::clipboard()->setText(ToQ(text));
  changed_ = true;
  return true;
}

int16_t QtDesktopPlatform::AsyncKeyState(int32_t virtual_key) {
  return keys_ != nullptr ? keys_->KeyState(virtual_key) : 0;
}

}  // namespace qrx
