#include "fake/harness.h"

#include "app/startup.h"
#include "interpreter/dispatcher.h"

namespace qrx::test {

void Instance::PutDefaultMessages(std::u16string_view text) {
  os.PutFile(os.program_directory + os.separator + u"DEF.MSG", os.ToAnsi(text));
}

void Instance::Start(std::u16string_view argument) {
  try {
    StartUp(ctx, argument, &skins);
  } catch (const AppEnding&) {
  }
}

void Instance::StartWith(std::string_view config) {
  os.PutFile(u"C:\\cfg\\QRX_CORE.INI", config);
  Start(u"C:\\cfg\\QRX_CORE.INI");
}

void Instance::Type(std::u16string_view line) {
  ui.command = std::u16string(line);
  try {
    window.OnEnter();
  } catch (const AppEnding&) {
  }
}

std::u16string Instance::Config(std::u16string_view section, std::u16string_view key) {
  return os.ProfileGetString(section, key, u"(missing)", ctx.paths.config);
}

}  // namespace qrx::test
