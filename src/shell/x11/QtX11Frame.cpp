// The window manager's frame on X11, read from the _NET_FRAME_EXTENTS property it keeps.
#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>

#include "shell/QtWindowFrame.h"
#include "shell/x11/QtX11Connection.h"

namespace sorvant {

X11Frame::X11Frame(const QWidget& window, std::function<void()> changed)
    : window_(window), changed_(std::move(changed)) {
  xcb_connection_t* c = x11Connection();
  if (!c) return;
  static constexpr char kName[] = "_NET_FRAME_EXTENTS";
  const XcbReply<xcb_intern_atom_reply_t> reply(
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof kName - 1, kName), nullptr), &std::free);
  if (!reply) return;
  atom_ = reply->atom;
  QCoreApplication::instance()->installNativeEventFilter(this);
}

X11Frame::~X11Frame() {
  if (atom_ && QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
}

std::optional<QMargins> X11Frame::margins() const {
  xcb_connection_t* c = x11Connection();
  if (!c || !atom_ || !window_.internalWinId()) return std::nullopt;
  const auto window = static_cast<xcb_window_t>(window_.internalWinId());
  const XcbReply<xcb_get_property_reply_t> reply(
      xcb_get_property_reply(c, xcb_get_property(c, 0, window, atom_, XCB_ATOM_CARDINAL, 0, 4), nullptr), &std::free);
  if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 16) return std::nullopt;
  const auto* v = static_cast<const quint32*>(xcb_get_property_value(reply.get()));  // left, right, top, bottom
  const qreal dpr = window_.devicePixelRatioF();
  return QMargins(qRound(v[0] / dpr), qRound(v[2] / dpr), qRound(v[1] / dpr), qRound(v[3] / dpr));
}

bool X11Frame::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
  const auto* property = static_cast<const xcb_property_notify_event_t*>(message);
  if (property->atom == atom_ && property->window == window_.internalWinId() && changed_) {
    // After Qt's own handling of the event, never inside it.
    QMetaObject::invokeMethod(qApp, changed_, Qt::QueuedConnection);
  }
  return false;
}

}  // namespace sorvant
