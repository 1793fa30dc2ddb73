#include "commands/shell/result_code_answer.h"

#include <string>

#include "base/text.h"
#include "core/context.h"
#include "core/ini_access.h"
#include "interpreter/answer.h"

namespace qrx {

void ShowResultCodeAnswer(Context& ctx, std::u16string_view section, int64_t code) {
  const std::u16string name = Decimal(code);
  // An entry left empty counts as no entry, so a user can turn a code into an error.
  const bool has_entry = !ReadIni(ctx, section, name, u"", ctx.paths.message).empty();
  const std::u16string key = std::u16string(section) + u"_" + (has_entry ? name : u"ERR");
  ShowAnswerWith(ctx, key, has_entry ? ctx.answer.normal_time : ctx.answer.error_time, {name});
}

}  // namespace qrx
