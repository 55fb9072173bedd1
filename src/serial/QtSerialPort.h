#pragma once
// The serial port on Qt Serial Port: receive only, 8N1, one receive event per batch of characters.
#include <QObject>
#include <QSerialPort>
#include <QTimer>
#include <functional>
#include <string>

#include "core/Interfaces.h"
#include "core/QtClock.h"
#include "serial/MessageHoldBack.h"

namespace sorvant {

class QtSerialPort final : public QObject, public SerialPort {
  Q_OBJECT

 public:
  // How often a vanished device is looked for again.
  static constexpr int kReopenMs = 500;

  explicit QtSerialPort(QObject* parent = nullptr);
  ~QtSerialPort() override;

  void setCommPort(int port) override { port_ = port; }
  int commPort() const override { return port_; }
  // Takes effect at once on an open device, as on the next open.
  void setSettings(const std::string& settings) override;
  std::string settings() const override { return settings_; }
  // Logically open: stays true while a vanished device is being looked for.
  bool portOpen() const override { return open_; }
  bool open() override;
  bool openWaiting() override;
  void close() override;
  const std::string& lastError() const override { return error_; }
  std::string input() override;
  void discardInput() override { ready_.clear(); }
  void setReceiveHandler(std::function<void()> handler) override { handler_ = std::move(handler); }

  // The device is open right now (false while a vanished device is being looked for).
  bool deviceOpen() const { return device_.isOpen(); }
  // How many characters wait for the rest of a DF message cut by a read.
  std::size_t heldBack() const { return held_.held(); }
  // How long a cut message waits for its rest once the line goes quiet, at the current speed.
  int holdBackMs() const { return held_.holdTimeMs(); }
  // The clock whose steady seconds tell how long the line has been quiet (the system's steady clock
  // unless given another, such as a test's fake clock, which must outlive the port).
  void useClock(const Clock& clock) { clock_ = &clock; }

 private:
  // Opens the device of the current port at the current speed; false leaves it closed and sets error_.
  bool openDevice();
  // Records why the device is not open, telling standard error once for each new reason.
  void fail(std::string reason);
  void readDevice();
  void releaseHeld();
  // Runs the hold timer until the held characters are due, or stops it when nothing is held.
  void armHoldTimer(double now);
  // Sets the hold-back time from the speed in settings_.
  void followSpeed();
  void deviceError(QSerialPort::SerialPortError error);
  void deviceLost();
  void tryReopen();
  void notify();

  QtClock systemClock_;
  const Clock* clock_ = &systemClock_;
  QSerialPort device_;
  QTimer holdTimer_;
  QTimer reopenTimer_;
  std::function<void()> handler_;
  int port_ = 1;
  std::string settings_ = "9600,n,8,1";
  std::string error_;
  std::string reported_;  // the reason last written to standard error
  bool open_ = false;
  bool lossPending_ = false;
  std::string ready_;  // delivered, waiting for input()
  MessageHoldBack held_;
};

}  // namespace sorvant
