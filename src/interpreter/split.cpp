#include "interpreter/split.h"

namespace qrx {

std::vector<std::u16string> SplitArguments(std::u16string_view text, int16_t n) {
  const size_t last = n > 0 ? static_cast<size_t>(n) : 0;
  std::vector<std::u16string> fields(last + 1);

  // A field before the last is always one contiguous run of the text (quotes are kept), so
  // it is copied once when its separator is found rather than grown character by character.
  size_t field = 0;
  size_t start = 0;
  size_t pos = 0;
  bool quoted = false;
  const size_t size = text.size();
  while (field < last && pos < size) {
    const char16_t c = text[pos];
    if (c == u'"') {
      quoted = !quoted;
    } else if (c == u' ' && !quoted) {
      fields[field].assign(text.substr(start, pos - start));
      ++field;
      start = pos + 1;
    }
    ++pos;
  }
  // Either the text ran out before field n, and the current field keeps what it gathered, or
  // field n was reached and takes the remainder as it is.
  fields[field].assign(text.substr(start));
  return fields;
}

}  // namespace qrx
