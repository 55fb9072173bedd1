#pragma once
// The X11 connection Qt's xcb plugin holds, for the few requests Qt does not make itself.
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstdlib>
#include <memory>

namespace sorvant {

// Null off X11 (another platform plugin) or before the application exists.
inline xcb_connection_t* x11Connection() {
  auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

// A reply of xcb, freed when it goes out of scope.
template <class T>
using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

}  // namespace sorvant
