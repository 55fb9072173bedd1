// What the program asks of an X11 session beyond Qt: whether a window manager runs, and an
// activation at the launch's time.
#include <QWidget>

#include "shell/QtActivation.h"
#include "shell/QtWindowSystem.h"
#include "shell/x11/QtX11Connection.h"

namespace sorvant {

bool windowManagerRuns() {
  if (windowSystem() != WindowSystem::X11) return true;
  xcb_connection_t* c = x11Connection();
  if (!c) return true;
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  if (!screen) return true;
  // A window manager is the one client that redirects the root window's substructure: it has to,
  // to be told of every window before it maps. The root's event masks of all clients show it.
  const XcbReply<xcb_get_window_attributes_reply_t> attributes(
      xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, screen->root), nullptr), &std::free);
  return !attributes || (attributes->all_event_masks & XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT) != 0;
}

// An X11 window manager that prevents focus stealing grants an activation whose time is no older
// than the user's last action: a startup id ends in "_TIME" and the time of the click that made it.
void activateAtLaunchTime(const QString& token, QWidget& window) {
  const qsizetype at = token.lastIndexOf(QLatin1String("_TIME"));
  if (at < 0) return;
  bool ok = false;
  const quint32 time = token.mid(at + 5).toUInt(&ok);
  xcb_connection_t* c = x11Connection();
  if (!ok || !c || !window.internalWinId()) return;
  static constexpr char kName[] = "_NET_ACTIVE_WINDOW";
  const XcbReply<xcb_intern_atom_reply_t> atom(
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof kName - 1, kName), nullptr), &std::free);
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  if (!atom || !screen) return;
  xcb_client_message_event_t event = {};
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = static_cast<xcb_window_t>(window.internalWinId());
  event.type = atom->atom;
  event.data.data32[0] = 1;  // from an application
  event.data.data32[1] = time;
  xcb_send_event(c, 0, screen->root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                 reinterpret_cast<const char*>(&event));
  xcb_flush(c);
}

}  // namespace sorvant
