// File operations: copy, move, rename, delete, folders, drives, the properties sheet.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/command_entry.h"

namespace qrx {

// The file group's rows of the command table.
std::span<const CommandEntry> FileCommands();

// "COPY", "MOVE", "RENAME", "DEL", "MD", "CD", "CHDRIVE": with operands the operation runs;
// "CD" alone shows the current folder; any other word alone answers "SHFO_NOOPT".
void RunFileCommand(Context& ctx, const CommandCall& call);
// The operation of a whole line with operands, and its report through the "SHFO" section.
void RunFileOperation(Context& ctx, std::u16string_view line);
// "PROPERTY file": the properties sheet of the file, named as typed.
void ShowFileProperties(Context& ctx, const CommandCall& call);

// What the report shows when the user answered no to a confirmation: the shell's cancel.
inline constexpr int32_t kFileOperationCancelled = 1223;

}  // namespace qrx
