#pragma once
// Choices about Qt's platform plugins that must be made before QApplication exists.

namespace sorvant {

// On Wayland, keeps Qt from loading the EGL client buffer integration (and with it Mesa, some 60 MB
// resident): the window is drawn in shared memory and nothing else would use it. Qt before 6.6
// draws window frames of its own only while that integration works, so where the compositor
// leaves the frames to the program (weston, GNOME's mutter) and Qt is older, the program draws a
// title strip of its own instead. A choice the user made in the environment is kept: an
// integration named there, or no window frames at all. Returns whether the windows get the strip
// should Qt run on Wayland.
bool tunePlatformBeforeApplication();

// Whether the windows carry a title strip of the program's own (see above): only where Qt runs on
// Wayland and nothing else draws their frames.
bool programDrawsWindowFrames();

}  // namespace sorvant
