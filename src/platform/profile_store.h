// Profile (INI) files, following the Windows private-profile API: values and name lists
// are returned whole, never cut to a buffer.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qrx {

class ProfileStore {
 public:
  virtual ~ProfileStore() = default;
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
};

}  // namespace qrx
