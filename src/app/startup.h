// Start-up and exit of a quorix instance.
#pragma once

#include <string_view>

#include "ui/skin_surfaces.h"

namespace qrx {

struct Context;
class MainWindow;

// What a host that can show skins offers: its main window (ctx.main_form) and the surfaces
// of the skinned layout.
struct SkinnedWindowOffer {
  MainWindow& window;
  SkinSurfaces surfaces;
};

// The start-up sequence, up to the greeting "SYSTEM_START". The host has made the main
// window (ctx.main_form) before; `argument` is the whole command-line argument. Hands the
// command table to the context first. The window becomes the skinned one when the host
// offers it and the configured skin's picture exists and loads, on a Windows newer than
// major version 4. `data_folder`: where DEF.MSG is when it is not beside the program (an
// installed program keeps its data apart from it).
void StartUp(Context& ctx, std::u16string_view argument, const SkinnedWindowOffer* skins = nullptr,
             std::u16string_view data_folder = {});

// Compares the version stored in the configuration with the running one and tells the user.
void CheckVersion(Context& ctx);
}  // namespace qrx
