// CALCRPN: the reverse-Polish calculator.
#pragma once

#include <string_view>

namespace qrx {

struct Context;

void CalcRpnCommand(Context& ctx, std::u16string_view rest);

}  // namespace qrx
