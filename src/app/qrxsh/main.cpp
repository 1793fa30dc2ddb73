// qrxsh: the line runner. Runs quorix's start-up with a headless main window, then each
// line of standard input as if typed into the command box and confirmed with Enter.
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include "platform/win32/win32_api.h"
#endif

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/qrxsh/headless_window.h"
#include "app/startup.h"
#include "base/text.h"
#include "core/context.h"
#include "interpreter/dispatcher.h"
#include "platform/os_platform.h"
#include "ui/main_window.h"
#include "ui/skin_surfaces.h"

namespace {

// The whole argument text, unsplit and with its quotes, as the configuration rule wants it.
std::u16string CommandLineArgument([[maybe_unused]] int argc, [[maybe_unused]] char** argv) {
#ifdef _WIN32
  const wchar_t* p = GetCommandLineW();
  bool quoted = false;
  for (; *p != 0 && (quoted || (*p != L' ' && *p != L'\t')); ++p) {
    if (*p == L'"') quoted = !quoted;
  }
  while (*p == L' ' || *p == L'\t') ++p;
  return std::u16string(reinterpret_cast<const char16_t*>(p));
#else
  std::string joined;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) joined += ' ';
    joined += argv[i];
  }
  return qrx::Utf8ToUtf16(joined);
#endif
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stdin), _O_BINARY);
#endif
  auto os = qrx::CreateOsPlatform();
  qrx::HeadlessWindow host(stdout, *os);
  // For measurements: QRXSH_TICK_LOG names a file that gets the time of every tick.
  std::FILE* tick_log = nullptr;
  if (const char* path = std::getenv("QRXSH_TICK_LOG"); path != nullptr && *path != 0) {
    tick_log = std::fopen(path, "w");
    host.LogTicksTo(tick_log);
  }
  qrx::Context ctx(*os, host);
  qrx::MainWindow window(ctx, host);
  ctx.main_form = &window;
  const qrx::SkinnedWindowOffer skins{window, {host, host}};
  try {
    qrx::StartUp(ctx, CommandLineArgument(argc, argv), &skins);
  } catch (const qrx::AppEnding&) {
    return 0;  // the start-up alias ended the program
  }
  host.Run(ctx, window);
  if (tick_log != nullptr) std::fclose(tick_log);
  return 0;
}
