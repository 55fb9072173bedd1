#pragma once
// What the window system in use does with a window's states, decided in one place.

namespace sorvant {

// True where something always answers a request to maximise or restore a window (a Wayland
// compositor). Elsewhere (X11) a window manager may be missing, and then nothing ever answers.
bool windowSystemConfirmsStates();

}  // namespace sorvant
