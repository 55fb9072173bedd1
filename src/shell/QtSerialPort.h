#pragma once
// The program's serial port: the serial line's rules on this system's serial device, woken by Qt's
// event loop (a notifier on the device, or a poll timer for a device that has none, and timers for
// the hold-back and the search for a missing device).
#include <QSocketNotifier>
#include <QTimer>

#include "serial/SerialLine.h"
#include "shell/QtClock.h"

namespace sorvant {

class QtSerialPort final : public SerialLine {
 public:
  QtSerialPort();
  ~QtSerialPort() override;
  QtSerialPort(const QtSerialPort&) = delete;
  QtSerialPort& operator=(const QtSerialPort&) = delete;

 private:
  void readWhenReady(int handle) override;
  void stopReading() override;
  void releaseHeldIn(int ms) override;
  void reopenEvery(int ms) override;

  QSocketNotifier notifier_{QSocketNotifier::Read};
  QTimer pollTimer_;
  QTimer holdTimer_;
  QTimer reopenTimer_;
};

}  // namespace sorvant
