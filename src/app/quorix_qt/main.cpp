// quorix on the Linux desktop: the launcher window on Qt, over the same core as quorix.exe.
// One main window (plain, or skinned with its balloon), the popup boxes, the start-up and
// the event loop; the process ends when the loop does.
//
//   quorix [configuration]          the configuration file (default:
//                                   ~/.config/quorix/QRX_CORE.INI, made on the first start)
//   quorix --show [configuration]   brings the running copy of that configuration to the
//                                   front and ends (for desktops where keys cannot be grabbed)
#include <QApplication>
#include <QClipboard>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <unistd.h>
#include <memory>
#include <string>

#include "app/startup.h"
#include "base/text.h"
#include "core/config_paths.h"
#include "core/context.h"
#include "interpreter/dispatcher.h"
#include "interpreter/keys.h"
#include "ui/main_window.h"
#include "ui/popup_boxes.h"
#include "ui/qt/global_keys.h"
#include "ui/qt/portal_shortcuts.h"
#include "ui/qt/qt_balloon.h"
#include "ui/qt/qt_host.h"
#include "ui/qt/qt_platform.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/qt_window.h"

namespace {

constexpr const char* kSamples[] = {"QRX_CORE.SKN", "NEKO.BMP", "KUMO.BMP"};

// The folders with DEF.MSG, the balloon pictures and the sample skins: beside the program,
// then the installed data folder (relative to the program first, so that an unpacked
// package works where it lies).
std::vector<QString> DataFolders() {
  const QString dir = QCoreApplication::applicationDirPath();
  return {dir, QDir::cleanPath(dir + QStringLiteral("/../share/quorix")),
          QStringLiteral(QRX_DATA_DIR)};
}

QString DataFolder(const std::vector<QString>& folders) {
  for (const QString& folder : folders) {
    if (QFile::exists(folder + QStringLiteral("/DEF.MSG"))) return folder;
  }
  return {};
}

// The default configuration, in the user's configuration folder. On its first use the
// sample skins are put beside it, where the skin description looks for its pictures.
QString DefaultConfiguration(const QString& data) {
  QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.config");
  const QString folder = base + QStringLiteral("/quorix");
  QDir().mkpath(folder);
  if (!data.isEmpty() && !QFile::exists(folder + QStringLiteral("/QRX_CORE.SKN"))) {
    for (const char* name : kSamples) {
      QFile::copy(data + QLatin1Char('/') + QLatin1String(name),
                  folder + QLatin1Char('/') + QLatin1String(name));
    }
  }
  return folder + QStringLiteral("/QRX_CORE.INI");
}

// The name under which the copy running a configuration answers --show: one per user and
// configuration file.
QString ShowServerName(const std::u16string& config) {
  const QByteArray hash =
      QCryptographicHash::hash(qrx::ToQ(config).toUtf8(), QCryptographicHash::Sha1).toHex();
  return QStringLiteral("quorix-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash.left(16)));
}

bool AskRunningCopyToShow(const QString& name) {
  QLocalSocket socket;
  socket.connectToServer(name);
  if (!socket.waitForConnected(1000)) return false;
  socket.write("show\n");
  socket.waitForBytesWritten(1000);
  socket.disconnectFromServer();
  return true;
}

// Listens for --show, unless another copy of the same configuration already does.
void ListenForShow(QLocalServer& server, const QString& name) {
  if (server.listen(name)) return;
  QLocalSocket probe;
  probe.connectToServer(name);
  if (probe.waitForConnected(200)) return;  // that copy answers
  QLocalServer::removeServer(name);         // left behind by a copy that ended abruptly
  server.listen(name);
}

}  // namespace

int main(int argc, char** argv) {
  bool show_only = false;
  std::string joined;
  for (int i = 1; i < argc; ++i) {
    if (i == 1 && std::string(argv[i]) == "--show") {
      show_only = true;
      continue;
    }
    if (!joined.empty()) joined += ' ';
    joined += argv[i];
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("quorix"));
  QApplication::setQuitOnLastWindowClosed(false);
  // A steady caret: a blinking one repaints the box twice a second while nothing happens.
  QApplication::setCursorFlashTime(0);

  const std::vector<QString> folders = DataFolders();
  const QString data = DataFolder(folders);
  std::u16string argument = qrx::Utf8ToUtf16(joined);
  if (argument.empty()) argument = qrx::ToU16(DefaultConfiguration(data));

  qrx::QtDesktopPlatform os;
  const std::u16string program_dir = os.ProgramDirectory();
  const QString show_name = ShowServerName(qrx::ChooseConfigPath(argument, program_dir, u'/'));
  if (show_only && AskRunningCopyToShow(show_name)) return 0;

  qrx::QtUiHost host;
  qrx::Context ctx(os, host);
  qrx::QtWindow surface(host);
  qrx::MainWindow window(ctx, surface);
  ctx.main_form = &window;
  qrx::GlobalKeys keys([&] {
    // Out of the X event's handling first.
    QTimer::singleShot(0, &surface,
                       [&] { host.Guard([&] { window.OnHotKey(qrx::kActiveKeyId); }); });
  });
  os.AttachKeys(&keys);
  // The window's tick rests at one a second while nothing is due; these wake it at once.
  keys.OnFunctionKey([&] { surface.Wake(); });
  QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, &surface,
                   [&] { surface.Wake(); });
  // In a Wayland session X key grabs see only keys typed into X windows: the hot key is
  // asked of the desktop's shortcuts portal where it has one, and is not available where it
  // has none (the start-up answer says how to bind quorix --show instead).
  const bool wayland = QGuiApplication::platformName() == QStringLiteral("wayland") ||
                       qEnvironmentVariable("XDG_SESSION_TYPE") == QStringLiteral("wayland");
  std::unique_ptr<qrx::PortalShortcuts> portal;
  if (wayland && qrx::PortalShortcuts::Offered()) {
    portal = std::make_unique<qrx::PortalShortcuts>(
        [&] { host.Guard([&] { window.OnHotKey(qrx::kActiveKeyId); }); },
        [&] {
          surface.PortalRefused();
          host.Guard([&] { qrx::ActiveKeyRefusedLater(ctx); });
        });
    surface.AttachPortal(portal.get());
  }
  surface.Attach(&window, wayland ? nullptr : &keys);
  host.Attach(&window, &surface);
  surface.OnEveryTick([&] {
    host.ResumeSocket();
    keys.GrabFunctionKeys(ctx.keys.function_key_modifiers);
  });
  qrx::QtBalloon balloon(host, &surface, folders);
  balloon.Attach(&window);
  const qrx::SkinnedWindowOffer skins{window, {surface, balloon}};
  qrx::PopupBoxes popups(host, ctx.interp.random);
  host.AttachPopups(&popups);

  QLocalServer show_server;
  QObject::connect(&show_server, &QLocalServer::newConnection, [&] {
    while (QLocalSocket* peer = show_server.nextPendingConnection()) {
      peer->deleteLater();
      surface.BringToFront();
    }
  });
  ListenForShow(show_server, show_name);

  try {
    qrx::StartUp(ctx, argument, &skins, qrx::ToU16(data));
  } catch (const qrx::AppEnding&) {
    return 0;  // the start-up alias ended the program
  }
  if (host.Ending()) return 0;
  return QApplication::exec();
}
