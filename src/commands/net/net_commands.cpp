#include "commands/net/net_commands.h"

#include "interpreter/not_available.h"

namespace qrx {
namespace {

constexpr CommandEntry kCommands[] = {
    {{u"LINK"}, NotAvailableYet},
    {{u"WOL"}, NotAvailableYet},
};

}  // namespace

std::span<const CommandEntry> NetCommands() {
  return kCommands;
}

}  // namespace qrx
