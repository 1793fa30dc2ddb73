// The process's environment: variables, its own folder, the current folder and drive, and
// the system's folders and version.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qrx {

class Environment {
 public:
  virtual ~Environment() = default;
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
};

}  // namespace qrx
