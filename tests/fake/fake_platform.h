// A scripted platform for the unit tests: an in-memory file system, a settable clock,
// environment and clipboard, and a log of every call that has an effect outside the program.
#pragma once

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fake/fake_network.h"
#include "platform/platform.h"
#include "platform/profile/profile_files.h"

namespace qrx::test {

class FakePlatform : public Platform, private profile::FileAccess, private profile::Codec {
 public:
  explicit FakePlatform(char16_t separator = u'\\');

  // --- scripting -------------------------------------------------------------------------
  char16_t separator = u'\\';
  uint32_t tick = 1000;  // TickCount(); advanced by the fake UI host while it "waits"
  LocalTime now{2006, 5, 7, 12, 34, 56};
  std::map<std::u16string, std::u16string> env;
  std::u16string program_directory = u"C:\\quorix";
  std::u16string current_directory = u"C:\\work";
  std::u16string windows_directory = u"C:\\WINDOWS";
  std::u16string system_directory = u"C:\\WINDOWS\\system32";
  int32_t windows_major = 6;
  std::vector<std::u16string> search_dirs;  // SearchPath looks here after the program folder
  std::set<std::u16string> unwritable;      // files whose writes fail (upper-cased paths)
  std::vector<std::string> calls;           // "WriteFile C:\a.txt", ... (UTF-8)
  std::optional<std::u16string> clipboard;
  bool env_fails = false;
  // The answer library: false = cannot be loaded; its calls are logged as
  // "fncAns <window> <time> <text>", and `library_rewrites` replaces the text it was given.
  bool library_loads = true;
  int32_t shell_result = 42;               // what ShellExecute answers
  std::optional<int32_t> archiver_result;  // nothing: no archive library
  std::map<int32_t, int16_t> key_states;   // AsyncKeyState by virtual key
  intptr_t foreground_focus = 0;
  std::optional<std::u16string>
      library_rewrites;  // GetEnv throws: a failure that no command expects

  // Directory commands: what MakeDirectory, ChangeDirectory and ChangeDrive answer (0: done;
  // a successful ChangeDirectory also changes current_directory).
  int32_t directory_result = 0;
  // The shell's file operations: every record passed, what the shell answers, and the
  // questions it asks first (with the first source name), stopping at the first "no" with
  // the cancel the Windows shell reports (0 and the aborted flag).
  std::vector<ShellFileOperation> file_operations;
  ShellFileResult file_result;
  std::vector<FileQuestion> file_questions;
  int32_t file_question_matches = 0;
  bool properties_shown = true;  // what ShowProperties answers
  // MCI: every string sent, the replies by command string (default: 0 and an empty reply),
  // and the descriptions by error number (none: no description).
  bool has_mci = true;
  std::vector<std::u16string> mci_sent;
  std::map<std::u16string, std::pair<uint32_t, std::u16string>> mci_replies;
  std::map<uint32_t, std::u16string> mci_errors;
  bool desktop_changes = true;  // what SetWallpaper and SetScreenSaverActive answer
  FakeNetwork network;

  // Files, keyed by the path as given (compared without regard to case).
  void PutFile(std::u16string_view path, std::string_view bytes);
  bool HasFile(std::u16string_view path) const;
  std::string FileBytes(std::u16string_view path) const;  // "" when missing
  void RemoveFile(std::u16string_view path);
  // Gives a file the hidden attribute: directory searches pass over it.
  void HideFile(std::u16string_view path);

  // --- Platform ------------------------------------------------------------------------
  char16_t PathSeparator() const override { return separator; }
  std::string ToAnsi(std::u16string_view text) const override;
  std::u16string FromAnsi(std::string_view bytes) const override;
  uint32_t TickCount() override { return tick; }
  LocalTime Now() override { return now; }
  std::optional<std::u16string> GetEnv(std::u16string_view name) override;
  std::u16string ProgramDirectory() override { return program_directory; }
  std::u16string CurrentDirectory() override { return current_directory; }
  bool SetCurrentDirectory(std::u16string_view path) override;
  int32_t MakeDirectory(std::u16string_view path) override;
  int32_t ChangeDirectory(std::u16string_view path) override;
  int32_t ChangeDrive(char16_t letter) override;
  std::u16string WindowsDirectory() override { return windows_directory; }
  std::u16string SystemDirectory() override { return system_directory; }
  int32_t WindowsMajorVersion() override { return windows_major; }
  std::optional<std::u16string> FindFirstFile(std::u16string_view pattern) override;
  bool FileExists(std::u16string_view path) override { return HasFile(path); }
  std::optional<std::string> ReadFile(std::u16string_view path) override;
  bool WriteFile(std::u16string_view path, std::string_view bytes) override;
  bool CopyFile(std::u16string_view from, std::u16string_view to) override;
  std::u16string SearchPath(std::u16string_view name) override;
  std::optional<std::u16string> GetClipboardText() override { return clipboard; }
  bool SetClipboardText(std::u16string_view text) override {
    clipboard = std::u16string(text);
    return true;
  }
  bool AppendFile(std::u16string_view path, std::string_view bytes) override;
  int32_t ShellExecute(intptr_t owner, std::u16string_view operation, std::u16string_view file,
                       std::u16string_view parameters, std::u16string_view directory,
                       int32_t show) override;
  std::optional<int32_t> RunArchiver(intptr_t owner, std::u16string_view command_line) override;
  ShellFileResult FileOperation(const ShellFileOperation& operation,
                                FileQuestions& questions) override;
  bool ShowProperties(intptr_t owner, std::u16string_view file) override;
  bool HasMci() override { return has_mci; }
  uint32_t MciSendString(std::u16string_view command, std::u16string& reply) override;
  std::optional<std::u16string> MciErrorString(uint32_t code) override;
  bool SetWallpaper(std::u16string_view file) override;
  bool SetScreenSaverActive(bool active) override;
  int16_t AsyncKeyState(int32_t virtual_key) override;
  intptr_t ForegroundFocus() override { return foreground_focus; }
  void SendSetText(intptr_t window, std::u16string_view text) override;
  bool EndSession(uint32_t flags) override;
  void PlaySound(std::u16string_view name, uint32_t flags) override;
  void Beep() override { calls.push_back("Beep"); }
  bool CallAnswerLibrary(std::u16string_view library, intptr_t window, std::u16string& text,
                         int32_t time) override;
  std::u16string ProfileGetString(std::u16string_view section, std::u16string_view key,
                                  std::u16string_view def, std::u16string_view file) override;
  bool ProfileWriteString(std::u16string_view section, std::u16string_view key,
                          const std::optional<std::u16string>& value,
                          std::u16string_view file) override;
  bool ProfileDeleteSection(std::u16string_view section, std::u16string_view file) override;
  std::vector<std::u16string> ProfileKeyNames(std::u16string_view section,
                                              std::u16string_view file) override;
  std::vector<std::u16string> ProfileSectionNames(std::u16string_view file) override;
  std::vector<std::pair<std::u16string, std::u16string>> ProfileSection(
      std::u16string_view section, std::u16string_view file) override;
  std::unique_ptr<UdpSocket> OpenUdpSocket() override {
    return std::make_unique<FakeSocket>(network);
  }
  std::u16string LocalIP() override { return network.local_ip; }
  // No installed programs: the tests put programs into the index themselves.
  std::vector<ProgramSource> ProgramSourceRoots() override { return {}; }
  std::optional<int64_t> SourceStamp(const ProgramSource&) override { return std::nullopt; }
  SourceListing ListSource(const ProgramSource&) override { return {}; }
  std::optional<FoundProgram> ReadProgram(const ProgramSource&, std::u16string_view) override {
    return std::nullopt;
  }
  // The files of the folder, and the folders that hold files below it.
  std::vector<FolderItem> ListFolder(std::u16string_view folder) override;

 private:
  std::optional<std::string> Read(std::u16string_view path) override;
  bool Replace(std::u16string_view path, std::string_view bytes) override;
  std::u16string Decode(std::string_view bytes) const override { return FromAnsi(bytes); }
  std::string Encode(std::u16string_view text) const override { return ToAnsi(text); }
  void Log(std::string_view what, std::u16string_view arg);
  // A relative path names a file in the current folder, as on a real system.
  std::u16string Resolve(std::u16string_view path) const;

  struct File {
    std::u16string path;
    std::string bytes;
    bool hidden = false;
  };
  std::map<std::u16string, File> files_;  // key: upper-cased path
};

}  // namespace qrx::test
