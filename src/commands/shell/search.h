// Finding files: on the system's search path, and by pattern in one folder.
#pragma once

#include <string>
#include <string_view>

#include "core/command_entry.h"

namespace qrx {

// folder + the name of the first ordinary file in the folder that matches the pattern, or
// empty. An empty folder is the root of the current drive.
std::u16string FindFileInDirectory(Context& ctx, std::u16string_view folder,
                                   std::u16string_view pattern);

// "WHICH name" and "SEARCH folder\pattern": show the path found, or "SEARCH_ERR".
void WhichCommand(Context& ctx, const CommandCall& call);
void SearchCommand(Context& ctx, const CommandCall& call);

}  // namespace qrx
