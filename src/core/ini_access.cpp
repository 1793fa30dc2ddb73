#include "core/ini_access.h"

#include <algorithm>
#include <optional>

#include "core/context.h"
#include "core/message_catalogue.h"

namespace qrx {

std::u16string ReadIni(Context& ctx, std::u16string_view section, std::u16string_view key,
                       std::u16string_view def, std::u16string_view file) {
  return ctx.os.ProfileGetString(section, key, def, file);
}

bool WriteIni(Context& ctx, std::u16string_view section, std::u16string_view key,
              std::u16string_view value, std::u16string_view file) {
  const std::optional<std::u16string> stored =
      value.empty() ? std::nullopt : std::optional<std::u16string>(value);
  if (ctx.os.ProfileWriteString(section, key, stored, file)) return true;
  // One box per file and command line: a line that stores several keys in a file that cannot
  // be written would otherwise stack a box for every key.
  std::vector<std::u16string>& shown = ctx.write_failure_boxes;
  if (std::find(shown.begin(), shown.end(), file) == shown.end()) {
    shown.emplace_back(file);
    ctx.ui.MessageBox(BoxText(ctx, u"BOX_WRITE-ERR", file), ctx.app.product_name,
                      mb::kOk | mb::kIconExclamation);
  }
  return false;
}

bool WriteIniText(Context& ctx, std::u16string_view section, std::u16string_view key,
                  std::u16string_view text, std::u16string_view file) {
  if (text.empty()) return WriteIni(ctx, section, key, u"", file);
  return WriteIni(ctx, section, key, u"\"" + std::u16string(text) + u"\"", file);
}

std::vector<std::u16string> GetKeyNames(Context& ctx, std::u16string_view section,
                                        std::u16string_view file) {
  return ctx.os.ProfileKeyNames(section, file);
}

std::vector<std::u16string> GetSectionNames(Context& ctx, std::u16string_view file) {
  return ctx.os.ProfileSectionNames(file);
}

}  // namespace qrx
