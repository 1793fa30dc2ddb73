#include "interpreter/control_flow.h"

#include "interpreter/answer.h"
#include "interpreter/command_table.h"
#include "interpreter/not_available.h"
#include "interpreter/split.h"
#include "startup/context.h"
#include "startup/path_extras.h"
#include "ui/main_window.h"

namespace qrx {

void UpdateCaption(Context& ctx) {
  if (ctx.main_form == nullptr) return;
  std::u16string caption = ctx.app.product_name + u" Ver" + ctx.app.version + u" [";
  caption += ctx.interp.direct_mode == 1 ? u'D' : u'-';
  caption += ctx.settings.clip_watch == 1 ? u'C' : u'-';
  caption += u']';
  if (ctx.settings.debug == 1) caption += u'*';
  ctx.main_form->SetCaption(caption);
}

void SetDirectMode(Context& ctx, int16_t mode) {
  ctx.interp.direct_mode = mode;
  UpdateCaption(ctx);
  ShowAnswer(ctx, mode == 1 ? u"MODE_DIRECT" : u"MODE_NORMAL", ctx.answer.normal_time);
}

void LbatCommand(Context& ctx, std::u16string_view rest) {
  auto fields = SplitArguments(rest, 1);
  ctx.interp.command_file_arguments = fields[1];
  RunCommandFile(ctx, FixQuotes(fields[0], 0));
}

void RunCommandFile(Context& ctx, std::u16string_view) {
  NotAvailableYet(ctx, CommandArgs{u"LBAT", {}, {}});
}

}  // namespace qrx
