#pragma once
// What the window system in use does with a window's states, decided in one place.

namespace sorvant {

// True where something always answers a request to maximise or restore a window (a Wayland
// compositor). Elsewhere (X11) a window manager may be missing, and then nothing ever answers.
bool windowSystemConfirmsStates();

// False where nothing manages the windows: an X11 session that runs this program alone, with no
// window manager. There nothing maximises, restores or focuses a window but the window itself.
bool windowManagerRuns();

}  // namespace sorvant
