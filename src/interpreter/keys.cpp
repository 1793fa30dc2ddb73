#include "interpreter/keys.h"

#include "base/text.h"
#include "commands/settings/to_integer.h"
#include "startup/context.h"
#include "startup/ini_access.h"

namespace qrx {

void LoadFunctionKeys(Context& ctx) {
  for (int k = 1; k <= 15; ++k) {
    const std::u16string key = (k < 10 ? u"F0" : u"F") + Decimal(k);
    ctx.keys.function_keys[k - 1] = ReadIni(ctx, u"FNC", key, u"", ctx.paths.config);
  }
  ctx.keys.function_key_modifiers = ToInteger(ReadIni(ctx, u"SET", u"FPU", u"6", ctx.paths.config));
}

}  // namespace qrx
