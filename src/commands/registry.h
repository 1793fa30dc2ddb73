// The whole command table, put together from the rows of every command group.
#pragma once

#include <vector>

#include "core/command_entry.h"

namespace qrx {

// Every group's rows, groups in the order in which their first row stands in the documented
// table. No word stands in two rows, so this order never decides which row a word finds.
std::vector<CommandEntry> CommandTable();

}  // namespace qrx
