#pragma once
// The main window's two modes, normal and maximised, as the window system grants them. A change is
// asked of the window manager and the window keeps its size until the manager confirms it: a
// compositor may end a client that resizes a surface it still holds maximised (weston does). Where
// nothing manages windows the window takes the mode itself, and where a manager may be missing a
// change nobody confirms in time is made by the window too.
#include <QTimer>
#include <Qt>

class QWidget;

namespace sorvant {

class WindowModes {
 public:
  explicit WindowModes(QWidget& window);

  // The operator's W: the mode wanted now. One change at a time is asked for; a later one waits.
  void request(bool maximised);
  // The window system's own report of the window's new states (not the echo of a request).
  void confirmed(Qt::WindowStates states);
  // A confirmed change waits for the window to show it before the next is asked for.
  bool awaitingRepaint() const { return awaitingRepaint_; }
  void repainted();
  // The window took its normal size by itself, with no window manager to draw a frame round it.
  bool unmanagedNormal() const { return unmanagedNormal_; }
  // The height of a frame top the window draws itself, inside its own size (a title strip of the
  // program's own): the normal size is the design client area below it.
  void setFrameTop(int pixels) { frameTop_ = pixels; }

 private:
  enum class Mode { None, Normal, Maximised };
  void issue(Mode mode);
  void unconfirmed();
  void placeUnmanaged(bool maximised);
  void resizeToDesign();

  QWidget& window_;
  // The window mode asked of the window manager and not yet confirmed by it.
  Mode pendingMode_ = Mode::None;
  Mode wantedMode_ = Mode::None;  // the mode the last W asked for
  bool awaitingRepaint_ = false;  // confirmed, but the window has not yet shown the new mode
  bool statesConfirmed_ = false;  // a window manager has answered, or always will
  QTimer fallback_;               // the change made by the window itself when nobody answers
  bool unmanagedNormal_ = false;  // the normal size, taken by the window itself with no window manager
  int frameTop_ = 0;
};

}  // namespace sorvant
