#include "interpreter/command_table.h"

#include "commands/display/display_commands.h"
#include "commands/media/sound_commands.h"
#include "commands/shell/exit_commands.h"
#include "commands/shell/search.h"
#include "interpreter/control_flow.h"
#include "interpreter/not_available.h"
#include "interpreter/set_routing.h"

namespace qrx {
namespace {

using A = ArgKind;

void DoNothing(Context&, const CommandArgs&) {}

void Sound(Context& c, const CommandArgs& a) {
  SoundCommand(c, a.first, a.second);
}

// The order is the order of testing: the first row with the word wins.
constexpr CommandEntry kCommands[] = {
    {{u"CLS"}, A::kWord, {}, [](Context& c, const CommandArgs& a) { WindowWord(c, a.first); }},
    {{u"ANS"}, A::kRest, {}, [](Context& c, const CommandArgs& a) { AnsCommand(c, a.first); }},
    {{u"WRITE"}, A::kNone, {}, NotAvailableYet},
    {{u"MBOX"}, A::kRest, {}, [](Context& c, const CommandArgs& a) { MboxCommand(c, a.first); }},
    {{u"KABE"}, A::kRest, {}, NotAvailableYet},
    {{u"SS"}, A::kRest, {}, NotAvailableYet},
    {{u"SMALL"}, A::kWord, {}, [](Context& c, const CommandArgs& a) { WindowWord(c, a.first); }},
    {{u"HIDE"}, A::kWord, {}, [](Context& c, const CommandArgs& a) { WindowWord(c, a.first); }},
    {{u"SHOW"}, A::kWord, {}, [](Context& c, const CommandArgs& a) { WindowWord(c, a.first); }},
    {{u"SKIN"}, A::kRest, {}, NotAvailableYet},
    {{u"COPY", u"MOVE", u"RENAME", u"DEL", u"MD", u"CD", u"CHDRIVE"},
     A::kLine,
     {},
     NotAvailableYet},
    {{u"SH"}, A::kWordAndRest, {}, NotAvailableYet},
    {{u"PROPERTY"}, A::kRest, {}, NotAvailableYet},
    {{u".", u"EXIT"},
     A::kRest,
     {},
     [](Context& c, const CommandArgs& a) { ExitProgram(c, a.first); }},
    {{u".R"}, A::kWordAndEmpty, {}, NotAvailableYet},
    {{u"RESET", u"SHUTDOWN", u"LOGOFF", u"EWE"}, A::kLine, {}, NotAvailableYet},
    {{u"WHICH"}, A::kRest, {}, [](Context& c, const CommandArgs& a) { WhichCommand(c, a.first); }},
    {{u"SEARCH"},
     A::kRest,
     {},
     [](Context& c, const CommandArgs& a) { SearchCommand(c, a.first); }},
    {{u"INI"}, A::kRest, {}, NotAvailableYet},
    {{u"LHA"}, A::kRest, {}, NotAvailableYet},
    {{u"ECHO"}, A::kRest, {}, NotAvailableYet},
    {{u"CONV"}, A::kRest, {}, NotAvailableYet},
    {{u"LINK"}, A::kRest, {}, NotAvailableYet},
    {{u"WOL"}, A::kRest, {}, NotAvailableYet},
    {{u"BEEP"}, A::kFixedAndEmpty, u"BEEP", Sound},
    {{u"CDDA"}, A::kFixedAndRest, u"CDDA", Sound},
    {{u"WAVEPLAY"}, A::kFixedAndRest, u"WAVE", Sound},
    {{u"MCI"}, A::kRest, {}, NotAvailableYet},
    {{u"REM", u";"}, A::kNone, {}, DoNothing},
    {{u"LBAT"}, A::kRest, {}, [](Context& c, const CommandArgs& a) { LbatCommand(c, a.first); }},
    {{u"/DIRECT", u"/D"},
     A::kNone,
     {},
     [](Context& c, const CommandArgs&) { SetDirectMode(c, 1); }},
    {{u"/NORMAL", u"/N"},
     A::kNone,
     {},
     [](Context& c, const CommandArgs&) { SetDirectMode(c, 0); }},
    {{u"WAIT"}, A::kRest, {}, NotAvailableYet},
    {{u"IF"}, A::kRest, {}, NotAvailableYet},
    {{u"ALIAS"}, A::kRest, {}, NotAvailableYet},
    {{u"VER"}, A::kNone, {}, [](Context& c, const CommandArgs&) { VerCommand(c); }},
    {{u"CALCRPN"}, A::kRest, {}, NotAvailableYet},
    {{u"SET"}, A::kRest, {}, [](Context& c, const CommandArgs& a) { SetEntry(c, a.first); }},
};

}  // namespace

std::span<const CommandEntry> CommandTable() {
  return kCommands;
}

const CommandEntry* FindCommand(std::u16string_view upper_word) {
  for (const auto& entry : kCommands) {
    for (auto w : entry.words) {
      if (w.empty()) break;
      if (w == upper_word) return &entry;
    }
  }
  return nullptr;
}

CommandArgs ArgumentsFor(const CommandEntry& entry, std::u16string_view upper_word,
                         std::u16string_view rest, std::u16string_view line) {
  switch (entry.kind) {
    case A::kNone:
      return {upper_word, {}, {}};
    case A::kRest:
      return {upper_word, rest, {}};
    case A::kLine:
      return {upper_word, line, {}};
    case A::kWord:
      return {upper_word, upper_word, {}};
    case A::kWordAndRest:
      return {upper_word, upper_word, rest};
    case A::kWordAndEmpty:
      return {upper_word, upper_word, {}};
    case A::kFixedAndRest:
      return {upper_word, entry.fixed, rest};
    case A::kFixedAndEmpty:
      return {upper_word, entry.fixed, {}};
  }
  return {upper_word, {}, {}};
}

}  // namespace qrx
