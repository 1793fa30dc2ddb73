// The SET command: which worker a setting name goes to.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "core/command_entry.h"

namespace qrx {

enum class SetTarget {
  kLinkSettings,  // LINKIP, LINKPORT, MYPORT
  kLinkList,      // LL
  kSetCommand,    // the settings worker
  kSendText,      // TEXT
  kActiveKey,     // ACTIVEKEY
  kUnknown,       // SET_ERR1
};

struct SetRoute {
  SetTarget target;
  std::u16string word;  // what the worker receives as its word
};

// Routing of a name when the value is not empty (the name as typed).
SetRoute RouteSet(std::u16string_view name);

// The settings group's row of the command table: "SET name value".
std::span<const CommandEntry> SettingsCommands();

}  // namespace qrx
