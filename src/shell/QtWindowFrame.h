#pragma once
// The frame an X11 window manager puts round a window. Qt's X11 plugin reads it once per change of
// the window's own geometry, so a frame the manager changes afterwards (it drops the borders of a
// maximised window a moment after resizing it) stays unseen. This reads it when asked and reports
// its changes. Defined with the X11 pieces (x11/, or nox11/, where there is never a frame to read).
#include <QAbstractNativeEventFilter>
#include <QMargins>
#include <functional>
#include <optional>

class QWidget;

namespace sorvant {

class X11Frame final : public QAbstractNativeEventFilter {
 public:
  // `changed` runs whenever the window manager announces a new frame round `window`.
  X11Frame(const QWidget& window, std::function<void()> changed);
  ~X11Frame() override;
  X11Frame(const X11Frame&) = delete;
  X11Frame& operator=(const X11Frame&) = delete;

  // The frame's widths in the window's pixels; nothing off X11 or before a window manager has set it.
  std::optional<QMargins> margins() const;

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  const QWidget& window_;
  std::function<void()> changed_;
  unsigned atom_ = 0;  // _NET_FRAME_EXTENTS; 0 off X11
};

}  // namespace sorvant
