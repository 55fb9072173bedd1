#pragma once
// Closes the main window, as its close box would, when the system asks the program to end (SIGTERM
// at shutdown or power-down, SIGINT, SIGHUP), so the port is released and the settings are written.
#include <QObject>

class QWidget;

namespace sorvant {

// Installs the handlers; from then on those signals close `window` on the UI thread.
void closeOnTermination(QWidget& window);

}  // namespace sorvant
