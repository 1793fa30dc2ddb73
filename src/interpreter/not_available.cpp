#include "interpreter/not_available.h"

#include "core/context.h"
#include "interpreter/answer.h"

namespace qrx {

void NotAvailableYet(Context& ctx, const CommandCall& call) {
  ShowAnswer(ctx, std::u16string(call.word) + u" is not available yet", ctx.answer.error_time);
}

void SetNotAvailableYet(Context& ctx, const SetCall& call) {
  ShowAnswer(ctx, u"SET " + std::u16string(call.name) + u" is not available yet",
             ctx.answer.error_time);
}

}  // namespace qrx
