#include "core/message_catalogue.h"

#include "core/context.h"
#include "core/ini_access.h"

namespace qrx {

void MakeMessageFile(Context& ctx) {
  if (ctx.os.FileExists(ctx.paths.message)) return;
  ctx.os.CopyFile(ctx.paths.default_messages, ctx.paths.message);
}

void MergeMessages(Context& ctx, std::u16string_view catalogue) {
  const std::u16string& defaults = ctx.paths.default_messages;
  for (const auto& section : GetSectionNames(ctx, defaults)) {
    for (const auto& key : GetKeyNames(ctx, section, defaults)) {
      if (!ReadIni(ctx, section, key, u"", catalogue).empty()) continue;
      WriteIni(ctx, section, key, ReadIni(ctx, section, key, u"", defaults), catalogue);
    }
  }
}

}  // namespace qrx
