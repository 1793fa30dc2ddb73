// The one seam between quorix and the operating system.
//
// Everything the portable code needs from the OS goes through `Platform` (services) and
// `UiHost` (dialogs and the event pump). Three families implement them: Win32 (the real
// APIs), POSIX (Linux) and the fake that the unit tests script.
//
// Text crosses this seam as UTF-16; each implementation converts to the system ANSI code
// page (932 on a Japanese system, always 932 on POSIX) where the OS call or the file format
// wants bytes. File contents are passed as raw bytes (`std::string`).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/program_index.h"

namespace qrx {

struct LocalTime {
  int year = 0;
  int month = 0;  // 1-12
  int day = 0;    // 1-31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Message box styles, with the values the Windows API gives them.
namespace mb {
inline constexpr uint32_t kOk = 0x0;
inline constexpr uint32_t kYesNo = 0x4;
inline constexpr uint32_t kIconQuestion = 0x20;
inline constexpr uint32_t kIconExclamation = 0x30;
inline constexpr uint32_t kIconInformation = 0x40;
inline constexpr uint32_t kSystemModal = 0x1000;
// What MessageBox returns for the buttons of a yes/no box.
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;
}  // namespace mb

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
};

// What one look at a socket found: nothing waiting, a datagram, or an error the OS reported
// (for example that an earlier datagram could not be delivered).
struct SocketReading {
  enum class Kind { kNothing, kDatagram, kError };
  Kind kind = Kind::kNothing;
  std::string bytes;      // the datagram, as received
  std::u16string source;  // the address it really came from, as dotted IPv4 text
  int32_t error = 0;      // the OS's code of the error
};

// An IPv4 UDP socket with broadcasts allowed. No call ever waits.
class UdpSocket {
 public:
  virtual ~UdpSocket() = default;

  // Binds to a local port on every interface. Nothing when it worked, else the OS's reason
  // in words (with its code).
  virtual std::optional<std::u16string> Bind(uint16_t port) = 0;
  // Sends one datagram to an address or host name. False when it could not be sent. While
  // the socket is not bound the datagram leaves from a passing port, so that the socket can
  // still be bound to the port the user chooses later.
  virtual bool SendTo(std::u16string_view host, uint16_t port, std::string_view bytes) = 0;
  // The next waiting datagram or error, or nothing.
  virtual SocketReading Receive() = 0;
  // The OS's handle (a SOCKET on Windows, a descriptor on POSIX) for the host's event loop.
  virtual intptr_t NativeHandle() const = 0;
};

// The aggregate of the concerns the portable code reaches the system through.
class Platform : public ProgramSources, public FolderLister {
 public:
  ~Platform() override = default;

  // --- text boundary -------------------------------------------------------------------
  // The character that separates folders in paths: '\' on Windows, '/' on POSIX.
  virtual char16_t PathSeparator() const = 0;
  // UTF-16 to the system ANSI code page; characters it cannot hold become '?'.
  virtual std::string ToAnsi(std::u16string_view text) const = 0;
  // System ANSI code page to UTF-16.
  virtual std::u16string FromAnsi(std::string_view bytes) const = 0;

  // --- clock -----------------------------------------------------------------------------
  // The multimedia clock: milliseconds since the system started; wraps after ~49.7 days.
  virtual uint32_t TickCount() = 0;
  virtual LocalTime Now() = 0;

  // --- process -------------------------------------------------------------------------
  // Value of an environment variable, or nothing when it is not defined.
  virtual std::optional<std::u16string> GetEnv(std::u16string_view name) = 0;
  // Folder of the running executable, without a trailing separator (except at a root).
  virtual std::u16string ProgramDirectory() = 0;
  virtual std::u16string CurrentDirectory() = 0;
  virtual bool SetCurrentDirectory(std::u16string_view path) = 0;
  // MD, CD and CHDRIVE: 0 when done, otherwise the Windows error code of the failure (for
  // example 2 not found, 3 path not found, 5 access denied, 15 no such drive, 183 exists).
  virtual int32_t MakeDirectory(std::u16string_view path) = 0;
  virtual int32_t ChangeDirectory(std::u16string_view path) = 0;
  virtual int32_t ChangeDrive(char16_t letter) = 0;
  // The Windows folder and the system folder (empty where the OS has none).
  virtual std::u16string WindowsDirectory() = 0;
  virtual std::u16string SystemDirectory() = 0;
  // The major version of Windows (5 for Windows 2000 and XP, 6 for Vista to 8.1, 10 for
  // later ones). POSIX counts as a current system.
  virtual int32_t WindowsMajorVersion() = 0;

  // --- files -----------------------------------------------------------------------------
  // Name (without folder) of the first ordinary file that matches a pattern with wildcards
  // ("*", "?"); folders, hidden and system files never match. Nothing when none matches.
  virtual std::optional<std::u16string> FindFirstFile(std::u16string_view pattern) = 0;
  // True when something other than a folder exists under exactly this name (no wildcards),
  // hidden and system files included: a file that is there must never be taken for a
  // missing one and replaced.
  virtual bool FileExists(std::u16string_view path) = 0;
  virtual std::optional<std::string> ReadFile(std::u16string_view path) = 0;
  // Creates or replaces the file with the bytes.
  virtual bool WriteFile(std::u16string_view path, std::string_view bytes) = 0;
  virtual bool CopyFile(std::u16string_view from, std::u16string_view to) = 0;
  // Adds the bytes at the end of the file, creating it when it does not exist.
  virtual bool AppendFile(std::u16string_view path, std::string_view bytes) = 0;
  // Full path under which the system's search order finds the name, or empty.
  virtual std::u16string SearchPath(std::u16string_view name) = 0;

  // --- clipboard ---------------------------------------------------------------------
  // The clipboard's text; nothing when it holds no text.
  virtual std::optional<std::u16string> GetClipboardText() = 0;
  // Replaces the clipboard's content with the text. False when the clipboard was busy.
  virtual bool SetClipboardText(std::u16string_view text) = 0;

  // --- sound -------------------------------------------------------------------------
  // Plays a wave sound with the Windows PlaySound flags (0 waits until it has played,
  // 1 returns at once, 9 repeats until the next sound).
  virtual void PlaySound(std::u16string_view name, uint32_t flags) = 0;
  // The standard system beep.
  virtual void Beep() = 0;

  // --- media control (MCI) -------------------------------------------------------------
  // False where the system has no media control interface; the two calls below are then
  // never made.
  virtual bool HasMci() = 0;
  // Sends a command string; `reply` gets the device's return text. 0 or the MCI error number.
  virtual uint32_t MciSendString(std::u16string_view command, std::u16string& reply) = 0;
  // The system's description of an MCI error number; nothing when it has none.
  virtual std::optional<std::u16string> MciErrorString(uint32_t code) = 0;

  // --- desktop ---------------------------------------------------------------------------
  // Makes the picture the desktop wallpaper (empty: no wallpaper), stored for later
  // sessions and announced to running programs. False when the setting was not changed.
  virtual bool SetWallpaper(std::u16string_view file) = 0;
  // Switches the screen saver on or off, the same way.
  virtual bool SetScreenSaverActive(bool active) = 0;

  // --- the outside answer library -------------------------------------------------------
  // Calls fncAns(window, text, time) of the library at `library` (loaded once, kept loaded).
  // The library may rewrite the text in place; `text` then holds its version. False when
  // the library cannot be loaded or called (then nothing was shown).
  virtual bool CallAnswerLibrary(std::u16string_view library, intptr_t window, std::u16string& text,
                                 int32_t time) = 0;

  // --- shell and outside programs ---------------------------------------------------
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

  // --- keyboard and other programs' windows --------------------------------------------
  // GetAsyncKeyState: non-zero when the key is down or was pressed since the last query.
  virtual int16_t AsyncKeyState(int32_t virtual_key) = 0;
  // The control that has the keyboard focus in the foreground application (0: none).
  virtual intptr_t ForegroundFocus() = 0;
  // Sends the set-text message with the text (in the ANSI code page) to a window.
  virtual void SendSetText(intptr_t window, std::u16string_view text) = 0;

  // --- session -------------------------------------------------------------------------
  // Asks the system to log off, restart or power off (ExitWindowsEx flags), enabling the
  // shutdown privilege first. False when the system refused.
  virtual bool EndSession(uint32_t flags) = 0;

  // --- profile (INI) files -----------------------------------------------------------
  // These follow the Windows private-profile API; values and name lists are returned
  // whole, never cut to a buffer.
  virtual std::u16string ProfileGetString(std::u16string_view section, std::u16string_view key,
                                          std::u16string_view def, std::u16string_view file) = 0;
  // Writes a value; `value` empty (nullopt) deletes the key. False when the OS refused.
  virtual bool ProfileWriteString(std::u16string_view section, std::u16string_view key,
                                  const std::optional<std::u16string>& value,
                                  std::u16string_view file) = 0;
  // Deletes a whole section. False when the OS refused.
  virtual bool ProfileDeleteSection(std::u16string_view section, std::u16string_view file) = 0;
  virtual std::vector<std::u16string> ProfileKeyNames(std::u16string_view section,
                                                      std::u16string_view file) = 0;
  virtual std::vector<std::u16string> ProfileSectionNames(std::u16string_view file) = 0;
  // The keys of a section with their values, from one reading of the file: every key line
  // with "=" of the first section of the name, in file order, each paired with what
  // ProfileGetString of its name with an empty default gives. The same as ProfileKeyNames
  // followed by one ProfileGetString per name, without reading the file again for each.
  virtual std::vector<std::pair<std::u16string, std::u16string>> ProfileSection(
      std::u16string_view section, std::u16string_view file) = 0;

  // --- network -------------------------------------------------------------------------
  // A new UDP socket, not bound. Never null: a socket the OS refused reports why at Bind.
  virtual std::unique_ptr<UdpSocket> OpenUdpSocket() = 0;
  // This machine's own IPv4 address as dotted text (127.0.0.1 when it has no other).
  virtual std::u16string LocalIP() = 0;
};

// The user-interface host: modal dialogs and the event loop. The real windows implement it
// with Win32; the line runner with standard input and output; the tests with a script.
class UiHost {
 public:
  virtual ~UiHost() = default;

  // Modal message box; returns the button the user chose (1 = OK).
  virtual int MessageBox(std::u16string_view text, std::u16string_view title, uint32_t style) = 0;
  // Modal input box; nothing when the user cancelled.
  virtual std::optional<std::u16string> InputBox(std::u16string_view prompt,
                                                 std::u16string_view title,
                                                 std::u16string_view initial) = 0;
  // Handles pending events (ticks, keys, datagrams) and waits at most `max_wait_ms` for the
  // next one when none is pending. Never spins.
  virtual void PumpEvents(uint32_t max_wait_ms) = 0;
  // Shows an answer in a popup box of its own for `time` seconds (negative: until the next
  // one; -2 only closes a kept box).
  virtual void ShowPopup(std::u16string_view text, int16_t time) = 0;
  // Ends the event loop; the process ends once the running command line has unwound.
  virtual void Quit() = 0;
  // From now on the socket's arriving datagrams and errors reach the main window as events,
  // in turn with the other events (a window message on Windows; the line runner waits for
  // the socket beside its input).
  virtual void WatchSocket(UdpSocket& socket) = 0;
};

}  // namespace qrx
