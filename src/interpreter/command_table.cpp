#include "interpreter/command_table.h"

#include "commands/calc/rpn.h"
#include "commands/display/display_commands.h"
#include "commands/media/sound_commands.h"
#include "commands/settings/set_routing.h"
#include "commands/shell/exit_commands.h"
#include "commands/shell/search.h"
#include "commands/shell/shell_commands.h"
#include "commands/shell/text_commands.h"
#include "interpreter/aliases.h"
#include "interpreter/control_flow.h"
#include "interpreter/not_available.h"

namespace qrx {
namespace {

using A = ArgKind;
using Args = CommandArgs;

// Adapters from the table's uniform call to each handler's own arguments.
void DoNothing(Context&, const Args&) {}
void Window(Context& c, const Args& a) {
  WindowWord(c, a.first);
}
void Ans(Context& c, const Args& a) {
  AnsCommand(c, a.first);
}
void Write(Context& c, const Args&) {
  WriteCommand(c);
}
void Mbox(Context& c, const Args& a) {
  MboxCommand(c, a.first);
}
void Shell(Context& c, const Args& a) {
  RunShellCommand(c, a.first, a.second);
}
void Exit(Context& c, const Args& a) {
  ExitProgram(c, a.first);
}
void WindowsExit(Context& c, const Args& a) {
  RunWindowsExit(c, a.first);
}
void Which(Context& c, const Args& a) {
  WhichCommand(c, a.first);
}
void Search(Context& c, const Args& a) {
  SearchCommand(c, a.first);
}
void Ini(Context& c, const Args& a) {
  IniCommand(c, a.first);
}
void Lha(Context& c, const Args& a) {
  LhaCommand(c, a.first);
}
void Echo(Context& c, const Args& a) {
  EchoCommand(c, a.first);
}
void Conv(Context& c, const Args& a) {
  ConvCommand(c, a.first);
}
void Sound(Context& c, const Args& a) {
  SoundCommand(c, a.first, a.second);
}
void Lbat(Context& c, const Args& a) {
  LbatCommand(c, a.first);
}
void Direct(Context& c, const Args&) {
  SetDirectMode(c, 1);
}
void Normal(Context& c, const Args&) {
  SetDirectMode(c, 0);
}
void Wait(Context& c, const Args& a) {
  RunWait(c, a.first);
}
void If(Context& c, const Args& a) {
  RunIf(c, a.first);
}
void Alias(Context& c, const Args& a) {
  RunAliasCommand(c, a.first);
}
void Ver(Context& c, const Args&) {
  VerCommand(c);
}
void Skin(Context& c, const Args& a) {
  SkinCommand(c, a.first);
}
void Calc(Context& c, const Args& a) {
  CalcRpnCommand(c, a.first);
}
void Set(Context& c, const Args& a) {
  SetEntry(c, a.first);
}

// The order is the order of testing: the first row with the word wins.
constexpr CommandEntry kCommands[] = {
    {{u"CLS"}, A::kWord, {}, Window},
    {{u"ANS"}, A::kRest, {}, Ans},
    {{u"WRITE"}, A::kNone, {}, Write},
    {{u"MBOX"}, A::kRest, {}, Mbox},
    {{u"KABE"}, A::kRest, {}, NotAvailableYet},
    {{u"SS"}, A::kRest, {}, NotAvailableYet},
    {{u"SMALL"}, A::kWord, {}, Window},
    {{u"HIDE"}, A::kWord, {}, Window},
    {{u"SHOW"}, A::kWord, {}, Window},
    {{u"SKIN"}, A::kRest, {}, Skin},
    {{u"COPY", u"MOVE", u"RENAME", u"DEL", u"MD", u"CD", u"CHDRIVE"},
     A::kLine,
     {},
     NotAvailableYet},
    {{u"SH"}, A::kWordAndRest, {}, Shell},
    {{u"PROPERTY"}, A::kRest, {}, NotAvailableYet},
    {{u".", u"EXIT"}, A::kRest, {}, Exit},
    {{u".R"}, A::kWordAndEmpty, {}, Shell},
    {{u"RESET", u"SHUTDOWN", u"LOGOFF", u"EWE"}, A::kLine, {}, WindowsExit},
    {{u"WHICH"}, A::kRest, {}, Which},
    {{u"SEARCH"}, A::kRest, {}, Search},
    {{u"INI"}, A::kRest, {}, Ini},
    {{u"LHA"}, A::kRest, {}, Lha},
    {{u"ECHO"}, A::kRest, {}, Echo},
    {{u"CONV"}, A::kRest, {}, Conv},
    {{u"LINK"}, A::kRest, {}, NotAvailableYet},
    {{u"WOL"}, A::kRest, {}, NotAvailableYet},
    {{u"BEEP"}, A::kFixedAndEmpty, u"BEEP", Sound},
    {{u"CDDA"}, A::kFixedAndRest, u"CDDA", Sound},
    {{u"WAVEPLAY"}, A::kFixedAndRest, u"WAVE", Sound},
    {{u"MCI"}, A::kRest, {}, NotAvailableYet},
    {{u"REM", u";"}, A::kNone, {}, DoNothing},
    {{u"LBAT"}, A::kRest, {}, Lbat},
    {{u"/DIRECT", u"/D"}, A::kNone, {}, Direct},
    {{u"/NORMAL", u"/N"}, A::kNone, {}, Normal},
    {{u"WAIT"}, A::kRest, {}, Wait},
    {{u"IF"}, A::kRest, {}, If},
    {{u"ALIAS"}, A::kRest, {}, Alias},
    {{u"VER"}, A::kNone, {}, Ver},
    {{u"CALCRPN"}, A::kRest, {}, Calc},
    {{u"SET"}, A::kRest, {}, Set},
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
