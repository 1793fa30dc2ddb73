#include "ui/win32/japanese_font.h"

#include <cwchar>
#include <utility>
#include <vector>

namespace qrx::win32 {
namespace {

LOGFONTW JapaneseLogFont(const wchar_t* face, int height, bool bold) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = SHIFTJIS_CHARSET;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
  std::wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return lf;
}

// The face and character set the mapper really gives for a request.
struct Realised {
  std::wstring face;
  UINT charset = DEFAULT_CHARSET;
};

Realised Realise(HDC dc, const LOGFONTW& lf) {
  Realised r;
  ScopedFont font(::CreateFontIndirectW(&lf));
  if (!font) return r;
  const ScopedSelection selected(dc, font.Get());
  wchar_t name[LF_FACESIZE] = {};
  if (::GetTextFaceW(dc, LF_FACESIZE, name) > 0) r.face = name;
  r.charset = static_cast<UINT>(::GetTextCharset(dc));
  return r;
}

int CALLBACK CollectFace(const LOGFONTW* lf, const TEXTMETRICW*, DWORD, LPARAM param) {
  auto* faces = reinterpret_cast<std::vector<std::wstring>*>(param);
  // Faces starting with '@' are the vertical-writing variants.
  if (lf->lfFaceName[0] != L'@') faces->emplace_back(lf->lfFaceName);
  return 1;
}

bool LooksGothic(const std::wstring& face) {
  return face.find(L"ゴシック") != std::wstring::npos ||
         face.find(L"Gothic") != std::wstring::npos || face.find(L"Sans") != std::wstring::npos;
}

std::wstring ChooseFace() {
  ScopedWindowDc screen;
  const HDC dc = screen.Get();
  if (dc == nullptr) return kPreferredFace;
  const Realised mapped = Realise(dc, JapaneseLogFont(kPreferredFace, -12, false));
  if (mapped.face == kPreferredFace) return mapped.face;
  if (mapped.charset == SHIFTJIS_CHARSET && !mapped.face.empty()) return mapped.face;
  LOGFONTW query{};
  query.lfCharSet = SHIFTJIS_CHARSET;
  std::vector<std::wstring> faces;
  ::EnumFontFamiliesExW(dc, &query, CollectFace, reinterpret_cast<LPARAM>(&faces), 0);
  for (const auto& face : faces) {
    if (LooksGothic(face)) return face;
  }
  if (!faces.empty()) return faces.front();
  return kPreferredFace;  // no Japanese face at all: let the mapper do its best
}

}  // namespace

const std::wstring& JapaneseFace() {
  static const std::wstring face = ChooseFace();
  return face;
}

ScopedFont MakeJapaneseFont(int points, bool bold, int max_line) {
  ScopedWindowDc screen;
  const HDC dc = screen.Get();
  const int dpi = dc != nullptr ? ::GetDeviceCaps(dc, LOGPIXELSY) : 96;
  LOGFONTW lf = JapaneseLogFont(JapaneseFace().c_str(), -::MulDiv(points, dpi, 72), bold);
  ScopedFont font(::CreateFontIndirectW(&lf));
  if (!font || dc == nullptr || max_line <= 0) return font;
  TEXTMETRICW metrics{};
  bool measured = false;
  {
    const ScopedSelection selected(dc, font.Get());
    measured = ::GetTextMetricsW(dc, &metrics) != FALSE;
  }
  if (!measured || metrics.tmHeight <= max_line) return font;
  lf.lfHeight = max_line;  // positive: the height of the whole line, not of the letters
  ScopedFont smaller(::CreateFontIndirectW(&lf));
  return smaller ? std::move(smaller) : std::move(font);
}

}  // namespace qrx::win32
