#include "interpreter/window_position.h"

#include "base/setting_values.h"
#include "base/text.h"
#include "core/context.h"
#include "core/ini_access.h"

namespace qrx {
namespace {

// A 32-bit position key; a value that is not a number counts as missing.
int32_t ReadPosition(Context& ctx, std::u16string_view key, int32_t def) {
  return ToInt32(ReadIni(ctx, u"SYSTEM", key, Decimal(def), ctx.paths.config)).value_or(def);
}

}  // namespace

void RestoreWindowPosition(Context& ctx) {
  WindowSurface& w = ctx.main_form->Surface();
  // The width first: with PosType 1 the stored point is the middle of the bottom edge, so
  // the left edge depends on the width the window will have, not the one it has now.
  if (ctx.main_form->Kind() == WindowKind::kPlain) {
    const WindowRect before = w.NormalRect();
    const int32_t tpp = w.TwipsPerPixelX();
    const int32_t twips =
        ReadPosition(ctx, u"WW", HoldCoordinate((int64_t{before.right} - before.left) * tpp));
    if (twips > 0) w.SetWindowWidth(twips / tpp);
  }
  const WindowRect r = w.NormalRect();
  const int64_t width = int64_t{r.right} - r.left;
  const int64_t height = int64_t{r.bottom} - r.top;
  int32_t x = ReadPosition(ctx, u"PX", 0);
  int32_t y = ReadPosition(ctx, u"PY", 0);
  if (ctx.settings.pos_type == 1) {
    x = HoldCoordinate(x - width / 2);
    y = HoldCoordinate(y - height);
  }
  w.MoveWindowTo(x, y);
}

bool SaveWindowPosition(Context& ctx) {
  WindowSurface& w = ctx.main_form->Surface();
  const WindowRect r = w.NormalRect();
  const int64_t width = int64_t{r.right} - r.left;
  int32_t x = r.left;
  int32_t y = r.top;
  if (ctx.settings.pos_type == 1) {
    x = HoldCoordinate(r.left + width / 2);
    y = r.bottom;
  }
  const bool x_saved = WriteIni(ctx, u"SYSTEM", u"PX", Decimal(x), ctx.paths.config);
  const bool y_saved = WriteIni(ctx, u"SYSTEM", u"PY", Decimal(y), ctx.paths.config);
  const bool w_saved = WriteIni(
      ctx, u"SYSTEM", u"WW", Decimal(HoldCoordinate(width * w.TwipsPerPixelX())), ctx.paths.config);
  return x_saved && y_saved && w_saved;
}

void MoveOldWindowPos(Context& ctx, int16_t stored_version) {
  if (stored_version >= 34) return;
  WindowSurface& w = ctx.main_form->Surface();
  const int32_t tpp = w.TwipsPerPixelX();
  const WindowRect r = w.NormalRect();
  const int32_t left = ReadPosition(ctx, u"WX", HoldCoordinate(int64_t{r.left} * tpp));
  const int32_t top = ReadPosition(ctx, u"WY", HoldCoordinate(int64_t{r.top} * tpp));
  const int32_t width = ReadPosition(ctx, u"WW", HoldCoordinate((int64_t{r.right} - r.left) * tpp));
  w.MoveWindowTo(left / tpp, top / tpp);
  if (width > 0) w.SetWindowWidth(width / tpp);
  SaveWindowPosition(ctx);
  WriteIni(ctx, u"SYSTEM", u"WX", u"", ctx.paths.config);
  WriteIni(ctx, u"SYSTEM", u"WY", u"", ctx.paths.config);
}

}  // namespace qrx
