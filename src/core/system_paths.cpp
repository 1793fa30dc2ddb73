#include "core/system_paths.h"

#include "core/context.h"

namespace qrx {
namespace {

constexpr size_t kSearchBuffer = 255;

}  // namespace

std::u16string FindOnSearchPath(Context& ctx, std::u16string_view name) {
  if (name.empty()) return {};
  std::u16string found = ctx.os.SearchPath(name);
  if (found.size() >= kSearchBuffer) found.clear();
  return found;
}

std::u16string WinSysDir(Platform& platform, std::u16string_view word) {
  constexpr size_t kBufferSize = 260;
  std::u16string dir;
  if (word == u"WIN") {
    dir = platform.WindowsDirectory();
  } else if (word == u"SYS") {
    dir = platform.SystemDirectory();
  } else {
    return {};
  }
  if (const size_t nul = dir.find(u'\0'); nul != std::u16string::npos) dir.resize(nul);
  if (dir.size() >= kBufferSize) return {};
  return dir;
}

}  // namespace qrx
