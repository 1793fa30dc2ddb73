// Checks quorix's picture loader on the system it runs on: writes one design in each format
// the skins may use (bitmap, icon, placeable and enhanced metafile, PNG, JPEG, GIF) into a
// folder, loads each with the loader and compares size and colours; a missing file, a folder
// and a file that is no picture do not load.
//
// usage: picture_check FOLDER
// Prints "ok NAME" or "FAIL NAME: why" per case. Exit code: 0 all passed, 1 a check failed.
// clang-format off
#include <windows.h>
#include <wincodec.h>
// clang-format on

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/text.h"
#include "platform/win32/scoped_win.h"
#include "platform/win32/win32_picture.h"

namespace {

using qrx::win32::ComPtr;

// The design: a key-coloured frame around a red left half and a blue right half.
constexpr int kWidth = 40;
constexpr int kHeight = 30;
constexpr uint32_t kKey = 0xFF00FF;
constexpr uint32_t kRed = 0xE01010;
constexpr uint32_t kBlue = 0x1020E0;

uint32_t Design(int x, int y) {
  if (x < 4 || y < 4 || x >= kWidth - 4 || y >= kHeight - 4) return kKey;
  return x < kWidth / 2 ? kRed : kBlue;
}

using Bytes = std::vector<uint8_t>;

std::wstring Wide(const std::string& ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

void Put(Bytes& out, uint32_t v, int size) {
  for (int i = 0; i < size; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

bool WriteBytes(const std::string& path, const Bytes& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// A BITMAPINFOHEADER and bottom-up 32-bit pixels; an icon has double height and an AND mask.
Bytes DibOfDesign(bool icon) {
  Bytes out;
  for (const uint32_t v : {40, kWidth, icon ? kHeight * 2 : kHeight}) Put(out, v, 4);
  Put(out, 1, 2);
  Put(out, 32, 2);
  out.resize(40, 0);
  for (int y = kHeight - 1; y >= 0; --y) {
    for (int x = 0; x < kWidth; ++x) Put(out, Design(x, y) | (icon ? 0xFF000000u : 0), 4);
  }
  if (icon) out.resize(out.size() + ((kWidth + 31) / 32) * 4 * kHeight, 0);  // all opaque
  return out;
}

// A bitmap file, or an icon file with one 32-bit image, around the DIB.
std::string WriteDib(const std::string& path, bool icon) {
  const Bytes dib = DibOfDesign(icon);
  Bytes out;
  if (icon) {
    for (const uint32_t v : {0, 1, 1}) Put(out, v, 2);
    for (const uint32_t v : {kWidth, kHeight, 0, 0}) Put(out, v, 1);
    for (const uint32_t v : {1, 32}) Put(out, v, 2);
    for (const uint32_t v : {static_cast<uint32_t>(dib.size()), 6u + 16u}) Put(out, v, 4);
  } else {
    out = {'B', 'M'};
    for (const uint32_t v : {static_cast<uint32_t>(14 + dib.size()), 0u, 14u + 40u}) Put(out, v, 4);
  }
  out.insert(out.end(), dib.begin(), dib.end());
  return WriteBytes(path, out) ? "" : "cannot write";
}

void DrawDesign(HDC dc) {
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const uint32_t c = Design(x, y);
      const RECT r{x, y, x + 1, y + 1};
      const qrx::win32::ScopedBrush brush(
          CreateSolidBrush(RGB(c >> 16, (c >> 8) & 0xFF, c & 0xFF)));
      FillRect(dc, &r, brush.Get());
    }
  }
}

std::string WriteEmf(const std::string& path) {
  const qrx::win32::ScopedWindowDc screen;
  // The frame in 0.01 mm: the picture's pixels on the screen.
  const RECT frame{0, 0, MulDiv(kWidth, 2540, GetDeviceCaps(screen.Get(), LOGPIXELSX)),
                   MulDiv(kHeight, 2540, GetDeviceCaps(screen.Get(), LOGPIXELSY))};
  HDC dc = CreateEnhMetaFileW(nullptr, Wide(path).c_str(), &frame, nullptr);
  if (dc == nullptr) return "no metafile";
  DrawDesign(dc);
  HENHMETAFILE emf = CloseEnhMetaFile(dc);
  return emf != nullptr && DeleteEnhMetaFile(emf) ? "" : "cannot write";
}

std::string WriteWmf(const std::string& path) {
  HDC dc = CreateMetaFileW(nullptr);
  if (dc == nullptr) return "no metafile";
  SetWindowExtEx(dc, kWidth, kHeight, nullptr);
  DrawDesign(dc);
  HMETAFILE wmf = CloseMetaFile(dc);
  Bytes bits(GetMetaFileBitsEx(wmf, 0, nullptr));
  GetMetaFileBitsEx(wmf, static_cast<UINT>(bits.size()), bits.data());
  DeleteMetaFile(wmf);
  // The placeable header: 96 units per inch, one unit a pixel at 96 dots per inch.
  Bytes out;
  Put(out, 0x9AC6CDD7, 4);
  for (const uint32_t v : {0, 0, 0, kWidth, kHeight, 96}) Put(out, v, 2);
  Put(out, 0, 4);
  uint16_t checksum = 0;
  for (size_t i = 0; i < out.size(); i += 2) checksum ^= out[i] | (out[i + 1] << 8);
  Put(out, checksum, 2);
  out.insert(out.end(), bits.begin(), bits.end());
  return WriteBytes(path, out) ? "" : "cannot write";
}

// PNG, JPEG or GIF through the system's encoders; GIF frames take 8-bit indexed pixels.
std::string WriteWithCodec(const std::string& path, const GUID& container) {
  const bool indexed = container == GUID_ContainerFormatGif;
  ComPtr<IWICImagingFactory> factory;
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapEncoder> encoder;
  ComPtr<IWICBitmapFrameEncode> frame;
  ComPtr<IPropertyBag2> options;
  ComPtr<IWICPalette> palette;
  GUID format = indexed ? GUID_WICPixelFormat8bppIndexed : GUID_WICPixelFormat24bppBGR;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              __uuidof(IWICImagingFactory), factory.PutVoid())) ||
      FAILED(factory->CreateStream(stream.Put())) ||
      FAILED(stream->InitializeFromFilename(Wide(path).c_str(), GENERIC_WRITE)) ||
      FAILED(factory->CreateEncoder(container, nullptr, encoder.Put())) ||
      FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) ||
      FAILED(encoder->CreateNewFrame(frame.Put(), options.Put())) ||
      FAILED(frame->Initialize(options.Get())) || FAILED(frame->SetSize(kWidth, kHeight)) ||
      FAILED(frame->SetPixelFormat(&format)) ||
      format != (indexed ? GUID_WICPixelFormat8bppIndexed : GUID_WICPixelFormat24bppBGR)) {
    return "no encoder for these pixels";
  }
  WICColor colours[3] = {0xFF000000u | kKey, 0xFF000000u | kRed, 0xFF000000u | kBlue};
  if (indexed &&
      (FAILED(factory->CreatePalette(palette.Put())) ||
       FAILED(palette->InitializeCustom(colours, 3)) || FAILED(frame->SetPalette(palette.Get())))) {
    return "no palette";
  }
  const UINT stride = indexed ? kWidth : (kWidth * 3 + 3) / 4 * 4;
  Bytes pixels;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const uint32_t c = Design(x, y);
      if (indexed) Put(pixels, c == kKey ? 0 : c == kRed ? 1 : 2, 1);
      if (!indexed) Put(pixels, c, 3);
    }
    pixels.resize(static_cast<size_t>(y + 1) * stride, 0);
  }
  if (FAILED(
          frame->WritePixels(kHeight, stride, static_cast<UINT>(pixels.size()), pixels.data())) ||
      FAILED(frame->Commit()) || FAILED(encoder->Commit())) {
    return "writing failed";
  }
  return "";
}

// Size, the key colour in the frame and the two halves, within `tolerance` per component
// (JPEG blurs colours at edges).
std::string Compare(const std::string& path, int tolerance) {
  const auto picture = qrx::win32::LoadPictureFile(qrx::Utf8ToUtf16(path), 0x808080);
  if (!picture) return "did not load";
  if (picture->width != kWidth || picture->height != kHeight) {
    return "size " + std::to_string(picture->width) + "x" + std::to_string(picture->height);
  }
  for (const auto& [x, y] : {std::pair{0, 0}, {1, 15}, {10, 15}, {30, 15}, {20, 28}}) {
    const uint32_t got = picture->At(x, y), want = Design(x, y);
    int distance = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
      distance = std::max(distance, std::abs(int(got >> shift & 0xFF) - int(want >> shift & 0xFF)));
    }
    if (distance > tolerance) {
      char why[80];
      std::snprintf(why, sizeof why, "pixel (%d, %d) is %06X", x, y, picture->At(x, y));
      return why;
    }
  }
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return std::fputs("usage: picture_check FOLDER\n", stderr), 2;
  const qrx::win32::ScopedComInit com;
  const std::string folder = std::string(argv[1]) + "\\";
  const struct {
    const char* file;
    std::string (*write)(const std::string& path);
    int tolerance;
  } kinds[] = {
      {"p.bmp", [](const std::string& p) { return WriteDib(p, false); }, 0},
      {"p.ico", [](const std::string& p) { return WriteDib(p, true); }, 0},
      {"p.emf", WriteEmf, 0},
      {"p.wmf", WriteWmf, 0},
      {"p.png", [](const std::string& p) { return WriteWithCodec(p, GUID_ContainerFormatPng); }, 0},
      {"p.gif", [](const std::string& p) { return WriteWithCodec(p, GUID_ContainerFormatGif); }, 0},
      {"p.jpg", [](const std::string& p) { return WriteWithCodec(p, GUID_ContainerFormatJpeg); },
       90}};
  int failed = 0;
  auto report = [&](const std::string& name, const std::string& problem) {
    failed += problem.empty() ? 0 : 1;
    std::printf(problem.empty() ? "ok %s\n" : "FAIL %s: %s\n", name.c_str(), problem.c_str());
  };
  for (const auto& k : kinds) {
    const std::string path = folder + k.file, written = k.write(path);
    report(k.file, written.empty() ? Compare(path, k.tolerance) : "cannot make it: " + written);
  }
  const std::string junk = "BM this is not a picture, this is not a picture, nor is this";
  WriteBytes(folder + "junk.bmp", Bytes(junk.begin(), junk.end()));
  for (const char* name : {"none.bmp", "", "junk.bmp"}) {
    const bool loaded = qrx::win32::LoadPictureFile(qrx::Utf8ToUtf16(folder + name), 0).has_value();
    report(std::string("no picture: ") + name, loaded ? "loaded" : "");
  }
  return failed == 0 ? 0 : 1;
}
