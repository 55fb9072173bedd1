#include "serial/QtWin32SerialPort.h"

#include <cstdio>
#include <cstdlib>

#include "serial/ComPortPath.h"

namespace sorvant {

namespace {

// The speed in a line-settings text ("4800,n,8,1"); 0 when it does not start with a number.
int baudOf(const std::string& settings) { return std::atoi(settings.c_str()); }

}  // namespace

// The device is polled rather than read with overlapped I/O: everything stays on the UI thread with no
// read pending in the driver (nothing to cancel and wait for at close or when the device goes), and a
// device that has gone must be asked anyway, because some drivers (Wine's terminals among them) then
// read as a quiet line instead of failing.
QtWin32SerialPort::QtWin32SerialPort(QObject* parent) : QObject(parent) {
  // Qt runs a timer this short on Windows' multimedia timer, so it keeps its interval rather than
  // the 15.6 ms system tick.
  pollTimer_.setInterval(kPollMs);
  holdTimer_.setSingleShot(true);
  followSpeed();
  holdTimer_.setTimerType(Qt::PreciseTimer);
  reopenTimer_.setInterval(kReopenMs);
  connect(&pollTimer_, &QTimer::timeout, this, &QtWin32SerialPort::readDevice);
  connect(&holdTimer_, &QTimer::timeout, this, &QtWin32SerialPort::releaseHeld);
  connect(&reopenTimer_, &QTimer::timeout, this, &QtWin32SerialPort::tryReopen);
}

QtWin32SerialPort::~QtWin32SerialPort() { close(); }

bool QtWin32SerialPort::open() {
  if (open_) return true;
  if (!openDevice()) return false;
  open_ = true;
  return true;
}

bool QtWin32SerialPort::openWaiting() {
  if (open_) return device_.isOpen();
  open_ = true;
  if (openDevice()) return true;
  // Handled like a device that has gone: looked for until it appears.
  reopenTimer_.start();
  return false;
}

void QtWin32SerialPort::close() {
  open_ = false;
  error_.clear();
  pollTimer_.stop();
  reopenTimer_.stop();
  holdTimer_.stop();
  ready_.clear();
  held_.clear();
  device_.close();
}

// Polled, the rest of a message can wait in the driver for up to one poll before it is seen.
void QtWin32SerialPort::followSpeed() {
  holdTimer_.setInterval(MessageHoldBack::holdMs(baudOf(settings_)) + kPollMs);
}

void QtWin32SerialPort::setSettings(const std::string& settings) {
  settings_ = settings;
  followSpeed();
  // Start-up opens the port (through the test command) before it sets the stored speed.
  if (!device_.isOpen()) return;
  if (device_.setBaudRate(baudOf(settings_)))
    error_.clear();
  else
    fail("COM" + std::to_string(port_) + ": the device does not accept the line settings \"" + settings_ + "\"");
}

std::string QtWin32SerialPort::input() {
  std::string out;
  out.swap(ready_);
  return out;
}

bool QtWin32SerialPort::openDevice() {
  const std::string path = sorvant::comPortPath(port_);
  const int baud = baudOf(settings_);
  const std::string where = "COM" + std::to_string(port_) + ": ";
  if (path.empty()) {
    fail(where + "no such port");
    return false;
  }
  if (baud <= 0) {
    fail(where + "unreadable line settings \"" + settings_ + "\"");
    return false;
  }
  if (!device_.open(path, baud)) {
    fail(where + device_.error());
    return false;
  }
  error_.clear();
  reported_.clear();
  pollTimer_.start();
  return true;
}

void QtWin32SerialPort::fail(std::string reason) {
  if (reason != reported_) {
    std::fprintf(stderr, "sorvant: %s\n", reason.c_str());
    reported_ = reason;
  }
  error_ = std::move(reason);
}

void QtWin32SerialPort::readDevice() {
  std::string bytes;
  const bool present = device_.read(bytes);
  if (!bytes.empty()) deliver(held_.feed(bytes));
  // Unless the receive handler has meanwhile reopened the port.
  if (!present && !device_.isOpen()) deviceLost();
}

void QtWin32SerialPort::deliver(std::string text) {
  if (held_.holding())
    holdTimer_.start();  // restarted by every arrival: it measures how long the line has been quiet
  else
    holdTimer_.stop();
  if (text.empty()) return;
  ready_ += text;
  notify();
}

void QtWin32SerialPort::releaseHeld() {
  if (!held_.holding()) return;
  ready_ += held_.release();
  notify();
}

void QtWin32SerialPort::notify() {
  if (ready_.empty() || !handler_) return;
  // A copy, so a handler that replaces itself does not destroy the function it is running in.
  const std::function<void()> handler = handler_;
  handler();
}

void QtWin32SerialPort::deviceLost() {
  // The handler may have closed the port meanwhile.
  if (!open_) return;
  pollTimer_.stop();
  fail("COM" + std::to_string(port_) + ": the device has gone; waiting for it to come back");
  // The port stays open for the rules: no characters arrive, so the silent-line warning shows. The
  // first attempt also waits a full interval, so a device that opens but goes at once is not
  // reopened in a tight loop.
  reopenTimer_.start();
}

void QtWin32SerialPort::tryReopen() {
  if (!open_) {
    reopenTimer_.stop();
    return;
  }
  if (openDevice()) reopenTimer_.stop();
}

}  // namespace sorvant
