// Text between the program's UTF-16 and the toolkit's.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace qrx {

inline QString ToQ(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::u16string ToU16(const QString& text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                        static_cast<size_t>(text.size()));
}

}  // namespace qrx
