#include "shell/QtWindowSystem.h"

#include <QGuiApplication>

namespace sorvant {

WindowSystem windowSystem() {
  const QString name = QGuiApplication::platformName();
  if (name == QLatin1String("xcb")) return WindowSystem::X11;
  if (name.startsWith(QLatin1String("wayland"))) return WindowSystem::Wayland;
  if (name == QLatin1String("windows")) return WindowSystem::Windows;
  return WindowSystem::Other;
}

bool windowSystemConfirmsStates() { return windowSystem() == WindowSystem::Wayland; }

}  // namespace sorvant
