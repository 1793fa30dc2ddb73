// The skin state: which skin is shown, which one lasts, and whether an answer's own skin is
// shown for the moment. Owned by the skinned layout, the one place that changes it.
#pragma once

#include <cstdint>
#include <string>

namespace qrx {

// The placement numbers of a skin, in pixels.
struct SkinNumbers {
  int32_t iy = 0;   // top of the command box on the picture
  int32_t iw = 0;   // width of the command box
  int32_t frx = 0;  // balloon on the right: its left edge, from the picture's left edge
  int32_t fry = 0;  // balloon on the right: its top from the window's top, plus 34
  int32_t flx = 0;  // balloon on the left: its right edge, from the picture's left edge
  int32_t fly = 0;  // balloon on the left: its top from the window's top, plus 34
};

struct SkinState {
  std::u16string picture;     // picture file of the skin shown, as the skin file names it
  SkinNumbers numbers;        // of the skin shown
  int32_t picture_width = 0;  // of the picture shown, in pixels
  std::u16string remembered;  // the lasting skin, shown again after an answer's own skin
  int16_t temporary = 0;      // 1 while an answer's own skin is shown
  // True while a picture that could not be loaded is reported: the report's own skin is
  // not applied, so a broken skin named in that message cannot report itself forever.
  bool reporting_failure = false;
};

}  // namespace qrx
