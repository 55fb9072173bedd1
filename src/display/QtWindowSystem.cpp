#include "display/QtWindowSystem.h"

#include <QGuiApplication>

namespace sorvant {

bool windowSystemConfirmsStates() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

}  // namespace sorvant
