// Platform choices on Windows: Qt's own are right there, so none is made before the application.
#include "shell/QtPlatformTuning.h"

namespace sorvant {

bool tunePlatformBeforeApplication() { return false; }

bool programDrawsWindowFrames() { return false; }

}  // namespace sorvant
