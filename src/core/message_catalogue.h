// The message catalogue: this installation's .MSG file, seeded from DEF.MSG.
#pragma once

#include <string_view>

namespace qrx {

struct Context;

// Copies DEF.MSG to the installation's catalogue when the catalogue does not exist yet.
void MakeMessageFile(Context& ctx);

// Fills every key of DEF.MSG that the catalogue lacks or holds empty; changed and added
// keys of the user stay as they are.
void MergeMessages(Context& ctx, std::u16string_view catalogue);

}  // namespace qrx
