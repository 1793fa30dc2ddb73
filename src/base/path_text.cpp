#include "base/path_text.h"

namespace qrx {

std::u16string FixQuotes(std::u16string_view text, int mode) {
  std::u16string out(text);
  if (mode == 1) {
    if (!out.empty() && out.front() == u'"' && out.back() != u'"') out.push_back(u'"');
    if (!out.empty() && out.back() == u'"' && out.front() != u'"') out.insert(out.begin(), u'"');
    return out;
  }
  if (!out.empty() && out.front() == u'"') out.erase(0, 1);
  if (!out.empty() && out.back() == u'"') out.pop_back();
  return out;
}

PathParts SplitPath(std::u16string_view path, char16_t sep) {
  const size_t cut = path.rfind(sep);
  if (cut == std::u16string_view::npos) return {u"", FixQuotes(path, 0)};
  return {FixQuotes(path.substr(0, cut), 0), FixQuotes(path.substr(cut + 1), 0)};
}

std::u16string DirPart(std::u16string_view path, char16_t sep) {
  const size_t cut = path.rfind(sep);
  if (cut == std::u16string_view::npos) return {};
  return FixQuotes(path.substr(0, cut), 0);
}

std::u16string CutExtension(std::u16string_view path) {
  const size_t cut = path.rfind(u'.');
  if (cut == std::u16string_view::npos) return std::u16string(path);
  return FixQuotes(path.substr(0, cut), 0);
}

std::u16string AddBackslash(std::u16string_view dir, char16_t sep) {
  std::u16string out(dir);
  if (out.empty() || out.back() != sep) out.push_back(sep);
  return out;
}

}  // namespace qrx
