// The file commands: COPY, MOVE, RENAME, DEL, MD, CD, CHDRIVE and PROPERTY.
#pragma once

#include <string_view>

namespace qrx {

struct Context;

// "COPY", "MOVE", "RENAME", "DEL", "MD", "CD", "CHDRIVE", given the whole line: with
// operands the operation runs; "CD" alone shows the current folder; any other word alone
// answers "SHFO_NOOPT".
void RunFileCommand(Context& ctx, std::u16string_view line);
// The operation of a line with operands and its report through the "SHFO" section.
void RunFileOperation(Context& ctx, std::u16string_view line);
// "PROPERTY file": the properties sheet of the file, named as typed.
void ShowFileProperties(Context& ctx, std::u16string_view file);

// What the report shows when the user answered no to a confirmation: the shell's cancel.
inline constexpr int32_t kFileOperationCancelled = 1223;

}  // namespace qrx
