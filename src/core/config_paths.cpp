#include "core/config_paths.h"

#include "base/path_text.h"

namespace qrx {

std::u16string ChooseConfigPath(std::u16string_view argument, std::u16string_view program_dir,
                                char16_t separator) {
  std::u16string dir(program_dir);
  // Shortcuts quote a path with blanks; the file itself has no quotes, and its siblings
  // (.MSG, .LKD) must sit beside the same file.
  if (argument.size() >= 2 && argument.front() == u'"' && argument.back() == u'"') {
    argument = argument.substr(1, argument.size() - 2);
  }
  if (argument.empty()) return dir + separator + u"QRX_CORE.INI";
  // "/" separates folders on Windows too: only a name without either is a bare name.
  if (argument.find(separator) == std::u16string_view::npos &&
      argument.find(u'/') == std::u16string_view::npos) {
    return dir + separator + std::u16string(argument);
  }
  return std::u16string(argument);
}

ConfigPaths DeriveConfigPaths(std::u16string_view config, std::u16string_view program_dir,
                              char16_t separator) {
  ConfigPaths paths;
  paths.config = std::u16string(config);
  const std::u16string base = CutExtension(config);
  paths.link_list = base + u".LKD";
  paths.program_index = base + u".IDX";
  paths.message = base + u".MSG";
  paths.skin = base + u".SKN";
  paths.default_messages = AddBackslash(program_dir, separator) + u"DEF.MSG";
  return paths;
}

}  // namespace qrx
