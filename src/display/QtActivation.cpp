#include "display/QtActivation.h"

#include <QGuiApplication>
#include <QWidget>
#include <QtGlobal>
#include <cstdlib>
#include <memory>

#ifdef SORVANT_X11
#include <xcb/xcb.h>
#endif

namespace sorvant {

QString launchActivationToken() {
  // Wayland launchers set the first, X11 ones the second; many set both to the same value.
  QString token = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
  if (token.isEmpty()) token = qEnvironmentVariable("DESKTOP_STARTUP_ID");
  return token;
}

namespace {

#ifdef SORVANT_X11
// An X11 window manager that prevents focus stealing grants an activation whose time is no older
// than the user's last action: a startup id ends in "_TIME" and the time of the click that made it.
void activateAtLaunchTime(const QString& token, QWidget& window) {
  const qsizetype at = token.lastIndexOf(QLatin1String("_TIME"));
  if (at < 0) return;
  bool ok = false;
  const quint32 time = token.mid(at + 5).toUInt(&ok);
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!ok || !x11 || !window.internalWinId()) return;
  xcb_connection_t* c = x11->connection();
  static constexpr char kName[] = "_NET_ACTIVE_WINDOW";
  const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
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
#endif

}  // namespace

void presentActivationToken(const QString& token, QWidget& window) {
  if (token.isEmpty()) return;
  // Qt's Wayland plugin presents this variable with the next window activation and then removes it.
  if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
    qputenv("XDG_ACTIVATION_TOKEN", token.toLocal8Bit());
#ifdef SORVANT_X11
  else if (QGuiApplication::platformName() == QLatin1String("xcb"))
    activateAtLaunchTime(token, window);
#else
  (void)window;
#endif
}

}  // namespace sorvant
