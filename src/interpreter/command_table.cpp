#include "interpreter/command_table.h"

#include "interpreter/aliases.h"
#include "interpreter/control_flow.h"

namespace qrx {
namespace {

void RemCommand(Context&, const CommandCall&) {}

// clang-format off
constexpr CommandEntry kCommands[] = {
    {{u"REM", u";"}, RemCommand},
    {{u"LBAT"}, LbatCommand},
    {{u"/DIRECT", u"/D"}, DirectCommand},
    {{u"/NORMAL", u"/N"}, NormalCommand},
    {{u"WAIT"}, WaitCommand},
    {{u"IF"}, IfCommand},
    {{u"ALIAS"}, AliasCommand},
};
// clang-format on

}  // namespace

const CommandEntry* FindCommand(std::span<const CommandEntry> table,
                                std::u16string_view upper_word) {
  for (const auto& entry : table) {
    for (auto w : entry.words) {
      if (w.empty()) break;
      if (w == upper_word) return &entry;
    }
  }
  return nullptr;
}

std::span<const CommandEntry> InterpreterCommands() {
  return kCommands;
}

}  // namespace qrx
