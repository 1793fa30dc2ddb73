#include "ui/qt/portal_shortcuts.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>

#include <utility>

#include "ui/key_map.h"

namespace qrx {
namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString kShortcutId = QStringLiteral("show");

// One entry of the portal's shortcut list: a(sa{sv}).
struct PortalShortcut {
  QString id;
  QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& out, const PortalShortcut& shortcut) {
  out.beginStructure();
  out << shortcut.id << shortcut.properties;
  out.endStructure();
  return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, PortalShortcut& shortcut) {
  in.beginStructure();
  in >> shortcut.id >> shortcut.properties;
  in.endStructure();
  return in;
}

// The session handle arrives as a string in some portals and as an object path in others.
QString PathText(const QVariant& value) {
  if (value.canConvert<QDBusObjectPath>()) return value.value<QDBusObjectPath>().path();
  return value.toString();
}

// The portal's spelling of a hot key ("CTRL+ALT+Home"); empty for a key it cannot name.
QString PortalTrigger(uint32_t modifiers, uint32_t virtual_key) {
  const std::string key = KeysymNameForVirtualKey(virtual_key);
  if (key.empty()) return {};
  QString trigger;
  if (modifiers & 2) trigger += QStringLiteral("CTRL+");
  if (modifiers & 1) trigger += QStringLiteral("ALT+");
  if (modifiers & 4) trigger += QStringLiteral("SHIFT+");
  if (modifiers & 8) trigger += QStringLiteral("LOGO+");
  return trigger + QString::fromStdString(key);
}

}  // namespace
}  // namespace qrx

Q_DECLARE_METATYPE(qrx::PortalShortcut)

namespace qrx {

bool PortalShortcuts::Offered() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface()->isServiceRegistered(kService).value()) return false;
  QDBusMessage get = QDBusMessage::createMethodCall(
      kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
  get << kInterface << QStringLiteral("version");
  const QDBusMessage reply = bus.call(get, QDBus::Block, 2000);
  return reply.type() == QDBusMessage::ReplyMessage;
}

PortalShortcuts::PortalShortcuts(std::function<void()> on_activated,
                                 std::function<void()> on_refused)
    : on_activated_(std::move(on_activated)), on_refused_(std::move(on_refused)) {
  qDBusRegisterMetaType<PortalShortcut>();
  qDBusRegisterMetaType<QList<PortalShortcut>>();
  QDBusConnection::sessionBus().connect(kService, kPath, kInterface,
                                        QStringLiteral("Activated"), this,
                                        SLOT(OnActivated(QDBusMessage)));
}

PortalShortcuts::~PortalShortcuts() {
  Unbind();
}

void PortalShortcuts::Bind(uint32_t modifiers, uint32_t virtual_key) {
  Unbind();
  trigger_ = PortalTrigger(modifiers, virtual_key);
  // A session per binding: portals bind a session's shortcuts once.
  const QString token = QStringLiteral("quorix%1").arg(++serial_);
  step_ = Step::kSession;
  if (!Request(QStringLiteral("CreateSession"), {},
               {{QStringLiteral("session_handle_token"), token}})) {
    Fail();
  }
}

void PortalShortcuts::Unbind() {
  if (!session_.isEmpty()) {
    QDBusConnection::sessionBus().call(
        QDBusMessage::createMethodCall(kService, session_,
                                       QStringLiteral("org.freedesktop.portal.Session"),
                                       QStringLiteral("Close")),
        QDBus::NoBlock);
  }
  session_.clear();
  step_ = Step::kIdle;
}

bool PortalShortcuts::Request(const QString& method, QVariantList arguments,
                              QVariantMap options) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  if (!request_path_.isEmpty()) {  // only the latest request's answer counts
    bus.disconnect(kService, request_path_, kRequestInterface, QStringLiteral("Response"), this,
                   SLOT(OnResponse(uint, QVariantMap)));
  }
  // The request object's path is made of our bus name and the token we choose.
  const QString token = QStringLiteral("quorix_request%1").arg(++serial_);
  QString sender = bus.baseService().mid(1);
  sender.replace(QLatin1Char('.'), QLatin1Char('_'));
  request_path_ = kPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
  bus.connect(kService, request_path_, kRequestInterface, QStringLiteral("Response"), this,
              SLOT(OnResponse(uint, QVariantMap)));
  options.insert(QStringLiteral("handle_token"), token);
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
  arguments.append(options);
  call.setArguments(arguments);
  // Not waited for: the answer is the Response signal; only a refused call is looked at.
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, this,
                   [this, path = request_path_](QDBusPendingCallWatcher* done) {
                     done->deleteLater();
                     if (done->isError() && path == request_path_) Fail();
                   });
  return true;
}

void PortalShortcuts::OnResponse(uint response, const QVariantMap& results) {
  if (response != 0) {
    Fail();
    return;
  }
  if (step_ == Step::kSession) {
    session_ = PathText(results.value(QStringLiteral("session_handle")));
    QVariantMap properties{{QStringLiteral("description"), QStringLiteral("Show quorix")}};
    if (!trigger_.isEmpty()) properties.insert(QStringLiteral("preferred_trigger"), trigger_);
    const QList<PortalShortcut> shortcuts{{kShortcutId, properties}};
    step_ = Step::kBinding;
    if (session_.isEmpty() ||
        !Request(QStringLiteral("BindShortcuts"),
                 {QVariant::fromValue(QDBusObjectPath(session_)), QVariant::fromValue(shortcuts),
                  QString()},
                 {})) {
      Fail();
    }
  } else if (step_ == Step::kBinding) {
    // The desktop lists what it bound; a list without ours means the user left it unbound.
    const auto bound =
        qdbus_cast<QList<PortalShortcut>>(results.value(QStringLiteral("shortcuts")));
    bool ours = false;
    for (const PortalShortcut& shortcut : bound) ours = ours || shortcut.id == kShortcutId;
    if (!ours) {
      Fail();
      return;
    }
    step_ = Step::kBound;
  }
}

void PortalShortcuts::OnActivated(const QDBusMessage& signal) {
  // (session o, shortcut id s, timestamp t, options a{sv})
  const QVariantList arguments = signal.arguments();
  if (step_ != Step::kBound || arguments.size() < 2) return;
  if (PathText(arguments[0]) == session_ && arguments[1].toString() == kShortcutId) {
    on_activated_();
  }
}

void PortalShortcuts::Fail() {
  Unbind();
  on_refused_();
}

}  // namespace qrx
