// One complete quorix instance on the fake platform, for tests that drive it as a user would.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/startup.h"
#include "core/context.h"
#include "fake/fake_platform.h"
#include "fake/fake_skin.h"
#include "fake/fake_ui.h"
#include "ui/main_window.h"
#include "ui/skin_surfaces.h"

namespace qrx::test {

struct Instance {
  FakePlatform os;
  FakeUi ui{os};
  Context ctx{os, ui};
  MainWindow window{ctx, ui};
  FakeSkin skin{ui};
  SkinnedWindowOffer skins{window, {skin, skin}};

  Instance() { ctx.main_form = &window; }

  // Writes the message catalogue (UTF-8 text here, stored as code page 932) where start-up
  // expects DEF.MSG, so that answers show catalogue texts.
  void PutDefaultMessages(std::u16string_view text);
  // Start-up with the given command-line argument.
  void Start(std::u16string_view argument = u"");
  // Start-up on C:\cfg\QRX_CORE.INI holding the given bytes.
  void StartWith(std::string_view config);
  // Types a line into the command box and presses Enter.
  void Type(std::u16string_view line);
  // Reads a value straight from the configuration file.
  std::u16string Config(std::u16string_view section, std::u16string_view key);
};

// Fixture: an instance started on C:\cfg\QRX_CORE.INI with the given default catalogue; what
// start-up answered, showed in boxes and asked of the platform is forgotten.
class StartedTest : public ::testing::Test {
 protected:
  static constexpr char16_t kConfig[] = u"C:\\cfg\\QRX_CORE.INI";
  explicit StartedTest(std::u16string_view messages) {
    q.PutDefaultMessages(messages);
    q.Start(kConfig);
    q.ui.answers.clear();
    q.ui.boxes.clear();
    q.os.calls.clear();
  }
  Instance q;
};

}  // namespace qrx::test
