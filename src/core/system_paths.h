// Paths the system knows: its own folders and where its search order finds a file.
#pragma once

#include <string>
#include <string_view>

namespace qrx {

class Platform;
struct Context;

// The full path under which the system's search order finds the name, or empty. A path
// longer than 254 characters counts as not found, as it would not fit the search buffer.
std::u16string FindOnSearchPath(Context& ctx, std::u16string_view name);

// "WIN": the Windows folder; "SYS": the system folder; any other word, lower case
// included, the empty text. A folder longer than 259 characters gives the empty text, as
// the 260-character buffer the folders are read into stays empty then.
std::u16string WinSysDir(Platform& platform, std::u16string_view word);

}  // namespace qrx
