// The SET command: which worker a setting name goes to.
#pragma once

#include <string>
#include <string_view>

namespace qrx {

struct Context;

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

// The "SET" row of the command table: `rest` is everything after the word SET.
void SetEntry(Context& ctx, std::u16string_view rest);

}  // namespace qrx
