#pragma once
#include <QDateTime>
#include <QLocale>
#include <QTime>
#include <chrono>

#include "core/Interfaces.h"

namespace sorvant {

// The local clock: seconds since midnight and the time of day in the locale's long format; elapsed
// times from the system's steady clock (CLOCK_MONOTONIC on Linux, the performance counter on Windows).
// The local time and its text are worked out once per second; within the second the fraction
// comes from the system clock alone, which needs no time zone look-up.
class QtClock final : public Clock {
 public:
  double secondsSinceMidnight() const override {
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    update(ms);
    return wholeSeconds_ + static_cast<double>(ms - second_ * 1000) / 1000.0;
  }
  std::string timeOfDayText() const override {
    update(QDateTime::currentMSecsSinceEpoch());
    return text_;
  }
  double monotonicSeconds() const override {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  }

 private:
  void update(qint64 ms) const {
    const qint64 second = ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
    if (second == second_) return;
    second_ = second;
    const QTime local = QDateTime::fromSecsSinceEpoch(second).time();
    wholeSeconds_ = local.msecsSinceStartOfDay() / 1000;
    // Hours, minutes and seconds, with the AM/PM marker where the locale uses one; no time zone.
    const QLocale locale;
    const bool twelveHour = locale.timeFormat(QLocale::ShortFormat).contains(QLatin1String("ap"), Qt::CaseInsensitive);
    text_ =
        locale.toString(local, twelveHour ? QStringLiteral("h:mm:ss AP") : QStringLiteral("HH:mm:ss")).toStdString();
  }

  mutable qint64 second_ = -1;
  mutable int wholeSeconds_ = 0;
  mutable std::string text_;
};

}  // namespace sorvant
