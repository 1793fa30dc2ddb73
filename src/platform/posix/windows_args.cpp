#include "platform/posix/windows_args.h"

namespace qrx::posix {

std::vector<std::u16string> SplitWindowsArguments(std::u16string_view text) {
  std::vector<std::u16string> args;
  std::u16string current;
  bool in_argument = false;  // an argument has begun, even if it is still empty
  bool quoted = false;
  size_t i = 0;
  while (i < text.size()) {
    const char16_t c = text[i];
    if (!quoted && (c == u' ' || c == u'\t')) {
      if (in_argument) args.push_back(std::move(current));
      current.clear();
      in_argument = false;
      ++i;
      continue;
    }
    in_argument = true;
    if (c == u'\\') {
      size_t run = 0;
      while (i < text.size() && text[i] == u'\\') {
        ++run;
        ++i;
      }
      if (i < text.size() && text[i] == u'"') {
        current.append(run / 2, u'\\');
        if (run % 2 == 1) {
          current.push_back(u'"');
          ++i;
        }
        // An even run leaves the quote to the next round, where it opens or closes.
      } else {
        current.append(run, u'\\');
      }
      continue;
    }
    if (c == u'"') {
      if (quoted && i + 1 < text.size() && text[i + 1] == u'"') {
        current.push_back(u'"');
        i += 2;
        continue;
      }
      quoted = !quoted;
      ++i;
      continue;
    }
    current.push_back(c);
    ++i;
  }
  if (in_argument) args.push_back(std::move(current));
  return args;
}

}  // namespace qrx::posix
