// The text boundary: UTF-16 inside the program, the system ANSI code page outside (932 on a
// Japanese system, always 932 on POSIX), and the separator of folders in paths.
#pragma once

#include <string>
#include <string_view>

namespace qrx {

class TextCodec {
 public:
  virtual ~TextCodec() = default;
  // The character that separates folders in paths: '\' on Windows, '/' on POSIX.
  virtual char16_t PathSeparator() const = 0;
  // UTF-16 to the system ANSI code page; characters it cannot hold become '?'.
  virtual std::string ToAnsi(std::u16string_view text) const = 0;
  // System ANSI code page to UTF-16.
  virtual std::u16string FromAnsi(std::string_view bytes) const = 0;
};

}  // namespace qrx
