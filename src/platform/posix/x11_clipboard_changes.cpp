#include "platform/posix/x11_clipboard_changes.h"

#include <dlfcn.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdlib>
#include <cstring>

namespace qrx::posix {

// The entries of libxcb and libxcb-xfixes this listener calls, looked up at run time.
struct XcbLibrary {
  struct Closer {
    void operator()(void* handle) const { ::dlclose(handle); }
  };
  std::unique_ptr<void, Closer> xcb;
  std::unique_ptr<void, Closer> xfixes;

  decltype(&::xcb_connect) connect = nullptr;
  decltype(&::xcb_connection_has_error) has_error = nullptr;
  decltype(&::xcb_disconnect) disconnect = nullptr;
  decltype(&::xcb_get_setup) get_setup = nullptr;
  decltype(&::xcb_setup_roots_iterator) roots = nullptr;
  decltype(&::xcb_screen_next) next_screen = nullptr;
  decltype(&::xcb_intern_atom) intern_atom = nullptr;
  decltype(&::xcb_intern_atom_reply) intern_atom_reply = nullptr;
  decltype(&::xcb_get_extension_data) extension_data = nullptr;
  decltype(&::xcb_request_check) request_check = nullptr;
  decltype(&::xcb_poll_for_event) poll_for_event = nullptr;
  xcb_extension_t* xfixes_id = nullptr;
  decltype(&::xcb_xfixes_query_version) query_version = nullptr;
  decltype(&::xcb_xfixes_query_version_reply) query_version_reply = nullptr;
  decltype(&::xcb_xfixes_select_selection_input_checked) select_selection_input = nullptr;

  static std::unique_ptr<XcbLibrary> Load() {
    auto lib = std::make_unique<XcbLibrary>();
    lib->xcb.reset(::dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL));
    lib->xfixes.reset(::dlopen("libxcb-xfixes.so.0", RTLD_NOW | RTLD_LOCAL));
    if (!lib->xcb || !lib->xfixes) return nullptr;
    const bool all =
        Find(lib->xcb.get(), "xcb_connect", lib->connect) &&
        Find(lib->xcb.get(), "xcb_connection_has_error", lib->has_error) &&
        Find(lib->xcb.get(), "xcb_disconnect", lib->disconnect) &&
        Find(lib->xcb.get(), "xcb_get_setup", lib->get_setup) &&
        Find(lib->xcb.get(), "xcb_setup_roots_iterator", lib->roots) &&
        Find(lib->xcb.get(), "xcb_screen_next", lib->next_screen) &&
        Find(lib->xcb.get(), "xcb_intern_atom", lib->intern_atom) &&
        Find(lib->xcb.get(), "xcb_intern_atom_reply", lib->intern_atom_reply) &&
        Find(lib->xcb.get(), "xcb_get_extension_data", lib->extension_data) &&
        Find(lib->xcb.get(), "xcb_request_check", lib->request_check) &&
        Find(lib->xcb.get(), "xcb_poll_for_event", lib->poll_for_event) &&
        Find(lib->xfixes.get(), "xcb_xfixes_id", lib->xfixes_id) &&
        Find(lib->xfixes.get(), "xcb_xfixes_query_version", lib->query_version) &&
        Find(lib->xfixes.get(), "xcb_xfixes_query_version_reply", lib->query_version_reply) &&
        Find(lib->xfixes.get(), "xcb_xfixes_select_selection_input_checked",
             lib->select_selection_input);
    return all ? std::move(lib) : nullptr;
  }

  template <typename T>
  static bool Find(void* handle, const char* name, T*& entry) {
    entry = reinterpret_cast<T*>(::dlsym(handle, name));
    return entry != nullptr;
  }
};

namespace {

// The root window of screen `number`, where the selection notices are asked for.
xcb_window_t RootWindow(const XcbLibrary& lib, xcb_connection_t* c, int number) {
  xcb_screen_iterator_t it = lib.roots(lib.get_setup(c));
  for (; it.rem > 0 && number > 0; --number) lib.next_screen(&it);
  if (it.rem <= 0) return XCB_WINDOW_NONE;
  return it.data->root;
}

xcb_atom_t ClipboardAtom(const XcbLibrary& lib, xcb_connection_t* c) {
  constexpr char kName[] = "CLIPBOARD";
  const xcb_intern_atom_cookie_t cookie = lib.intern_atom(c, 0, sizeof kName - 1, kName);
  xcb_intern_atom_reply_t* reply = lib.intern_atom_reply(c, cookie, nullptr);
  if (reply == nullptr) return XCB_ATOM_NONE;
  const xcb_atom_t atom = reply->atom;
  std::free(reply);
  return atom;
}

// Asks for the notices; the event code they come with, or -1.
int SelectNotices(const XcbLibrary& lib, xcb_connection_t* c, int screen) {
  const xcb_query_extension_reply_t* ext = lib.extension_data(c, lib.xfixes_id);
  if (ext == nullptr || !ext->present) return -1;
  // The server takes the extension's requests only after the client has told its version.
  auto* version =
      lib.query_version_reply(c, lib.query_version(c, XCB_XFIXES_MAJOR_VERSION, 0), nullptr);
  if (version == nullptr) return -1;
  std::free(version);
  const xcb_window_t root = RootWindow(lib, c, screen);
  const xcb_atom_t clipboard = ClipboardAtom(lib, c);
  if (root == XCB_WINDOW_NONE || clipboard == XCB_ATOM_NONE) return -1;
  const uint32_t mask = XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                        XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                        XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE;
  xcb_generic_error_t* error =
      lib.request_check(c, lib.select_selection_input(c, root, clipboard, mask));
  if (error != nullptr) {
    std::free(error);
    return -1;
  }
  return ext->first_event + XCB_XFIXES_SELECTION_NOTIFY;
}

}  // namespace

std::unique_ptr<X11ClipboardChanges> X11ClipboardChanges::Listen(const std::string& display) {
  std::unique_ptr<XcbLibrary> lib = XcbLibrary::Load();
  if (!lib) return nullptr;
  int screen = 0;
  // The library opens its socket with close-on-exec: started programs do not inherit it.
  xcb_connection_t* c = lib->connect(display.c_str(), &screen);
  if (c == nullptr) return nullptr;
  const int notify = lib->has_error(c) ? -1 : SelectNotices(*lib, c, screen);
  if (notify < 0) {
    lib->disconnect(c);  // also the connection object of a failed connect
    return nullptr;
  }
  return std::unique_ptr<X11ClipboardChanges>(new X11ClipboardChanges(std::move(lib), c, notify));
}

X11ClipboardChanges::X11ClipboardChanges(std::unique_ptr<XcbLibrary> library,
                                         xcb_connection_t* connection, int notify_event)
    : library_(std::move(library)), connection_(connection), notify_event_(notify_event) {}

X11ClipboardChanges::~X11ClipboardChanges() {
  library_->disconnect(connection_);
}

bool X11ClipboardChanges::Changed() {
  bool changed = false;
  // Each call reads what the socket holds without blocking.
  while (xcb_generic_event_t* event = library_->poll_for_event(connection_)) {
    // The top bit marks an event sent by another client.
    if ((event->response_type & 0x7f) == notify_event_) changed = true;
    std::free(event);
  }
  return changed;
}

bool X11ClipboardChanges::Broken() const {
  return library_->has_error(connection_) != 0;
}

}  // namespace qrx::posix
