#pragma once
// The serial port as the rules use it, on a serial device of any system: receive only, one receive
// event per batch of characters. It keeps a DF message cut by a read until its rest comes or the line
// has been quiet for as long as the rest takes at the line's speed; it keeps the port open for the rules
// while its device is missing or has gone, looking for it again every half second; and it says why the
// device is not open, on standard error once for each new reason.
//
// No event loop of its own: what it needs from one it asks through the four calls at the end, which
// the shell answers with its notifier and timers, and a test by calling the entry points itself.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "core/Interfaces.h"
#include "serial/MessageHoldBack.h"
#include "serial/SerialDevice.h"

namespace sorvant {

class SerialLine : public SerialPort {
 public:
  // How often a missing device is looked for again.
  static constexpr int kReopenMs = 500;
  // How often a polled device is read. Well inside the 50 ms processing period, so no bearing waits for
  // a cycle because of it.
  static constexpr int kPollMs = 10;

  // The line on `device`; `clock`'s steady seconds tell how long the line has been quiet. The clock
  // must outlive the line.
  SerialLine(std::unique_ptr<SerialDevice> device, const Clock& clock);
  // Closes nothing through the event loop: a shell closes the port in its own destructor.
  ~SerialLine() override = default;
  SerialLine(const SerialLine&) = delete;
  SerialLine& operator=(const SerialLine&) = delete;

  void setCommPort(int port) override { port_ = port; }
  int commPort() const override { return port_; }
  // Takes effect at once on an open device, as on the next open.
  void setSettings(const std::string& settings) override;
  std::string settings() const override { return settings_; }
  // Logically open: stays true while a missing device is being looked for.
  bool portOpen() const override { return open_; }
  bool open() override;
  bool openWaiting() override;
  void close() override;
  const std::string& lastError() const override { return error_; }
  std::string input() override;
  void discardInput() override { ready_.clear(); }
  void setReceiveHandler(std::function<void()> handler) override { handler_ = std::move(handler); }

  // The device is open right now (false while a missing device is being looked for).
  bool deviceOpen() const { return device_->isOpen(); }
  // How many characters wait for the rest of a DF message cut by a read.
  std::size_t heldBack() const { return held_.held(); }
  // How long a cut message waits for its rest once the line goes quiet, at the current speed.
  int holdBackMs() const { return held_.holdTimeMs(); }
  // Another clock from now on, such as a test's fake clock; it must outlive the line.
  void useClock(const Clock& clock) { clock_ = &clock; }

  // The entry points the event loop calls when asked to.
  // Reads what the device has, hands it on and notices a device that has gone.
  void readDevice();
  // Hands over a cut message's start once the line has been quiet long enough by the clock.
  void releaseHeld();
  // Looks for a missing device again.
  void reopen();

 protected:
  // What the line asks of the event loop that runs it; each call replaces the last one of its kind.
  // Call readDevice() whenever `handle` turns readable, or every kPollMs when it is -1; until
  // stopReading().
  virtual void readWhenReady(int handle) = 0;
  virtual void stopReading() = 0;
  // Call releaseHeld() once, `ms` milliseconds from now; a negative `ms` cancels.
  virtual void releaseHeldIn(int ms) = 0;
  // Call reopen() every `ms` milliseconds; 0 stops.
  virtual void reopenEvery(int ms) = 0;

 private:
  // Opens the device of the current port at the current speed; false leaves it closed and sets error_.
  bool openDevice();
  // Records why the device is not open, telling standard error once for each new reason.
  void fail(std::string reason);
  // Asks for releaseHeld() when the held characters are due, or for nothing when none are held.
  void askForRelease(double now);
  // Sets the hold-back time from the speed in settings_.
  void followSpeed();
  void deviceLost();
  void notify();
  std::string portName() const { return "COM" + std::to_string(port_); }

  std::unique_ptr<SerialDevice> device_;
  const Clock* clock_;
  std::function<void()> handler_;
  int port_ = 1;
  std::string settings_ = "9600,n,8,1";
  std::string error_;
  std::string reported_;  // the reason last written to standard error
  bool open_ = false;
  std::string ready_;  // delivered, waiting for input()
  MessageHoldBack held_;
};

}  // namespace sorvant
