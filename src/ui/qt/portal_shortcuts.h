// The hot key where no program may grab keys (a Wayland session): asked of the desktop's
// global-shortcuts portal over D-Bus. The desktop may show the user a dialog and bind
// another combination than the one asked for; its activation raises the window as the
// grabbed key does. Everything arrives as D-Bus signals on the event loop, no thread.
#pragma once

#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <cstdint>
#include <functional>

namespace qrx {

class PortalShortcuts : public QObject {
  Q_OBJECT

 public:
  // True when the session bus has a portal that offers global shortcuts.
  static bool Offered();

  // `on_activated` runs when the desktop reports the shortcut pressed, `on_refused` when it
  // did not bind it (the user declined, or the portal failed).
  PortalShortcuts(std::function<void()> on_activated, std::function<void()> on_refused);
  ~PortalShortcuts() override;

  // Asks for the hot key (modifier bits and virtual-key code as stored in the settings); any
  // earlier binding is given up first. The answer comes later through the callbacks.
  void Bind(uint32_t modifiers, uint32_t virtual_key);
  void Unbind();

 private Q_SLOTS:
  void OnResponse(uint response, const QVariantMap& results);
  void OnActivated(const QDBusMessage& signal);

 private:
  enum class Step { kIdle, kSession, kBinding, kBound };
  // Calls a portal method that answers through a request object, listening on that object's
  // path (made of our bus name and a token we choose) before the call, so that a quick
  // answer is not missed. False when the call could not be sent.
  bool Request(const QString& method, QVariantList arguments, QVariantMap options);
  void Fail();

  std::function<void()> on_activated_;
  std::function<void()> on_refused_;
  Step step_ = Step::kIdle;
  QString request_path_;
  QString session_;
  QString trigger_;
  uint32_t serial_ = 0;
};

}  // namespace qrx
