#include "shell/QtSerialPort.h"

namespace sorvant {

namespace {

// The steady clock the line measures quiet time by, unless a test gives it another.
const Clock& systemClock() {
  static const QtClock clock;
  return clock;
}

}  // namespace

QtSerialPort::QtSerialPort() : SerialLine(makeSystemSerialDevice(), systemClock()) {
  // Qt runs a timer this short on Windows' multimedia timer, so it keeps its interval rather than the
  // 15.6 ms system tick.
  pollTimer_.setInterval(kPollMs);
  holdTimer_.setSingleShot(true);
  holdTimer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&notifier_, &QSocketNotifier::activated, &notifier_, [this] { readDevice(); });
  QObject::connect(&pollTimer_, &QTimer::timeout, &pollTimer_, [this] { readDevice(); });
  QObject::connect(&holdTimer_, &QTimer::timeout, &holdTimer_, [this] { releaseHeld(); });
  QObject::connect(&reopenTimer_, &QTimer::timeout, &reopenTimer_, [this] { reopen(); });
}

// Closed while the notifier and the timers still answer the line's last requests.
QtSerialPort::~QtSerialPort() { close(); }

void QtSerialPort::readWhenReady(int handle) {
  if (handle < 0) {
    pollTimer_.start();
    return;
  }
  notifier_.setSocket(handle);
  notifier_.setEnabled(true);
}

void QtSerialPort::stopReading() {
  // Also from inside the notifier's own signal: disabled, never destroyed there.
  notifier_.setEnabled(false);
  pollTimer_.stop();
}

void QtSerialPort::releaseHeldIn(int ms) {
  if (ms < 0)
    holdTimer_.stop();
  else
    holdTimer_.start(ms);
}

void QtSerialPort::reopenEvery(int ms) {
  if (ms > 0)
    reopenTimer_.start(ms);
  else
    reopenTimer_.stop();
}

}  // namespace sorvant
