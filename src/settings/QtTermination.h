#pragma once
// Closes the main window, as its close box would, when the system asks the program to end (SIGTERM
// at shutdown or power-down, SIGINT, SIGHUP) or the event loop is ended without it (the desktop
// session's end), so the port is released and the settings are written, once.
#include <QObject>

class QWidget;

namespace sorvant {

// Installs the handlers; from then on those signals, and the end of the event loop, close `window`
// on the UI thread. Closing an already closed window does nothing more.
void closeOnTermination(QWidget& window);

}  // namespace sorvant
