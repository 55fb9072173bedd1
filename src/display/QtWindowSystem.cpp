#include "display/QtWindowSystem.h"

#include <QGuiApplication>
#include <cstdlib>
#include <memory>

#ifdef SORVANT_X11
#include <xcb/xcb.h>
#endif

namespace sorvant {

bool windowSystemConfirmsStates() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

bool windowManagerRuns() {
#ifdef SORVANT_X11
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return true;
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* c = x11 ? x11->connection() : nullptr;
  if (!c) return true;
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  if (!screen) return true;
  // A window manager is the one client that redirects the root window's substructure: it has to,
  // to be told of every window before it maps. The root's event masks of all clients show it.
  const std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
      xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, screen->root), nullptr), &std::free);
  return !attributes || (attributes->all_event_masks & XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT) != 0;
#else
  return true;
#endif
}

}  // namespace sorvant
