// The message catalogue: this installation's .MSG file, seeded from DEF.MSG.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace qrx {

struct Context;

// Copies DEF.MSG to the installation's catalogue when the catalogue does not exist yet.
void MakeMessageFile(Context& ctx);

// Fills every key of DEF.MSG that the catalogue lacks or holds empty; changed and added
// keys of the user stay as they are.
void MergeMessages(Context& ctx, std::u16string_view catalogue);

// The catalogue's text for a SECTION_KEY message key. When the catalogue lacks the key, the
// texts the program brings along (the notices and boxes that earlier versions had built in)
// fall back to the delivered Japanese text, so that an older catalogue still shows them;
// any other key falls back to itself.
std::u16string CatalogueText(Context& ctx, std::u16string_view key);

// A message box's text from the catalogue: "\n" in it starts a new line, "#A" is `subject`
// and "##" a plain "#".
std::u16string BoxText(Context& ctx, std::u16string_view key, std::u16string_view subject = {});

// A text the program brings along for a catalogue key that may be missing.
struct BuiltInText {
  std::u16string_view key;
  std::u16string_view text;
};
std::span<const BuiltInText> BuiltInTexts();

}  // namespace qrx
