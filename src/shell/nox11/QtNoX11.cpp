// A program built without X11 (Windows, or a system without xcb): no frame to read, no window manager
// to look for, no launch time to activate at. Windows and Wayland compositors always manage windows.
#include "shell/QtActivation.h"
#include "shell/QtWindowFrame.h"
#include "shell/QtWindowSystem.h"

namespace sorvant {

X11Frame::X11Frame(const QWidget& window, std::function<void()> changed)
    : window_(window), changed_(std::move(changed)) {}
X11Frame::~X11Frame() = default;
std::optional<QMargins> X11Frame::margins() const { return std::nullopt; }
bool X11Frame::nativeEventFilter(const QByteArray&, void*, qintptr*) { return false; }

bool windowManagerRuns() { return true; }

void activateAtLaunchTime(const QString&, QWidget&) {}

}  // namespace sorvant
