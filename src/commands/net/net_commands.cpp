#include "commands/net/net_commands.h"

#include "interpreter/not_available.h"

namespace qrx {
namespace {

// clang-format off
constexpr CommandEntry kCommands[] = {
    {{u"LINK"}, NotAvailableYet},
    {{u"WOL"}, NotAvailableYet},
};
// clang-format on

}  // namespace

std::span<const CommandEntry> NetCommands() {
  return kCommands;
}

}  // namespace qrx
