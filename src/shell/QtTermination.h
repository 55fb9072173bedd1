#pragma once
// Closes the main window, as its close box would, when the system asks the program to end (SIGTERM
// at shutdown or power-down, SIGINT, SIGHUP) or the event loop is ended without it (the desktop
// session's end), so the port is released and the settings are written, once.
#include <QObject>
#include <QtGlobal>
#include <functional>

class QWidget;

namespace sorvant {

// Installs the handlers; from then on those signals, and the end of the event loop, close `window`
// on the UI thread. Closing an already closed window does nothing more. Defined once per operating
// system (posix/: the signals; windows/: the session's end alone).
void closeOnTermination(QWidget& window);
// The end of the event loop alone: the session manager may end it without closing the window.
void closeOnSessionEnd(QWidget& window);

// Qt ends the process when its display connection breaks (the X server or the Wayland compositor
// ended with the session): no close event reaches the window then. On X11 it calls exit(1); Qt's
// Wayland plugin calls _exit(1), which runs no exit handler, right after its warning about the broken
// connection (from either of its threads, so the warning may come twice). While this guard lives,
// either way runs `unload` if the window is still shown, that is, if its close handling has not run.
// A server that closed the connection ended the session, a normal end: one line on standard error
// instead of Qt's warnings, then exit status 0. A connection lost to a fault keeps Qt's warning (once)
// and its failure status.
class UnloadAtForcedExit {
 public:
  UnloadAtForcedExit(const QWidget& window, std::function<void()> unload);
  ~UnloadAtForcedExit();
  UnloadAtForcedExit(const UnloadAtForcedExit&) = delete;
  UnloadAtForcedExit& operator=(const UnloadAtForcedExit&) = delete;

  // Runs the unload of the living guard, once, if its window is still shown.
  static void unloadNow();

 private:
  static void atExit();
  static void onMessage(QtMsgType type, const QMessageLogContext& context, const QString& message);
  const QWidget& window_;
  std::function<void()> unload_;
};

}  // namespace sorvant
