// The scripted platform of the unit tests: one fake per concern of the platform interface,
// and `FakePlatform`, all of them together. A test of a part that takes a single concern
// (a `Clock&`, a `Files&`) can use that concern's fake alone.
#pragma once

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fake/fake_crypto.h"
#include "fake/fake_network.h"
#include "platform/platform.h"
#include "platform/profile/profile_files.h"

namespace qrx::test {

// The log of every call that has an effect outside the program, shared by the fakes that
// make up one platform so that a test sees the calls in their order.
//
// The fakes whose state is shared this way are virtual bases, which a defaulted move would
// move once for each path to them (the second move finding them empty); so they declare
// their copies, and a move copies.
struct FakeCallLog {
  FakeCallLog() = default;
  FakeCallLog(const FakeCallLog&) = default;
  FakeCallLog& operator=(const FakeCallLog&) = default;
  std::vector<std::string> calls;  // "WriteFile C:\a.txt", ... (UTF-8)
  void Log(std::string_view what, std::u16string_view arg);
};

// Code page 932, as on a Japanese system.
class FakeTextCodec : public virtual TextCodec {
 public:
  explicit FakeTextCodec(char16_t sep = u'\\') : separator(sep) {}
  char16_t separator;
  char16_t PathSeparator() const override { return separator; }
  std::string ToAnsi(std::u16string_view text) const override;
  std::u16string FromAnsi(std::string_view bytes) const override;
};

class FakeClock : public virtual Clock {
 public:
  uint32_t tick = 1000;  // TickCount(); advanced by the fake UI host while it "waits"
  LocalTime now{2006, 5, 7, 12, 34, 56};
  int64_t unix_time = 1146962096;  // UnixTime(): the same moment in UTC+9
  uint32_t TickCount() override { return tick; }
  LocalTime Now() override { return now; }
  int64_t UnixTime() override { return unix_time; }
};

class FakeEnvironment : public virtual Environment, public virtual FakeCallLog {
 public:
  FakeEnvironment() = default;
  FakeEnvironment(const FakeEnvironment&) = default;
  FakeEnvironment& operator=(const FakeEnvironment&) = default;

  std::map<std::u16string, std::u16string> env;
  bool env_fails = false;  // GetEnv throws: a failure that no command expects
  std::u16string program_directory = u"C:\\quorix";
  std::u16string current_directory = u"C:\\work";
  std::u16string windows_directory = u"C:\\WINDOWS";
  std::u16string system_directory = u"C:\\WINDOWS\\system32";
  int32_t windows_major = 6;
  // What MakeDirectory, ChangeDirectory and ChangeDrive answer (0: done; a successful
  // ChangeDirectory also changes current_directory).
  int32_t directory_result = 0;

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
};

// An in-memory file system, keyed by the path as given (compared without regard to case).
// A relative path names a file in the environment's current folder, as on a real system.
class FakeFiles : public virtual Files,
                  public virtual FolderLister,
                  public virtual FakeTextCodec,
                  public virtual FakeEnvironment {
 public:
  FakeFiles() = default;
  FakeFiles(const FakeFiles&) = default;
  FakeFiles& operator=(const FakeFiles&) = default;

  std::vector<std::u16string> search_dirs;  // SearchPath looks here after the program folder
  std::set<std::u16string> unwritable;      // files whose writes fail (upper-cased paths)

  void PutFile(std::u16string_view path, std::string_view bytes);
  bool HasFile(std::u16string_view path) const;
  std::string FileBytes(std::u16string_view path) const;  // "" when missing
  void RemoveFile(std::u16string_view path);

  std::optional<std::u16string> FindFirstFile(std::u16string_view pattern) override;
  bool FileExists(std::u16string_view path) override { return HasFile(path); }
  std::optional<std::string> ReadFile(std::u16string_view path) override;
  std::optional<FileStamp> StampOf(std::u16string_view path) override;
  bool WriteFile(std::u16string_view path, std::string_view bytes) override;
  bool CopyFile(std::u16string_view from, std::u16string_view to) override;
  bool AppendFile(std::u16string_view path, std::string_view bytes) override;
  std::u16string SearchPath(std::u16string_view name) override;
  // The files of the folder, and the folders that hold files below it.
  std::vector<FolderItem> ListFolder(std::u16string_view folder) override;

 protected:
  // Replaces the file without logging; false for an unwritable one.
  bool Store(std::u16string_view path, std::string_view bytes);

 private:
  std::u16string Resolve(std::u16string_view path) const;

  struct File {
    std::u16string path;
    std::string bytes;
    int64_t version = 0;  // counts every change, for StampOf
  };
  int64_t versions_ = 0;
  std::map<std::u16string, File> files_;  // key: upper-cased path
};

// INI files on the fake file system, read and written by the program's own profile engine.
class FakeProfileStore : public virtual ProfileStore,
                         public virtual FakeFiles,
                         private profile::FileAccess,
                         private profile::Codec {
 public:
  std::u16string ProfileGetString(std::u16string_view section, std::u16string_view key,
                                  std::u16string_view def, std::u16string_view file) override {
    return profile::GetString(*this, *this, section, key, def, file);
  }
  bool ProfileWriteString(std::u16string_view section, std::u16string_view key,
                          const std::optional<std::u16string>& value,
                          std::u16string_view file) override {
    return profile::WriteString(*this, *this, section, key, value, file);
  }
  bool ProfileDeleteSection(std::u16string_view section, std::u16string_view file) override {
    return profile::DeleteSection(*this, *this, section, file);
  }
  std::vector<std::u16string> ProfileKeyNames(std::u16string_view section,
                                              std::u16string_view file) override {
    return profile::KeyNames(*this, *this, section, file);
  }
  std::vector<std::u16string> ProfileSectionNames(std::u16string_view file) override {
    return profile::SectionNames(*this, *this, file);
  }
  std::vector<std::pair<std::u16string, std::u16string>> ProfileSection(
      std::u16string_view section, std::u16string_view file) override {
    return profile::Section(*this, *this, section, file);
  }

 private:
  std::optional<std::string> Read(std::u16string_view path) override { return ReadFile(path); }
  bool Replace(std::u16string_view path, std::string_view bytes) override {
    return Store(path, bytes);
  }
  std::u16string Decode(std::string_view bytes) const override { return FromAnsi(bytes); }
  std::string Encode(std::u16string_view text) const override { return ToAnsi(text); }
};

class FakeClipboard : public virtual Clipboard {
 public:
  std::optional<std::u16string> clipboard;
  bool clipboard_busy = false;  // another program holds it: writes fail
  std::optional<std::u16string> GetClipboardText() override { return clipboard; }
  bool SetClipboardText(std::u16string_view text) override {
    if (!clipboard_busy) clipboard = std::u16string(text);
    return !clipboard_busy;
  }
};

// Sounds are logged; MCI: every string sent, the replies by command string (default: 0 and
// an empty reply), and the descriptions by error number (none: no description).
class FakeMedia : public virtual Media, public virtual FakeCallLog {
 public:
  bool has_mci = true;
  std::vector<std::u16string> mci_sent;
  std::map<std::u16string, std::pair<uint32_t, std::u16string>> mci_replies;
  std::map<uint32_t, std::u16string> mci_errors;

  void PlaySound(std::u16string_view name, uint32_t flags) override;
  void Beep() override { calls.push_back("Beep"); }
  bool HasMci() override { return has_mci; }
  uint32_t MciSendString(std::u16string_view command, std::u16string& reply) override;
  std::optional<std::u16string> MciErrorString(uint32_t code) override;
};

class FakeDesktop : public virtual Desktop, public virtual FakeCallLog {
 public:
  bool desktop_changes = true;  // what SetWallpaper and SetScreenSaverActive answer
  bool SetWallpaper(std::u16string_view file) override;
  bool SetScreenSaverActive(bool active) override;
};

class FakeShell : public virtual Shell, public virtual FakeCallLog {
 public:
  int32_t shell_result = 42;               // what ShellExecute answers
  std::optional<int32_t> archiver_result;  // nothing: no archive library
  // The shell's file operations: every record passed, what the shell answers, and the
  // questions it asks first (with the first source name), stopping at the first "no" with
  // the cancel the Windows shell reports (0 and the aborted flag).
  std::vector<ShellFileOperation> file_operations;
  ShellFileResult file_result;
  std::vector<FileQuestion> file_questions;
  int32_t file_question_matches = 0;
  bool properties_shown = true;  // what ShowProperties answers
  // The answer library: false = cannot be loaded; its calls are logged as
  // "fncAns <window> <time> <text>", and `library_rewrites` replaces the text it was given.
  bool library_loads = true;
  std::optional<std::u16string> library_rewrites;

  int32_t ShellExecute(intptr_t owner, std::u16string_view operation, std::u16string_view file,
                       std::u16string_view parameters, std::u16string_view directory,
                       int32_t show) override;
  ShellFileResult FileOperation(const ShellFileOperation& operation,
                                FileQuestions& questions) override;
  bool ShowProperties(intptr_t owner, std::u16string_view file) override;
  std::optional<int32_t> RunArchiver(intptr_t owner, std::u16string_view command_line) override;
  bool CallAnswerLibrary(std::u16string_view library, intptr_t window, std::u16string& text,
                         int32_t time) override;
};

class FakeKeyboard : public virtual Keyboard, public virtual FakeCallLog {
 public:
  std::map<int32_t, int16_t> key_states;  // AsyncKeyState by virtual key
  intptr_t foreground_focus = 0;
  int16_t AsyncKeyState(int32_t virtual_key) override;
  intptr_t ForegroundFocus() override { return foreground_focus; }
  void SendSetText(intptr_t window, std::u16string_view text) override;
};

// Logs the request and never ends anything.
class FakeSession : public virtual Session, public virtual FakeCallLog {
 public:
  bool EndSession(uint32_t flags) override;
};

class FakeNetworking : public virtual Network {
 public:
  FakeNetwork network;
  std::unique_ptr<UdpSocket> OpenUdpSocket() override {
    return std::make_unique<FakeSocket>(network);
  }
  std::u16string LocalIP() override { return network.local_ip; }
};

// No installed programs: the tests put programs into the index themselves.
class FakeProgramSources : public virtual ProgramSources {
 public:
  std::vector<ProgramSource> ProgramSourceRoots() override { return {}; }
  std::optional<int64_t> SourceStamp(const ProgramSource&) override { return std::nullopt; }
  SourceListing ListSource(const ProgramSource&) override { return {}; }
  std::optional<FoundProgram> ReadProgram(const ProgramSource&, std::u16string_view) override {
    return std::nullopt;
  }
};

// The whole platform: an in-memory file system, a settable clock, environment and
// clipboard, and one log of every call that has an effect outside the program.
class FakePlatform : public Platform,
                     public FakeProfileStore,
                     public FakeClock,
                     public FakeClipboard,
                     public FakeMedia,
                     public FakeDesktop,
                     public FakeShell,
                     public FakeKeyboard,
                     public FakeSession,
                     public FakeNetworking,
                     public FakeProgramSources {
 public:
  explicit FakePlatform(char16_t separator = u'\\') : FakeTextCodec(separator) {}

  // Signing: a stand-in digest, counting random bytes, and every key file written.
  FakeCrypto crypto;
  std::vector<std::u16string> secret_files;
  std::string HmacSha256(std::string_view key, std::string_view data) override {
    return FakeCrypto::Digest(key, data);
  }
  std::optional<std::string> RandomBytes(size_t count) override { return crypto.Random(count); }
  bool WriteSecretFile(std::u16string_view path, std::string_view bytes) override {
    secret_files.emplace_back(path);
    return Store(path, bytes);
  }
};

}  // namespace qrx::test
