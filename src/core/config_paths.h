// Where the configuration file and its sibling files are.
#pragma once

#include <string>
#include <string_view>

#include "core/context.h"

namespace qrx {

// The configuration file from the command-line argument: none -> QRX_CORE.INI beside the
// executable; a bare file name -> that file beside the executable; else the argument itself
// as a path ("\\" or "/" inside). One pair of surrounding quotes is removed first.
std::u16string ChooseConfigPath(std::u16string_view argument, std::u16string_view program_dir,
                                char16_t separator);

// The configuration path and everything derived from it.
ConfigPaths DeriveConfigPaths(std::u16string_view config, std::u16string_view program_dir,
                              char16_t separator);

}  // namespace qrx
