#include "commands/media/cd_audio.h"

#include <cmath>
#include <limits>
#include <optional>
#include <string_view>

#include "base/text.h"
#include "base/to_integer.h"
#include "core/context.h"
#include "core/message_catalogue.h"
#include "interpreter/answer.h"
#include "interpreter/expand.h"
#include "interpreter/split.h"

namespace qrx {
namespace {

constexpr char16_t kCdAlias[] = u"CDDA";
// The answer of a repeat the device's numbers do not allow: an error, shown as one.
constexpr std::u16string_view kRepeatRefused = u"CDDA_RP-ERR";
constexpr char16_t kMilliseconds[] = u"SET CDDA TIME FORMAT MILLISECONDS";
constexpr char16_t kMsf[] = u"SET CDDA TIME FORMAT MSF";

int32_t Send(Context& ctx, std::u16string_view command) {
  std::u16string ignored;
  return SendMci(ctx, command, ignored);
}

// A device's number text as a 32-bit integer, or nothing when it is none.
std::optional<int64_t> Int32Of(std::u16string_view text) {
  const std::optional<double> value = ParseNumericText(text);
  if (!value) return std::nullopt;
  const double rounded = RoundHalfEven(*value);
  if (rounded < std::numeric_limits<int32_t>::min() ||
      rounded > std::numeric_limits<int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<int64_t>(rounded);
}

// OPEN, PLAY, STOP and CLOSE: their own answer, or what the device said went wrong.
void SendAndAnswer(Context& ctx, std::u16string_view command, std::u16string_view key) {
  std::u16string out;
  if (SendMci(ctx, command, out) == 0) {
    ShowAnswer(ctx, key, ctx.answer.normal_time);
  } else {
    ShowAnswer(ctx, out, ctx.answer.error_time);
  }
}

}  // namespace

int32_t SendMci(Context& ctx, std::u16string_view command, std::u16string& out) {
  if (command.empty()) {
    out = CatalogueText(ctx, u"MCI_EMPTY");
    return -1;
  }
  std::u16string reply;
  const uint32_t code = ctx.os.MciSendString(command, reply);
  if (code == 0) {
    out = TrimAtNul(reply);
    return 0;
  }
  const std::optional<std::u16string> description = ctx.os.MciErrorString(code);
  out = description ? TrimAtNul(*description) : CatalogueText(ctx, u"MCI_UNKNOWN");
  return static_cast<int32_t>(code);
}

void CddaCommand(Context& ctx, const CommandCall& call) {
  const std::u16string_view text = call.rest;
  if (text.empty()) {
    ShowAnswer(ctx, u"CDDA_ERR", ctx.answer.error_time);
    return;
  }
  if (!ctx.os.HasMci()) {
    ShowAnswerWith(ctx, u"CDDA_NONE", ctx.answer.error_time, {text});
    return;
  }
  const auto fields = SplitArguments(text, 1);
  const std::u16string sub = UpperCase(fields[0]);
  const std::u16string& rest = fields[1];
  if (!rest.empty() && sub == u"RP") {
    // #A also for a failure: "CDDA_RP-ERR" names the track.
    const std::u16string failure = CdRepeatTrack(ctx, ToInteger(rest));
    const bool refused = failure == kRepeatRefused;
    ShowAnswerWith(ctx, failure.empty() ? u"CDDA_RP" : failure,
                   refused ? ctx.answer.error_time : ctx.answer.normal_time, {rest});
  } else if (rest.empty() && sub == u"OPEN") {
    ctx.cd.alias = kCdAlias;
    SendAndAnswer(ctx, u"OPEN CDAUDIO ALIAS CDDA", u"CDDA_OPEN");
  } else if (rest.empty() && sub == u"PLAY") {
    SendAndAnswer(ctx, u"PLAY CDDA", u"CDDA_PLAY");
  } else if (rest.empty() && sub == u"STOP") {
    ctx.cd.repeat = 0;
    SendAndAnswer(ctx, u"STOP CDDA", u"CDDA_STOP");
  } else if (rest.empty() && sub == u"CLOSE") {
    SendAndAnswer(ctx, u"CLOSE CDDA", u"CDDA_CLOSE");
  } else {
    std::u16string out;
    SendMci(ctx, text, out);
    ShowAnswer(ctx, out, ctx.answer.normal_time);
  }
}

void MciCommand(Context& ctx, const CommandCall& call) {
  const std::u16string_view text = call.rest;
  if (!text.empty() && !ctx.os.HasMci()) {
    ShowAnswerWith(ctx, u"MCI_NONE", ctx.answer.error_time, {text});
    return;
  }
  std::u16string out;
  const int32_t code = SendMci(ctx, text, out);
  if (code != 0) {
    ShowAnswerWith(ctx, u"MCI_ERR", ctx.answer.error_time, {out, Decimal(code)});
  } else {
    ShowAnswerWith(ctx, u"MCI_OK", ctx.answer.normal_time, {out, Decimal(code)});
  }
}

std::u16string CdRepeatTrack(Context& ctx, int16_t track) {
  if (track == 0) {
    Send(ctx, u"STOP CDDA");
    ctx.cd.repeat = 0;
    return {};
  }
  const std::u16string number = Decimal(track);
  Send(ctx, kMilliseconds);
  std::u16string position;
  if (SendMci(ctx, u"STATUS CDDA POSITION TRACK " + number, position) != 0) return position;
  std::u16string length;
  if (SendMci(ctx, u"STATUS CDDA LENGTH TRACK " + number, length) != 0) {
    Send(ctx, kMsf);
    return length;
  }
  const std::optional<int64_t> start = Int32Of(position);
  const std::optional<int64_t> span = Int32Of(length);
  if (!start || !span || *start + *span > std::numeric_limits<int32_t>::max() ||
      *start + *span < std::numeric_limits<int32_t>::min()) {
    // Nothing to play from: leave the device as it was and the repeat as it is.
    Send(ctx, kMsf);
    return std::u16string(kRepeatRefused);
  }
  ctx.cd.repeat_play = u"PLAY CDDA FROM " + position + u" TO " + Decimal(*start + *span);
  Send(ctx, ctx.cd.repeat_play);
  Send(ctx, kMsf);
  ctx.cd.repeat = 1;
  return {};
}

void CdPoll(Context& ctx) {
  // Only the device's own answer counts: an error description is never a mode.
  const int32_t code = SendMci(ctx, u"STATUS " + ctx.cd.alias + u" MODE", ctx.cd.mode);
  if (code != 0 || ctx.cd.mode != u"stopped" || ctx.cd.alias != kCdAlias) return;
  Send(ctx, kMilliseconds);
  Send(ctx, ctx.cd.repeat_play);
  Send(ctx, kMsf);
}

}  // namespace qrx
