// The skin file (the configuration's name with ".SKN"): one section per skin, naming its
// picture ("FileName", relative to the skin file's folder) and its placement numbers.
#pragma once

#include <string>
#include <string_view>

#include "core/skin_state.h"

namespace qrx {

struct Context;

// The folder of the skin file, the separator and `file`.
std::u16string SkinPicturePath(Context& ctx, std::u16string_view file);

// The picture path the start-up test uses for a skin: its "FileName" (default "0").
std::u16string StartUpPicturePath(Context& ctx, std::u16string_view skin);

// True when the search order finds the skin's picture file.
bool SkinImageExists(Context& ctx, std::u16string_view skin);

struct SkinEntry {
  std::u16string name;  // the section used
  std::u16string file;  // its "FileName"
  SkinNumbers numbers;
};

// The skin of that name; a skin without a picture ("FileName" missing or empty, or no such
// section) gives the configuration's default skin instead. Numbers that are missing or not
// integers count as 0.
SkinEntry ReadSkin(Context& ctx, std::u16string_view name);

}  // namespace qrx
