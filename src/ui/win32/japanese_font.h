// The typeface of the windows: every text the program shows is Japanese.
#pragma once

#include "platform/win32/win32_api.h"

#include <string>

#include "platform/win32/scoped_win.h"

namespace qrx::win32 {

// The answer line's typeface when it is installed.
inline constexpr wchar_t kPreferredFace[] = L"ＭＳ Ｐゴシック";

// The installed face that is nearest to the preferred one: the face itself, else the face
// the font mapper picks for Japanese text, else the first installed Japanese Gothic face,
// else the first installed Japanese face. Chosen once per run.
const std::wstring& JapaneseFace();

// The pixels one line of the font selected into `dc` really takes: from its ascent down to
// the lower of its descent and the descenders of g, j, p, q and y, which some faces draw
// below the descent they state.
int LineHeight(HDC dc);

// The Japanese face at `points` for the screen. A face with a taller line than the preferred
// one (whose line is as high as its size) is made smaller until its line (LineHeight) fits
// `max_line` pixels, so that no box cuts its text off; 0: no limit.
ScopedFont MakeJapaneseFont(int points, bool bold, int max_line);

// The line height of `font` on the screen (LineHeight); 0 when it cannot be measured.
int FontLineHeight(HFONT font);

}  // namespace qrx::win32
