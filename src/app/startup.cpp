#include "app/startup.h"

#include "base/path_text.h"
#include "base/setting_values.h"
#include "base/text.h"
#include "base/to_integer.h"
#include "commands/registry.h"
#include "commands/settings/set_table.h"
#include "core/config_paths.h"
#include "core/context.h"
#include "core/ini_access.h"
#include "core/message_catalogue.h"
#include "core/skin_file.h"
#include "core/system_paths.h"
#include "interpreter/answer.h"
#include "interpreter/interpreter_start.h"
#include "interpreter/keys.h"
#include "interpreter/window_position.h"
#include "ui/main_window.h"
#include "ui/skin_surfaces.h"

namespace qrx {
namespace {

// A version text as a whole number of hundredths ("0.50" -> 50); text that is not a
// number counts as 0, an old file of unknown version.
int16_t VersionHundredths(std::u16string_view text) {
  const double value = ParseNumericText(text).value_or(0.0) * 100.0;
  const double rounded = RoundHalfEven(value);
  if (!(rounded >= -32768.0)) return -32768;
  if (rounded > 32767.0) return 32767;
  return static_cast<int16_t>(rounded);
}

void InfoBox(Context& ctx, std::u16string_view text) {
  ctx.ui.MessageBox(text, ctx.app.product_name, mb::kOk | mb::kIconInformation);
}

// True when the window has become the skinned one: the skin's picture is found by a path
// search and loads, on a Windows with layered windows (major version 5 or later). A picture
// that is there but cannot be loaded counts as missing.
bool ChooseSkinnedWindow(Context& ctx, std::u16string_view skin, const SkinnedWindowOffer* offer) {
  if (!SkinImageExists(ctx, skin) || ctx.os.WindowsMajorVersion() <= 4) return false;
  if (offer == nullptr) return false;
  if (!offer->surfaces.picture.LoadPicture(StartUpPicturePath(ctx, skin))) return false;
  offer->window.UseSkin(offer->surfaces);
  return true;
}

void MakeLinkFile(Context& ctx) {
  if (!ctx.os.FileExists(ctx.paths.link_list)) ctx.os.WriteFile(ctx.paths.link_list, "");
}

}  // namespace

void CheckVersion(Context& ctx) {
  const int16_t stored =
      VersionHundredths(ReadIni(ctx, u"SYSTEM", u"Version", u"0.10", ctx.paths.config));
  const int16_t running = VersionHundredths(ctx.app.version);
  if (stored == running) return;
  if (stored < running && stored != 10) {
    MergeMessages(ctx, ctx.paths.message);
    InfoBox(ctx, BoxText(ctx, u"BOX_UPGRADE"));
    MoveOldWindowPos(ctx, stored);
  } else if (running < stored) {
    InfoBox(ctx, BoxText(ctx, u"BOX_DOWNGRADE"));
  } else {
    // The notice only once the file really holds something: a configuration in a folder that
    // does not exist has had its write-failure box instead.
    if (WriteIni(ctx, u"SYSTEM", u"Version", ctx.app.version, ctx.paths.config)) {
      InfoBox(ctx, BoxText(ctx, u"BOX_NEWFILE", ctx.paths.config));
    }
    return;
  }
  WriteIni(ctx, u"SYSTEM", u"Version", ctx.app.version, ctx.paths.config);
}

void StartUp(Context& ctx, std::u16string_view argument, const SkinnedWindowOffer* skins,
             std::u16string_view data_folder) {
  ctx.interp.commands = CommandTable();
  ctx.interp.set_names = SetNames();
  ctx.app.version = Decimal(QRX_VERSION_MAJOR) + u"." + Decimal(QRX_VERSION_MINOR);
  const char16_t sep = ctx.os.PathSeparator();
  const std::u16string program_dir = ctx.os.ProgramDirectory();
  ctx.paths = DeriveConfigPaths(ChooseConfigPath(argument, program_dir, sep), program_dir, sep);
  if (!data_folder.empty() && !ctx.os.FileExists(ctx.paths.default_messages)) {
    ctx.paths.default_messages = AddBackslash(data_folder, sep) + u"DEF.MSG";
  }
  ctx.settings.pos_type = ToInteger(ReadIni(ctx, u"SYSTEM", u"PosType", u"0", ctx.paths.config));
  const std::u16string skin = ReadIni(ctx, u"SYSTEM", u"SKIN", u"", ctx.paths.config);
  if (ChooseSkinnedWindow(ctx, skin, skins)) {
    ctx.main_form->ApplySkin(skin, true);  // lays the window out and shows it
  } else {
    RestoreWindowPosition(ctx);
  }
  ctx.settings.debug =
      ToByte(ReadIni(ctx, u"SYSTEM", u"DEBUG", u"0", ctx.paths.config)).value_or(0);
  // In debug mode the window reacts to neither the hot key nor the tray icon.
  ctx.main_form->SetServicesInstalled(ctx.settings.debug != 1);
  ctx.main_form->SetCountdown(-2);
  ctx.settings.move = 1;
  MakeLinkFile(ctx);
  MakeMessageFile(ctx);
  CheckVersion(ctx);
  if (ctx.settings.debug != 1) RegisterActiveKey(ctx);
  WindowSurface& window = ctx.main_form->Surface();
  window.ShowWindow();
  const bool tray_added = window.AddTrayIcon(TrayTooltip(ctx, u""));
  StartInterpreter(ctx);
  // After the greeting, so that it is not covered at once.
  if (!tray_added) ShowAnswer(ctx, u"SYSTEM_TRAY-ERR", ctx.answer.error_time);
  ReportRefusedActiveKey(ctx);
}
}  // namespace qrx
