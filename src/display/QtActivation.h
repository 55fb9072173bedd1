#pragma once
// The launcher's permission to bring a window to the front: an activation token on Wayland, a
// startup id on X11. A compositor raises a window only with one; a start from a terminal has none.
#include <QString>

namespace sorvant {

// The token this process was started with. Read it before the QApplication exists: Qt's X11
// plugin takes DESKTOP_STARTUP_ID out of the environment as it connects.
QString launchActivationToken();

// Hands a later start's token to the window system, so that the next activation of a window is
// granted; an empty token changes nothing.
void presentActivationToken(const QString& token);

}  // namespace sorvant
