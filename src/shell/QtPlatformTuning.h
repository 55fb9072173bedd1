#pragma once
// Choices about Qt's platform plugins that must be made before QApplication exists.

namespace sorvant {

// On a Wayland compositor that draws the window frames itself, keeps Qt from loading the EGL client
// buffer integration (and with it Mesa, some 60 MB resident): the window is drawn in shared memory
// and nothing else would use it. Where the compositor leaves the frames to the program, Qt draws
// them only while that integration works, so it stays. A choice the user made in the environment is
// kept.
void tunePlatformBeforeApplication();

}  // namespace sorvant
