// Commands on files for command files and aliases: CONV, ECHO, INI and LHA.
#pragma once

#include <string_view>

namespace qrx {

struct Context;

void ConvCommand(Context& ctx, std::u16string_view rest);
void EchoCommand(Context& ctx, std::u16string_view rest);
void IniCommand(Context& ctx, std::u16string_view rest);
void LhaCommand(Context& ctx, std::u16string_view rest);

}  // namespace qrx
