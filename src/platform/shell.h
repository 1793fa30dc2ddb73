// The shell and outside programs: opening documents, the shell's file operations, the
// properties sheet, the archive library and the outside answer library.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qrx {

// The shell's file operation record (the fields of SHFILEOPSTRUCT that carry meaning).
struct ShellFileOperation {
  intptr_t owner = 0;     // window that owns the shell's dialogs
  uint32_t function = 0;  // 1 move, 2 copy, 3 delete, 4 rename
  // Name lists: each name ends with a NUL and the list with a second one. `to` may be empty
  // (no destination).
  std::u16string from;
  std::u16string to;
  uint16_t flags = 0;  // FOF_ flags: 4 silent, 16 no confirmation, 64 to the recycle bin, ...
};

namespace fo {
inline constexpr uint32_t kMove = 1;
inline constexpr uint32_t kCopy = 2;
inline constexpr uint32_t kDelete = 3;
inline constexpr uint32_t kRename = 4;
inline constexpr uint16_t kSilent = 0x4;
inline constexpr uint16_t kNoConfirmation = 0x10;
inline constexpr uint16_t kAllowUndo = 0x40;
inline constexpr uint16_t kFilesOnly = 0x80;
inline constexpr uint16_t kWantNukeWarning = 0x4000;
}  // namespace fo

struct ShellFileResult {
  int32_t code = 0;      // what the shell returned: 0 or an error code
  bool aborted = false;  // an operation was cancelled (by the user or by the shell)
};

// What a file operation asks before it goes on, where the system's shell has no dialogs of
// its own (POSIX). The Windows shell asks with its own dialogs and never calls this.
enum class FileQuestion {
  kDelete,   // delete permanently: the name as given (wildcards and all)
  kTrash,    // move to the trash: the name as given
  kReplace,  // a destination exists and would be replaced: its path
};
class FileQuestions {
 public:
  virtual ~FileQuestions() = default;
  // True when the user says yes. `matches` is the number of items a name with wildcards
  // stands for, 0 for a plain name.
  virtual bool Confirm(FileQuestion question, std::u16string_view name, int32_t matches) = 0;
  // True once the user has cancelled: the operation stops where it is, as the Windows
  // shell's Cancel does (a No only skips the item asked about).
  virtual bool Cancelled() const { return false; }
};

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens a program, document, folder or address as the shell does (ShellExecute with the
  // given operation, parameters, working folder and show mode). Returns the shell's result:
  // above 32 for success, the shell's error codes (0..32) otherwise.
  virtual int32_t ShellExecute(intptr_t owner, std::u16string_view operation,
                               std::u16string_view file, std::u16string_view parameters,
                               std::u16string_view directory, int32_t show) = 0;
  // Copies, moves, renames or deletes files and folders with the shell's meaning (wildcards
  // in the last part of a source name, folders with their contents, the recycle bin).
  virtual ShellFileResult FileOperation(const ShellFileOperation& operation,
                                        FileQuestions& questions) = 0;
  // Opens the properties sheet of a file (the verb "properties"). False when no sheet could
  // be shown.
  virtual bool ShowProperties(intptr_t owner, std::u16string_view file) = 0;
  // Runs an LHA archive command line (the Unlha entry of UNLHA32.DLL on Windows, the lha
  // program on POSIX) and returns its result code (0 = success); nothing when no archive
  // library is available.
  virtual std::optional<int32_t> RunArchiver(intptr_t owner, std::u16string_view command_line) = 0;
  // Calls fncAns(window, text, time) of the library at `library` (loaded once, kept loaded).
  // The library may rewrite the text in place; `text` then holds its version. False when
  // the library cannot be loaded or called (then nothing was shown).
  virtual bool CallAnswerLibrary(std::u16string_view library, intptr_t window, std::u16string& text,
                                 int32_t time) = 0;
};

}  // namespace qrx
