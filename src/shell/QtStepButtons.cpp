#include "shell/QtStepButtons.h"

#include <QEvent>
#include <algorithm>
#include <utility>

#include "input/StepButtons.h"

namespace sorvant {

StepButtonMouse::StepButtonMouse(std::function<void()> down, std::function<void()> up, QObject* parent)
    : QObject(parent), down_(std::move(down)), up_(std::move(up)) {}

bool StepButtonMouse::eventFilter(QObject* watched, QEvent* event) {
  // The push button's own pressed and released signals follow the pointer in and out of the
  // button and hear only the left mouse button; the raw events hear every button, and the release
  // reaches the button that had the press even when the pointer is elsewhere.
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:  // the second press of a double click
      down_();
      break;
    case QEvent::MouseButtonRelease:
      up_();
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

std::chrono::milliseconds TickSchedule::start(Nanoseconds now, Nanoseconds first) {
  due_ = now + first;
  return waitFrom(now);
}

std::chrono::milliseconds TickSchedule::next(Nanoseconds now, Nanoseconds period) {
  due_ += period;
  // Handled late: of the ticks now past only the latest is left, due at once.
  if (due_ < now) due_ += period * ((now - due_) / period);
  return waitFrom(now);
}

std::chrono::milliseconds TickSchedule::waitFrom(Nanoseconds now) const {
  // Rounded up: a timer fires when its wait is over or later, so no tick comes early.
  return std::max(std::chrono::milliseconds(0), std::chrono::ceil<std::chrono::milliseconds>(due_ - now));
}

StepRepeatTimer::StepRepeatTimer() {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &StepRepeatTimer::fire);
  clock_.start();
}

void StepRepeatTimer::sync(const TimerModel& model) {
  const bool fired = std::exchange(fired_, false);
  if (!model.enabled) {
    stop();
    return;
  }
  const auto period = std::chrono::duration_cast<TickSchedule::Nanoseconds>(
      std::chrono::duration<double, std::milli>(mouseDownPeriodMs(model.interval)));
  if (fired && running_) {
    // The next tick is counted from the one just handled, at the interval the model now holds.
    timer_.start(schedule_.next(now(), period));
  } else if (!running_ || model.interval != interval_) {
    timer_.start(schedule_.start(now(), period));
  }
  interval_ = model.interval;
  running_ = true;
}

void StepRepeatTimer::stop() {
  timer_.stop();
  running_ = false;
}

void StepRepeatTimer::fire() {
  fired_ = true;
  if (tick_) tick_();
  // Nobody followed the model after the tick (the window is closing): the timer stays stopped.
  if (std::exchange(fired_, false)) running_ = false;
}

}  // namespace sorvant
