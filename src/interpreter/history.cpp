#include "interpreter/history.h"

#include "base/text.h"
#include "core/context.h"
#include "core/ini_access.h"

namespace qrx {

void RecordHistory(Context& ctx, std::u16string_view line) {
  auto& e = ctx.history.entries;
  for (size_t i = e.size() - 1; i >= 2; --i) e[i] = std::move(e[i - 1]);
  e[1] = std::u16string(line);
  ctx.history.index = 0;
}

bool SaveHistory(Context& ctx) {
  bool saved = true;
  for (int i = 2; i <= 9; ++i) {
    saved = WriteIniText(ctx, u"SYSTEM", u"HIS" + Decimal(i), ctx.history.entries[i],
                         ctx.paths.config) &&
            saved;
  }
  return saved;
}

void LoadHistory(Context& ctx) {
  for (int i = 2; i <= 9; ++i) {
    ctx.history.entries[i] = ReadIni(ctx, u"SYSTEM", u"HIS" + Decimal(i), u"", ctx.paths.config);
  }
}

}  // namespace qrx
