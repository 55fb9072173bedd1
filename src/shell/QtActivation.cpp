#include "shell/QtActivation.h"

#include <QtGlobal>

#include "shell/QtWindowSystem.h"

namespace sorvant {

QString launchActivationToken() {
  // Wayland launchers set the first, X11 ones the second; many set both to the same value.
  QString token = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
  if (token.isEmpty()) token = qEnvironmentVariable("DESKTOP_STARTUP_ID");
  return token;
}

void presentActivationToken(const QString& token, QWidget& window) {
  if (token.isEmpty()) return;
  switch (windowSystem()) {
    case WindowSystem::Wayland:
      // Qt's Wayland plugin presents this variable with the next window activation and then removes it.
      qputenv("XDG_ACTIVATION_TOKEN", token.toLocal8Bit());
      break;
    case WindowSystem::X11:
      activateAtLaunchTime(token, window);
      break;
    default:
      break;
  }
}

}  // namespace sorvant
