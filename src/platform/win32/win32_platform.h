// The platform on Windows: the real APIs, through their ANSI forms where the program's
// behaviour is defined by the system ANSI code page.
#pragma once

#include "platform/win32/scoped_win.h"
// (the API header first, so that its macros are gone before the interface is read)

#include <map>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace qrx {

class Win32Platform : public Platform {
 public:
  Win32Platform();
  ~Win32Platform() override;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  // The program index's sources and path completion (win32_programs.cpp).
  std::vector<ProgramSource> ProgramSourceRoots() override;
  std::optional<int64_t> SourceStamp(const ProgramSource& source) override;
  SourceListing ListSource(const ProgramSource& source) override;
  std::optional<FoundProgram> ReadProgram(const ProgramSource& source,
                                          std::u16string_view entry) override;
  std::vector<FolderItem> ListFolder(std::u16string_view folder) override;

  char16_t PathSeparator() const override { return u'\\'; }
  std::string ToAnsi(std::u16string_view text) const override;
  std::u16string FromAnsi(std::string_view bytes) const override;

  uint32_t TickCount() override;
  LocalTime Now() override;
  int64_t UnixTime() override;

  std::optional<std::u16string> GetEnv(std::u16string_view name) override;
  std::u16string ProgramDirectory() override;
  std::u16string CurrentDirectory() override;
  bool SetCurrentDirectory(std::u16string_view path) override;
  int32_t MakeDirectory(std::u16string_view path) override;
  int32_t ChangeDirectory(std::u16string_view path) override;
  int32_t ChangeDrive(char16_t letter) override;
  std::u16string WindowsDirectory() override;
  std::u16string SystemDirectory() override;
  int32_t WindowsMajorVersion() override;

  std::optional<std::u16string> FindFirstFile(std::u16string_view pattern) override;
  bool FileExists(std::u16string_view path) override;
  std::optional<std::string> ReadFile(std::u16string_view path) override;
  std::optional<FileStamp> StampOf(std::u16string_view path) override;
  bool WriteFile(std::u16string_view path, std::string_view bytes) override;
  bool CopyFile(std::u16string_view from, std::u16string_view to) override;
  std::u16string SearchPath(std::u16string_view name) override;

  std::optional<std::u16string> GetClipboardText() override;
  bool SetClipboardText(std::u16string_view text) override;

  bool AppendFile(std::u16string_view path, std::string_view bytes) override;
  int32_t ShellExecute(intptr_t owner, std::u16string_view operation, std::u16string_view file,
                       std::u16string_view parameters, std::u16string_view directory,
                       int32_t show) override;
  std::optional<int32_t> RunArchiver(intptr_t owner, std::u16string_view command_line) override;
  ShellFileResult FileOperation(const ShellFileOperation& operation,
                                FileQuestions& questions) override;
  bool ShowProperties(intptr_t owner, std::u16string_view file) override;
  int16_t AsyncKeyState(int32_t virtual_key) override;
  intptr_t ForegroundFocus() override;
  void SendSetText(intptr_t window, std::u16string_view text) override;
  bool EndSession(uint32_t flags) override;

  void PlaySound(std::u16string_view name, uint32_t flags) override;
  void Beep() override;
  bool HasMci() override;
  uint32_t MciSendString(std::u16string_view command, std::u16string& reply) override;
  std::optional<std::u16string> MciErrorString(uint32_t code) override;
  bool SetWallpaper(std::u16string_view file) override;
  bool SetScreenSaverActive(bool active) override;
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

  std::unique_ptr<UdpSocket> OpenUdpSocket() override;
  std::u16string LocalIP() override;

  std::string HmacSha256(std::string_view key, std::string_view data) override;
  std::optional<std::string> RandomBytes(size_t count) override;
  bool WriteSecretFile(std::u16string_view path, std::string_view bytes) override;

 private:
  // Answer libraries stay loaded once used, as they may keep state between answers.
  std::map<std::u16string, win32::ScopedModule> libraries_;
  // The HMAC-SHA-256 provider, opened on first use and kept: a flood of signed datagrams
  // checks one tag each.
  win32::ScopedAlgorithm hmac_;
};

}  // namespace qrx
