// The history of command lines typed by the user.
#pragma once

#include <string_view>

namespace qrx {

struct Context;

// Shifts the history down one place and makes the line its newest entry.
void RecordHistory(Context& ctx, std::u16string_view line);

// Entries 2 to 9 in keys "HIS2" .. "HIS9" of section "SYSTEM"; the newest is not stored.
bool SaveHistory(Context& ctx);
void LoadHistory(Context& ctx);

}  // namespace qrx
