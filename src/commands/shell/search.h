// Finding files: on the system's search path, and by pattern in one folder.
#pragma once

#include <string>
#include <string_view>

namespace qrx {

struct Context;

// The full path under which the system's search order finds the name, or empty. A path
// longer than 254 characters counts as not found, as it would not fit the search buffer.
std::u16string FindOnSearchPath(Context& ctx, std::u16string_view name);

// folder + the name of the first ordinary file in the folder that matches the pattern, or
// empty. An empty folder is the root of the current drive.
std::u16string FindFileInDirectory(Context& ctx, std::u16string_view folder,
                                   std::u16string_view pattern);

// "WHICH name" and "SEARCH folder\pattern": show the path found, or "SEARCH_ERR".
void WhichCommand(Context& ctx, std::u16string_view rest);
void SearchCommand(Context& ctx, std::u16string_view rest);

}  // namespace qrx
