#pragma once
// The windowing system in use and what it does with a window's states, decided in one place: the
// only place that asks Qt which platform plugin runs.

namespace sorvant {

enum class WindowSystem { X11, Wayland, Windows, Other };

// The windowing system Qt's platform plugin talks to (Other: offscreen, minimal and the like).
WindowSystem windowSystem();

// True where something always answers a request to maximise or restore a window (a Wayland
// compositor). Elsewhere (X11) a window manager may be missing, and then nothing ever answers.
bool windowSystemConfirmsStates();

// False where nothing manages the windows: an X11 session that runs this program alone, with no
// window manager. There nothing maximises, restores or focuses a window but the window itself.
// Defined with the X11 pieces (x11/, or nox11/ where the program is built without them).
bool windowManagerRuns();

}  // namespace sorvant
