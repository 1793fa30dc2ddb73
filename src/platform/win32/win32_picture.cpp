#include "platform/win32/win32_picture.h"

#include "platform/win32/win32_api.h"

#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>
#include <wincodec.h>

#include <optional>
#include <string>

#include "platform/win32/scoped_win.h"

namespace qrx::win32 {
namespace {

constexpr int32_t kLargest = 8192;
constexpr DWORD kLargestFile = 64u << 20;
constexpr GUID kImagingFactory = {
    0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
constexpr GUID kBgra32 = {
    0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0f}};

std::wstring Wide(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

bool Fits(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kLargest && height <= kLargest;
}

// A 32-bit top-down DIB section of the size, filled with the background, that a picture is
// drawn into; its pixels are then copied out.
class Canvas {
 public:
  Canvas(int32_t width, int32_t height, uint32_t background)
      : width_(width),
        height_(height),
        dc_(::CreateCompatibleDC(nullptr)),
        bitmap_(CreatePixelBitmap(width, height, &bits_)) {
    if (!dc_ || !bitmap_) return;
    selection_.emplace(dc_.Get(), bitmap_.Get());
    auto* p = static_cast<uint32_t*>(bits_);
    std::fill(p, p + static_cast<size_t>(width) * static_cast<size_t>(height), background);
  }

  bool ok() const { return selection_ && selection_->ok(); }
  HDC dc() const { return dc_.Get(); }
  Picture Take() const {
    ::GdiFlush();
    Picture picture;
    picture.width = width_;
    picture.height = height_;
    const auto* p = static_cast<const uint32_t*>(bits_);
    picture.pixels.assign(p, p + static_cast<size_t>(width_) * static_cast<size_t>(height_));
    for (uint32_t& px : picture.pixels) px &= 0x00FFFFFF;
    return picture;
  }

 private:
  int32_t width_;
  int32_t height_;
  ScopedMemoryDc dc_;
  void* bits_ = nullptr;  // before the bitmap, which sets it
  ScopedBitmap bitmap_;
  std::optional<ScopedSelection> selection_;
};

// Bitmaps, icons and metafiles: the file's bytes through OLE's picture loader.
std::optional<Picture> LoadWithOle(std::u16string_view path, uint32_t background) {
  ScopedHandle file(::CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0 || size.QuadPart > kLargestFile) {
    return std::nullopt;
  }
  const DWORD bytes = static_cast<DWORD>(size.QuadPart);
  ScopedGlobal memory(::GlobalAlloc(GMEM_MOVEABLE, bytes));
  if (!memory) return std::nullopt;
  bool whole = false;
  {
    const GlobalLockGuard<unsigned char> block(memory.Get());
    DWORD read = 0;
    whole = block.Get() != nullptr && ::ReadFile(file.Get(), block.Get(), bytes, &read, nullptr) &&
            read == bytes;
  }
  ComPtr<IStream> stream;
  if (!whole || FAILED(::CreateStreamOnHGlobal(memory.Get(), TRUE, stream.Put()))) {
    return std::nullopt;
  }
  memory.Release();  // the stream owns the memory from here on
  ComPtr<IPicture> picture;
  if (FAILED(::OleLoadPicture(stream.Get(), static_cast<LONG>(bytes), FALSE, __uuidof(IPicture),
                              picture.PutVoid()))) {
    return std::nullopt;
  }
  OLE_XSIZE_HIMETRIC himetric_width = 0;
  OLE_YSIZE_HIMETRIC himetric_height = 0;
  SHORT type = PICTYPE_UNINITIALIZED;
  if (FAILED(picture->get_Width(&himetric_width)) ||
      FAILED(picture->get_Height(&himetric_height)) || FAILED(picture->get_Type(&type))) {
    return std::nullopt;
  }
  // Bitmaps and icons keep their pixel size; metafiles are measured for the screen.
  int64_t width = 0;
  int64_t height = 0;
  OLE_HANDLE handle = 0;
  if (type == PICTYPE_BITMAP && SUCCEEDED(picture->get_Handle(&handle))) {
    BITMAP bm{};
    if (::GetObjectW(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)), sizeof(bm), &bm)) {
      width = bm.bmWidth;
      height = bm.bmHeight;
    }
  } else if (type == PICTYPE_ICON && SUCCEEDED(picture->get_Handle(&handle))) {
    ICONINFO icon{};
    if (::GetIconInfo(reinterpret_cast<HICON>(static_cast<UINT_PTR>(handle)), &icon)) {
      // The icon's two bitmaps are copies made for the caller.
      const ScopedBitmap color(icon.hbmColor);
      const ScopedBitmap mask(icon.hbmMask);
      BITMAP bm{};
      if (::GetObjectW(icon.hbmMask, sizeof(bm), &bm)) {
        width = bm.bmWidth;
        height = icon.hbmColor != nullptr ? bm.bmHeight : bm.bmHeight / 2;
      }
    }
  }
  if (width == 0 || height == 0) {
    const ScopedWindowDc screen;
    const int dpi_x = screen.Get() != nullptr ? ::GetDeviceCaps(screen.Get(), LOGPIXELSX) : 96;
    const int dpi_y = screen.Get() != nullptr ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
    width = ::MulDiv(himetric_width, dpi_x, 2540);
    height = ::MulDiv(himetric_height, dpi_y, 2540);
  }
  if (!Fits(width, height)) return std::nullopt;
  Canvas canvas(static_cast<int32_t>(width), static_cast<int32_t>(height), background);
  if (!canvas.ok()) return std::nullopt;
  if (FAILED(picture->Render(canvas.dc(), 0, 0, static_cast<LONG>(width), static_cast<LONG>(height),
                             0, himetric_height, himetric_width, -himetric_height, nullptr))) {
    return std::nullopt;
  }
  return canvas.Take();
}

// Everything the system has a codec for, through the Windows Imaging Component.
std::optional<Picture> LoadWithWic(std::u16string_view path, uint32_t background) {
  ComPtr<IWICImagingFactory> factory;
  if (FAILED(::CoCreateInstance(kImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                __uuidof(IWICImagingFactory), factory.PutVoid()))) {
    return std::nullopt;
  }
  ComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateDecoderFromFilename(Wide(path).c_str(), nullptr, GENERIC_READ,
                                                WICDecodeMetadataCacheOnDemand, decoder.Put()))) {
    return std::nullopt;
  }
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICBitmapSource> pixels;
  if (FAILED(decoder->GetFrame(0, frame.Put())) ||
      FAILED(::WICConvertBitmapSource(kBgra32, frame.Get(), pixels.Put()))) {
    return std::nullopt;
  }
  UINT width = 0;
  UINT height = 0;
  if (FAILED(pixels->GetSize(&width, &height)) || !Fits(width, height)) return std::nullopt;
  Picture picture;
  picture.width = static_cast<int32_t>(width);
  picture.height = static_cast<int32_t>(height);
  picture.pixels.resize(static_cast<size_t>(width) * height);
  if (FAILED(pixels->CopyPixels(nullptr, width * 4, static_cast<UINT>(picture.pixels.size() * 4),
                                reinterpret_cast<BYTE*>(picture.pixels.data())))) {
    return std::nullopt;
  }
  // Straight alpha over the background.
  for (uint32_t& px : picture.pixels) {
    const uint32_t a = px >> 24;
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
      const uint32_t fg = (px >> shift) & 0xFF;
      const uint32_t bg = (background >> shift) & 0xFF;
      out |= ((fg * a + bg * (255 - a) + 127) / 255) << shift;
    }
    px = out;
  }
  return picture;
}

// The kinds OLE's loader was made for: bitmaps, icons, cursors, metafiles.
bool IsOleKind(std::u16string_view path) {
  ScopedHandle file(::CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  unsigned char head[44] = {};
  DWORD got = 0;
  if (!file || !::ReadFile(file.Get(), head, sizeof(head), &got, nullptr)) return false;
  if (got >= 2 && head[0] == 'B' && head[1] == 'M') return true;
  if (got >= 4 && head[0] == 0 && head[1] == 0 && (head[2] == 1 || head[2] == 2) && head[3] == 0) {
    return true;  // icon or cursor
  }
  if (got >= 4 && head[0] == 0xD7 && head[1] == 0xCD && head[2] == 0xC6 && head[3] == 0x9A) {
    return true;  // placeable metafile
  }
  if (got >= 4 && (head[0] == 1 || head[0] == 2) && head[1] == 0 && head[2] == 9 && head[3] == 0) {
    return true;  // metafile
  }
  return got >= 44 && head[0] == 1 && head[1] == 0 && head[2] == 0 && head[3] == 0 &&
         head[40] == ' ' && head[41] == 'E' && head[42] == 'M' && head[43] == 'F';
}

}  // namespace

HBITMAP CreatePixelBitmap(int32_t width, int32_t height, void** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  *bits = nullptr;
  ScopedBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0));
  if (*bits == nullptr) return nullptr;
  return bitmap.Release();
}

std::optional<Picture> LoadPictureFile(std::u16string_view path, uint32_t background) {
  if (path.empty() || path.find(u'\0') != std::u16string_view::npos) return std::nullopt;
  const ScopedComInit com;
  // Each loader gets the other's kinds as well, for files whose contents say one thing and
  // whose codec is only found by the other.
  if (IsOleKind(path)) {
    if (auto picture = LoadWithOle(path, background)) return picture;
    return LoadWithWic(path, background);
  }
  if (auto picture = LoadWithWic(path, background)) return picture;
  return LoadWithOle(path, background);
}

}  // namespace qrx::win32
