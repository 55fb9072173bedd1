#pragma once
// The step buttons in the shell: the mouse on a step button, and the timer of the held-button repeat.
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

#include "core/Controls.h"

namespace sorvant {

// The mouse on a step button: any of its buttons pressed starts the held-button repeat, and only
// its release ends it, wherever the pointer has gone meanwhile. The click stays the push button's.
// A finger on a touch screen is the left button: the buttons take no touch events themselves, so Qt
// turns each touch into the press, release and click of the left button, once.
class StepButtonMouse final : public QObject {
 public:
  StepButtonMouse(std::function<void()> down, std::function<void()> up, QObject* parent);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<void()> down_;
  std::function<void()> up_;
};

// The ticks of a period that is not a whole number of milliseconds, on a timer that waits whole
// milliseconds: each wait runs to the next tick counted from the first, so the waits add up to the
// exact period. Ticks that pass while one is handled late are not made up in a burst: the latest of
// them comes at once, the others are skipped.
class TickSchedule {
 public:
  using Nanoseconds = std::chrono::nanoseconds;
  // The first tick is due `first` after `now`; returns the wait for it.
  std::chrono::milliseconds start(Nanoseconds now, Nanoseconds first);
  // After a tick, handled at `now`: the wait for the next one, `period` after it.
  std::chrono::milliseconds next(Nanoseconds now, Nanoseconds period);

 private:
  std::chrono::milliseconds waitFrom(Nanoseconds now) const;
  Nanoseconds due_{0};
};

// Runs Timer_MOUSE_DOWN as its model says: started, restarted when its interval changes, stopped.
// The repeat keeps its exact period (mouseDownPeriodMs) on average.
class StepRepeatTimer final : public QObject {
 public:
  StepRepeatTimer();
  // What a tick does: the timer's event, which ends by calling sync.
  void onTick(std::function<void()> tick) { tick_ = std::move(tick); }
  void sync(const TimerModel& model);
  void stop();

 private:
  void fire();
  TickSchedule::Nanoseconds now() const { return TickSchedule::Nanoseconds(clock_.nsecsElapsed()); }

  QTimer timer_;
  QElapsedTimer clock_;
  TickSchedule schedule_;
  std::function<void()> tick_;
  int interval_ = 0;
  bool running_ = false;
  bool fired_ = false;
};

}  // namespace sorvant
