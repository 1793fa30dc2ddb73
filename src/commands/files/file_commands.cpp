#include "commands/files/file_commands.h"

#include "interpreter/not_available.h"

namespace qrx {
namespace {

// clang-format off
constexpr CommandEntry kCommands[] = {
    {{u"COPY", u"MOVE", u"RENAME", u"DEL", u"MD", u"CD", u"CHDRIVE"}, NotAvailableYet},
    {{u"PROPERTY"}, NotAvailableYet},
};
// clang-format on

}  // namespace

std::span<const CommandEntry> FileCommands() {
  return kCommands;
}

}  // namespace qrx
