#pragma once
// Choices about Qt's platform plugins that must be made before QApplication exists.

namespace sorvant {

// On Wayland, keeps Qt from loading the EGL client buffer integration (and with it Mesa, some 60 MB
// resident): the window is drawn in shared memory and nothing else would use it. Qt before 6.6
// draws window frames of its own only while that integration works, so there it stays where the
// compositor leaves the frames to the program (weston, GNOME's mutter). A choice the user made in
// the environment is kept.
void tunePlatformBeforeApplication();

}  // namespace sorvant
