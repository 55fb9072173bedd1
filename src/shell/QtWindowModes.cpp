#include "shell/QtWindowModes.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <utility>

#include "shell/QtControlView.h"
#include "shell/QtWindowSystem.h"

namespace sorvant {
namespace {

// The design client area of the normal (restored) window, in twips.
constexpr float kDesignClientWidth = 9780;
constexpr float kDesignClientHeight = 6795;
// How long a window manager has to confirm a change of window mode before the window changes its
// size on its own.
constexpr int kModeConfirmMs = 150;

}  // namespace

WindowModes::WindowModes(QWidget& window) : window_(window) {
  statesConfirmed_ = windowSystemConfirmsStates();
  fallback_.setSingleShot(true);
  fallback_.setInterval(kModeConfirmMs);
  QObject::connect(&fallback_, &QTimer::timeout, &window_, [this] { unconfirmed(); });
}

void WindowModes::request(bool maximised) {
  wantedMode_ = maximised ? Mode::Maximised : Mode::Normal;
  // One change at a time: a compositor may drop a request made before the window has shown its
  // answer to the last one (weston does).
  if (pendingMode_ == Mode::None && !awaitingRepaint_) issue(wantedMode_);
}

void WindowModes::issue(Mode mode) {
  const bool maximised = mode == Mode::Maximised;
  if (!windowManagerRuns()) {
    placeUnmanaged(maximised);
    return;
  }
  unmanagedNormal_ = false;
  const bool already = window_.isMaximized() == maximised;
  if (maximised)
    window_.QWidget::showMaximized();
  else
    window_.QWidget::showNormal();
  if (already) {
    // No request went out, so no answer will come: a normal window takes its size at once.
    if (!maximised) resizeToDesign();
    return;
  }
  pendingMode_ = mode;
  if (!statesConfirmed_) fallback_.start();
}

void WindowModes::confirmed(Qt::WindowStates states) {
  // Qt writes the state of a window not yet shown into the window's own properties and reports
  // reading it back; with no window manager that is no answer from anyone.
  if (!windowManagerRuns()) return;
  // Someone manages the window's states: its answers, never a timer, decide from now on.
  statesConfirmed_ = true;
  fallback_.stop();
  if (pendingMode_ == Mode::None) return;
  const bool maximised = states & Qt::WindowMaximized;
  if (maximised != (pendingMode_ == Mode::Maximised)) return;  // an older state, answered late
  pendingMode_ = Mode::None;
  if (!maximised && !(states & (Qt::WindowFullScreen | Qt::WindowMinimized))) resizeToDesign();
  if (window_.isVisible() && !window_.isMinimized()) {
    awaitingRepaint_ = true;
    window_.update();
  }
}

void WindowModes::repainted() {
  awaitingRepaint_ = false;
  // The repaint goes out with the event that announced it: ask for a later W's mode after it.
  QTimer::singleShot(0, &window_, [this] {
    if (pendingMode_ == Mode::None && !awaitingRepaint_ && (wantedMode_ == Mode::Maximised) != window_.isMaximized())
      issue(wantedMode_);
  });
}

void WindowModes::unconfirmed() {
  const Mode mode = std::exchange(pendingMode_, Mode::None);
  if (mode == Mode::Normal) {
    resizeToDesign();
  } else if (mode == Mode::Maximised && window_.screen()) {
    // Without a window manager nothing maximises the window: fill the screen ourselves.
    const QRect available = window_.screen()->availableGeometry();
    if (window_.frameGeometry().width() < available.width() * 9 / 10) window_.setGeometry(available);
  }
  if (wantedMode_ != mode) issue(wantedMode_);
}

void WindowModes::placeUnmanaged(bool maximised) {
  // Nothing manages the window (a session running this program alone): it takes the whole screen,
  // or its normal size in the middle of it, by itself, and the keyboard with it, so that keys act
  // wherever the pointer is.
  pendingMode_ = Mode::None;
  fallback_.stop();
  // The normal window is laid out as it is under a window manager, inside the frame one would draw.
  unmanagedNormal_ = !maximised;
  QScreen* shown = window_.screen() ? window_.screen() : QGuiApplication::primaryScreen();
  if (shown) {
    const QRect whole = shown->geometry();
    const QSize normal(twipsToPixels(kDesignClientWidth, window_),
                       twipsToPixels(kDesignClientHeight, window_) + frameTop_);
    window_.setGeometry(maximised ? whole
                                  : QRect(whole.center() - QPoint(normal.width() / 2, normal.height() / 2), normal));
  }
  if (!window_.isVisible()) window_.show();
  window_.activateWindow();
}

void WindowModes::resizeToDesign() {
  window_.resize(twipsToPixels(kDesignClientWidth, window_), twipsToPixels(kDesignClientHeight, window_) + frameTop_);
}

}  // namespace sorvant
