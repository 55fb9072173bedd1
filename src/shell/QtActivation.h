#pragma once
// The launcher's permission to bring a window to the front: an activation token on Wayland, a
// startup id on X11. A compositor raises a window only with one; a start from a terminal has none.
#include <QString>

class QWidget;

namespace sorvant {

// The token this process was started with. Read it before the QApplication exists: Qt's X11
// plugin takes DESKTOP_STARTUP_ID out of the environment as it connects.
QString launchActivationToken();

// Asks the window system to activate `window` on the strength of a later start's token: on
// Wayland the next activation presents it, on X11 the request carries the launch's time. An empty
// token changes nothing.
void presentActivationToken(const QString& token, QWidget& window);

// X11's part: asks the window manager to activate `window` at the time of the click that launched
// it, which a startup id ends with ("_TIME" and the time). Defined with the X11 pieces (x11/, or
// nox11/, where it does nothing).
void activateAtLaunchTime(const QString& token, QWidget& window);

}  // namespace sorvant
