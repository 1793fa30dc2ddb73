// Checks quorix's picture loader on the system it runs on: writes a picture in each format
// the skins may use (bitmap, icon, placeable and enhanced metafile, PNG, JPEG, GIF) into a
// folder, loads each one with the loader, and compares its size and its colours.
//
// usage: picture_check FOLDER
// Prints one line per format, "ok NAME WIDTH HEIGHT" or "FAIL NAME: why", then a summary
// "N passed, N failed". Exit code: 0 all passed, 1 a check failed, 2 usage.
#ifdef _WIN32
// <windows.h> must come before the headers that build on it.
// clang-format off
#include <windows.h>
#include <objbase.h>
#include <wincodec.h>
// clang-format on
#endif

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#ifndef _WIN32

int main() {
  std::fputs("picture_check: not on Windows\n", stderr);
  return 77;
}

#else

#include "base/text.h"
#include "platform/win32/win32_picture.h"

namespace {

constexpr GUID kImagingFactory = {
    0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
constexpr GUID kPng = {
    0x1b7cfaf4, 0x713f, 0x473c, {0xbb, 0xcd, 0x61, 0x37, 0x42, 0x5f, 0xae, 0xaf}};
constexpr GUID kJpeg = {
    0x19e4a5aa, 0x5662, 0x4fc5, {0xa0, 0xc0, 0x17, 0x58, 0x02, 0x8e, 0x10, 0x57}};
constexpr GUID kGif = {
    0x1f8a5601, 0x7d4d, 0x4cbd, {0x9c, 0x82, 0x1b, 0xc8, 0xd4, 0xee, 0xb9, 0xa5}};
constexpr GUID kBgr24 = {
    0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0c}};
constexpr GUID kIndexed8 = {
    0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x04}};

// The test picture: a key-coloured frame around a red left half and a blue right half.
constexpr int kWidth = 40;
constexpr int kHeight = 30;
constexpr uint32_t kKey = 0xFF00FF;
constexpr uint32_t kRed = 0xE01010;
constexpr uint32_t kBlue = 0x1020E0;
constexpr uint32_t kBackground = 0x808080;

uint32_t Design(int x, int y) {
  if (x < 4 || y < 4 || x >= kWidth - 4 || y >= kHeight - 4) return kKey;
  return x < kWidth / 2 ? kRed : kBlue;
}

int passed = 0;
int failed = 0;

void Report(const std::string& name, const std::string& problem, int width, int height) {
  if (problem.empty()) {
    ++passed;
    std::printf("ok %s %d %d\n", name.c_str(), width, height);
  } else {
    ++failed;
    std::printf("FAIL %s: %s\n", name.c_str(), problem.c_str());
  }
  std::fflush(stdout);
}

std::wstring Wide(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// A BITMAPINFOHEADER and bottom-up pixels of the design; `icon` doubles the height and adds
// the AND mask, as icon files keep them.
std::vector<uint8_t> DibOfDesign(bool icon) {
  std::vector<uint8_t> out;
  Put32(out, 40);
  Put32(out, kWidth);
  Put32(out, icon ? kHeight * 2 : kHeight);
  Put16(out, 1);
  Put16(out, 32);
  for (int i = 0; i < 6; ++i) Put32(out, 0);
  for (int y = kHeight - 1; y >= 0; --y) {
    for (int x = 0; x < kWidth; ++x) {
      const uint32_t c = Design(x, y);
      out.push_back(static_cast<uint8_t>(c));
      out.push_back(static_cast<uint8_t>(c >> 8));
      out.push_back(static_cast<uint8_t>(c >> 16));
      out.push_back(icon ? 0xFF : 0);
    }
  }
  if (icon) {
    const size_t mask_row = ((kWidth + 31) / 32) * 4;
    out.insert(out.end(), mask_row * kHeight, 0);  // all opaque
  }
  return out;
}

bool WriteBmp(const std::string& path) {
  const std::vector<uint8_t> dib = DibOfDesign(false);
  std::vector<uint8_t> out{'B', 'M'};
  Put32(out, static_cast<uint32_t>(14 + dib.size()));
  Put32(out, 0);
  Put32(out, 14 + 40);
  out.insert(out.end(), dib.begin(), dib.end());
  return WriteBytes(path, out);
}

bool WriteIco(const std::string& path) {
  const std::vector<uint8_t> dib = DibOfDesign(true);
  std::vector<uint8_t> out;
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, 1);
  out.push_back(kWidth);
  out.push_back(kHeight);
  out.push_back(0);
  out.push_back(0);
  Put16(out, 1);
  Put16(out, 32);
  Put32(out, static_cast<uint32_t>(dib.size()));
  Put32(out, 6 + 16);
  out.insert(out.end(), dib.begin(), dib.end());
  return WriteBytes(path, out);
}

void DrawDesign(HDC dc) {
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const uint32_t c = Design(x, y);
      RECT r{x, y, x + 1, y + 1};
      HBRUSH b = CreateSolidBrush(RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF));
      FillRect(dc, &r, b);
      DeleteObject(b);
    }
  }
}

bool WriteEmf(const std::string& path) {
  HDC screen = GetDC(nullptr);
  const int dpi_x = GetDeviceCaps(screen, LOGPIXELSX);
  const int dpi_y = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  // The frame in 0.01 mm: the picture's pixels on the screen.
  RECT frame{0, 0, MulDiv(kWidth, 2540, dpi_x), MulDiv(kHeight, 2540, dpi_y)};
  HDC dc = CreateEnhMetaFileW(nullptr, Wide(path).c_str(), &frame, nullptr);
  if (dc == nullptr) return false;
  DrawDesign(dc);
  HENHMETAFILE emf = CloseEnhMetaFile(dc);
  if (emf == nullptr) return false;
  DeleteEnhMetaFile(emf);
  return true;
}

bool WriteWmf(const std::string& path) {
  HDC dc = CreateMetaFileW(nullptr);
  if (dc == nullptr) return false;
  SetWindowExtEx(dc, kWidth, kHeight, nullptr);
  DrawDesign(dc);
  HMETAFILE wmf = CloseMetaFile(dc);
  if (wmf == nullptr) return false;
  const UINT size = GetMetaFileBitsEx(wmf, 0, nullptr);
  std::vector<uint8_t> bits(size);
  GetMetaFileBitsEx(wmf, size, bits.data());
  DeleteMetaFile(wmf);
  // The placeable header: 96 units per inch, so one unit is one pixel at 96 dots per inch.
  std::vector<uint8_t> out;
  Put32(out, 0x9AC6CDD7);
  Put16(out, 0);
  const uint16_t box[4] = {0, 0, kWidth, kHeight};
  for (const uint16_t v : box) Put16(out, v);
  Put16(out, 96);
  Put32(out, 0);
  uint16_t checksum = 0;
  for (size_t i = 0; i < out.size(); i += 2) checksum ^= out[i] | (out[i + 1] << 8);
  Put16(out, checksum);
  out.insert(out.end(), bits.begin(), bits.end());
  return WriteBytes(path, out);
}

template <typename T>
struct Com {
  T* p = nullptr;
  ~Com() {
    if (p != nullptr) p->Release();
  }
  T* operator->() const { return p; }
};

// PNG, JPEG or GIF through the system's encoders; GIF frames take 8-bit indexed pixels.
std::string WriteWithCodec(const std::string& path, const GUID& container, bool indexed) {
  Com<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(kImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              __uuidof(IWICImagingFactory),
                              reinterpret_cast<void**>(&factory.p)))) {
    return "no imaging factory";
  }
  Com<IWICStream> stream;
  Com<IWICBitmapEncoder> encoder;
  Com<IWICBitmapFrameEncode> frame;
  Com<IPropertyBag2> options;
  if (FAILED(factory->CreateStream(&stream.p)) ||
      FAILED(stream->InitializeFromFilename(Wide(path).c_str(), GENERIC_WRITE)) ||
      FAILED(factory->CreateEncoder(container, nullptr, &encoder.p)) ||
      FAILED(encoder->Initialize(stream.p, WICBitmapEncoderNoCache)) ||
      FAILED(encoder->CreateNewFrame(&frame.p, &options.p)) ||
      FAILED(frame->Initialize(options.p)) || FAILED(frame->SetSize(kWidth, kHeight))) {
    return "no encoder";
  }
  GUID format = indexed ? kIndexed8 : kBgr24;
  if (FAILED(frame->SetPixelFormat(&format)) || format != (indexed ? kIndexed8 : kBgr24)) {
    return "the encoder takes other pixels";
  }
  std::vector<BYTE> pixels;
  UINT stride = 0;
  if (indexed) {
    const uint32_t colours[3] = {kKey, kRed, kBlue};
    WICColor palette[3];
    for (int i = 0; i < 3; ++i) palette[i] = 0xFF000000u | colours[i];
    Com<IWICPalette> wic_palette;
    if (FAILED(factory->CreatePalette(&wic_palette.p)) ||
        FAILED(wic_palette->InitializeCustom(palette, 3)) ||
        FAILED(frame->SetPalette(wic_palette.p))) {
      return "no palette";
    }
    stride = kWidth;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const uint32_t c = Design(x, y);
        pixels.push_back(c == kKey ? 0 : c == kRed ? 1 : 2);
      }
    }
  } else {
    stride = (kWidth * 3 + 3) / 4 * 4;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const uint32_t c = Design(x, y);
        pixels.push_back(static_cast<BYTE>(c));
        pixels.push_back(static_cast<BYTE>(c >> 8));
        pixels.push_back(static_cast<BYTE>(c >> 16));
      }
      pixels.resize(static_cast<size_t>(y + 1) * stride, 0);
    }
  }
  if (FAILED(
          frame->WritePixels(kHeight, stride, static_cast<UINT>(pixels.size()), pixels.data())) ||
      FAILED(frame->Commit()) || FAILED(encoder->Commit())) {
    return "writing failed";
  }
  return "";
}

int Distance(uint32_t a, uint32_t b) {
  int worst = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int d =
        std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
    if (d > worst) worst = d;
  }
  return worst;
}

// Loads the file and compares it with the design: size, the key colour at the top-left
// pixel, the two halves (within `tolerance` per component: JPEG blurs colours at edges).
void Check(const std::string& name, const std::string& path, int tolerance) {
  const auto picture = qrx::win32::LoadPictureFile(qrx::Utf8ToUtf16(path), kBackground);
  if (!picture) return Report(name, "did not load", 0, 0);
  char why[160] = "";
  if (picture->width != kWidth || picture->height != kHeight) {
    std::snprintf(why, sizeof why, "size %dx%d, not %dx%d", picture->width, picture->height, kWidth,
                  kHeight);
  } else {
    const struct {
      int x, y;
      uint32_t want;
    } probes[] = {{0, 0, kKey}, {1, 15, kKey}, {10, 15, kRed}, {30, 15, kBlue}, {20, 28, kKey}};
    for (const auto& p : probes) {
      const uint32_t got = picture->At(p.x, p.y);
      if (Distance(got, p.want) > tolerance) {
        std::snprintf(why, sizeof why, "pixel (%d, %d) is %06X, not %06X", p.x, p.y, got, p.want);
        break;
      }
    }
  }
  Report(name, why, picture->width, picture->height);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: picture_check FOLDER\n", stderr);
    return 2;
  }
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const std::string folder = std::string(argv[1]) + "\\";
  struct Kind {
    const char* name;
    const char* file;
    int tolerance;
  };
  const Kind kinds[] = {{"bitmap", "p.bmp", 0}, {"icon", "p.ico", 0}, {"emf", "p.emf", 0},
                        {"wmf", "p.wmf", 0},    {"png", "p.png", 0},  {"gif", "p.gif", 0},
                        {"jpeg", "p.jpg", 90}};
  for (const Kind& k : kinds) {
    const std::string path = folder + k.file;
    std::string written;
    const std::string name = k.name;
    if (name == "bitmap") written = WriteBmp(path) ? "" : "cannot write";
    if (name == "icon") written = WriteIco(path) ? "" : "cannot write";
    if (name == "emf") written = WriteEmf(path) ? "" : "cannot write";
    if (name == "wmf") written = WriteWmf(path) ? "" : "cannot write";
    if (name == "png") written = WriteWithCodec(path, kPng, false);
    if (name == "gif") written = WriteWithCodec(path, kGif, true);
    if (name == "jpeg") written = WriteWithCodec(path, kJpeg, false);
    if (!written.empty()) {
      Report(name, "cannot make the test file: " + written, 0, 0);
      continue;
    }
    Check(name, path, k.tolerance);
  }
  // Nothing to load: the loader says so instead of failing later.
  const bool missing = !qrx::win32::LoadPictureFile(qrx::Utf8ToUtf16(folder + "none.bmp"), 0);
  Report("missing file", missing ? "" : "a missing file loaded", 0, 0);
  const bool folder_itself = !qrx::win32::LoadPictureFile(qrx::Utf8ToUtf16(folder), 0);
  Report("folder", folder_itself ? "" : "a folder loaded", 0, 0);
  std::printf("%d passed, %d failed\n", passed, failed);
  CoUninitialize();
  return failed == 0 ? 0 : 1;
}

#endif
