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
  // Only 0 is success: a failure with a text of its own ("file not found") is still an error,
  // for the eye and for the last-result macro.
  ShowAnswerWith(ctx, key, code == 0 ? ctx.answer.normal_time : ctx.answer.error_time, {name});
}

}  // namespace qrx
