#include "core/skin_file.h"

#include "base/path_text.h"
#include "base/setting_values.h"
#include "core/context.h"
#include "core/ini_access.h"
#include "core/system_paths.h"

namespace qrx {
namespace {

int32_t ReadNumber(Context& ctx, std::u16string_view skin, std::u16string_view key) {
  return ToInt32(ReadIni(ctx, skin, key, u"0", ctx.paths.skin)).value_or(0);
}

}  // namespace

std::u16string SkinPicturePath(Context& ctx, std::u16string_view file) {
  const char16_t sep = ctx.os.PathSeparator();
  return DirPart(ctx.paths.skin, sep) + sep + std::u16string(file);
}

std::u16string StartUpPicturePath(Context& ctx, std::u16string_view skin) {
  return SkinPicturePath(ctx, ReadIni(ctx, skin, u"FileName", u"0", ctx.paths.skin));
}

bool SkinImageExists(Context& ctx, std::u16string_view skin) {
  return !FindOnSearchPath(ctx, StartUpPicturePath(ctx, skin)).empty();
}

SkinEntry ReadSkin(Context& ctx, std::u16string_view name) {
  SkinEntry entry;
  entry.name = std::u16string(name);
  entry.file = ReadIni(ctx, entry.name, u"FileName", u"", ctx.paths.skin);
  if (entry.file.empty()) {
    entry.name = ReadIni(ctx, u"SYSTEM", u"SKIN", u"", ctx.paths.config);
    entry.file = ReadIni(ctx, entry.name, u"FileName", u"", ctx.paths.skin);
  }
  SkinNumbers& n = entry.numbers;
  n.frx = ReadNumber(ctx, entry.name, u"FRX");
  n.fry = ReadNumber(ctx, entry.name, u"FRY");
  n.flx = ReadNumber(ctx, entry.name, u"FLX");
  n.fly = ReadNumber(ctx, entry.name, u"FLY");
  n.iy = ReadNumber(ctx, entry.name, u"IY");
  n.iw = ReadNumber(ctx, entry.name, u"IW");
  return entry;
}

}  // namespace qrx
