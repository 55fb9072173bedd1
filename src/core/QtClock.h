#pragma once
#include <QLocale>
#include <QTime>

#include "core/Interfaces.h"

namespace sorvant {

// The local clock: seconds since midnight and the time of day in the locale's long format.
class QtClock final : public Clock {
 public:
  double secondsSinceMidnight() const override { return QTime::currentTime().msecsSinceStartOfDay() / 1000.0; }
  std::string timeOfDayText() const override {
    // Hours, minutes and seconds, with the AM/PM marker where the locale uses one; no time zone.
    const QString shortFormat = QLocale().timeFormat(QLocale::ShortFormat);
    const bool twelveHour = shortFormat.contains(QLatin1String("ap"), Qt::CaseInsensitive);
    return QLocale()
        .toString(QTime::currentTime(), twelveHour ? QStringLiteral("h:mm:ss AP") : QStringLiteral("HH:mm:ss"))
        .toStdString();
  }
};

}  // namespace sorvant
