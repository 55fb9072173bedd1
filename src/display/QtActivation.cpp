#include "display/QtActivation.h"

#include <QtGlobal>

namespace sorvant {

QString launchActivationToken() {
  // Wayland launchers set the first, X11 ones the second; many set both to the same value.
  QString token = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
  if (token.isEmpty()) token = qEnvironmentVariable("DESKTOP_STARTUP_ID");
  return token;
}

void presentActivationToken(const QString& token) {
  // Qt's Wayland plugin presents this variable with the next window activation and then removes it.
  if (!token.isEmpty()) qputenv("XDG_ACTIVATION_TOKEN", token.toLocal8Bit());
}

}  // namespace sorvant
