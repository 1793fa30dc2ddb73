// Changes of the X11 clipboard, seen without starting a program: a connection of our own to
// the X server, told by the XFixes extension whenever the clipboard gets a new owner (every
// copy) or loses its owner.
//
// The X client libraries are loaded when first needed, so that the program still starts and
// works (by reading the clipboard every time) where they are not installed.
#pragma once

#include <memory>
#include <string>

struct xcb_connection_t;

namespace qrx::posix {

struct XcbLibrary;

class X11ClipboardChanges {
 public:
  // Starts listening on the display (the form of DISPLAY). Nothing when the libraries, the
  // server or its XFixes extension are missing.
  static std::unique_ptr<X11ClipboardChanges> Listen(const std::string& display);
  ~X11ClipboardChanges();
  X11ClipboardChanges(const X11ClipboardChanges&) = delete;
  X11ClipboardChanges& operator=(const X11ClipboardChanges&) = delete;

  // True when the clipboard's owner changed since the previous call. Never waits: it only
  // takes the notices that have arrived.
  bool Changed();
  // True once the connection is lost; changes are no longer seen.
  bool Broken() const;

 private:
  X11ClipboardChanges(std::unique_ptr<XcbLibrary> library, xcb_connection_t* connection,
                      int notify_event);

  std::unique_ptr<XcbLibrary> library_;
  xcb_connection_t* connection_;
  int notify_event_;  // the event code of the extension's selection notice
};

}  // namespace qrx::posix
