#include "interpreter/not_available.h"

#include <string>

#include "core/context.h"
#include "interpreter/answer.h"

namespace qrx {

void NotAvailableYet(Context& ctx, const CommandCall& call) {
  ShowAnswerWith(ctx, u"SYSTEM_NOT-YET", ctx.answer.error_time, {call.word});
}

void SetNotAvailableYet(Context& ctx, const SetCall& call) {
  ShowAnswerWith(ctx, u"SYSTEM_NOT-YET", ctx.answer.error_time,
                 {u"SET " + std::u16string(call.name)});
}

}  // namespace qrx
