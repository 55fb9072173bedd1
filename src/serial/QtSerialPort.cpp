#include "serial/QtSerialPort.h"

#include <QByteArray>
#include <QFileInfo>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "serial/ComPortPath.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sorvant {

namespace {

#ifndef _WIN32
// What stands at an existing path that is plainly no serial line, for the operator ("a folder");
// empty for a character device (only an open tells a terminal from /dev/null) and for a path that
// cannot be looked at.
std::string notASerialDevice(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {};
  if (S_ISDIR(info.st_mode)) return "a folder (link the port to a device in it)";
  if (S_ISFIFO(info.st_mode)) return "a FIFO (named pipe)";
  if (S_ISREG(info.st_mode)) return "a regular file";
  if (S_ISSOCK(info.st_mode)) return "a socket";
  if (S_ISBLK(info.st_mode)) return "a block device (a disk)";
  return {};
}

// Whether a device, when Qt has it open, is a terminal: a serial line or a pseudo-terminal.
bool isTerminal(const QSerialPort& device) { return ::isatty(static_cast<int>(device.handle())) == 1; }
#else
std::string notASerialDevice(const std::string&) { return {}; }
bool isTerminal(const QSerialPort&) { return true; }
#endif

// The speed in a line-settings text ("4800,n,8,1"); 0 when it does not start with a number.
qint32 baudOf(const std::string& settings) { return static_cast<qint32>(std::atol(settings.c_str())); }

// Why an open failed, in words an operator can act on.
std::string openFailure(const QSerialPort& device, const std::string& path, int port) {
  const std::string where = "COM" + std::to_string(port) + " (" + path + "): ";
  const QString detail = device.errorString();
  switch (device.error()) {
    case QSerialPort::DeviceNotFoundError:
      return where + "no such device";
    case QSerialPort::PermissionError:
      // Qt reports a port held by another program (its lock file, or EBUSY) as a permission error.
      if (detail.contains("lock", Qt::CaseInsensitive) || detail.contains("busy", Qt::CaseInsensitive))
        return where + "the device is busy (in use by another program)";
#ifdef _WIN32
      return where + "permission denied";
#else
      return where + "permission denied: add your user to the dialout group";
#endif
    case QSerialPort::UnsupportedOperationError:
      // Opening reads the terminal settings, so a device without them (/dev/null, /dev/zero,
      // /dev/urandom) fails there; a terminal that refuses a setting fails once open.
      if (!device.isOpen() || !isTerminal(device))
        return where + "not a serial device: a character device without line settings";
      return where + "the device does not accept the line settings";
    default:
      return where + detail.toStdString();
  }
}

}  // namespace

QtSerialPort::QtSerialPort(QObject* parent) : QObject(parent) {
  holdTimer_.setSingleShot(true);
  followSpeed();
  holdTimer_.setTimerType(Qt::PreciseTimer);
  reopenTimer_.setInterval(kReopenMs);
  connect(&device_, &QSerialPort::readyRead, this, &QtSerialPort::readDevice);
  connect(&device_, &QSerialPort::errorOccurred, this, &QtSerialPort::deviceError);
  connect(&holdTimer_, &QTimer::timeout, this, &QtSerialPort::releaseHeld);
  connect(&reopenTimer_, &QTimer::timeout, this, &QtSerialPort::tryReopen);
}

QtSerialPort::~QtSerialPort() { close(); }

bool QtSerialPort::open() {
  if (open_) return true;
  if (!openDevice()) return false;
  open_ = true;
  return true;
}

bool QtSerialPort::openWaiting() {
  if (open_) return device_.isOpen();
  open_ = true;
  if (openDevice()) return true;
  // Handled like a device that has gone: looked for until it appears.
  reopenTimer_.start();
  return false;
}

void QtSerialPort::close() {
  open_ = false;
  error_.clear();
  lossPending_ = false;
  reopenTimer_.stop();
  holdTimer_.stop();
  ready_.clear();
  held_.clear();
  if (device_.isOpen()) device_.close();
}

void QtSerialPort::followSpeed() { held_.setLineSpeed(baudOf(settings_)); }

void QtSerialPort::setSettings(const std::string& settings) {
  settings_ = settings;
  followSpeed();
  // Start-up opens the port (through the test command) before it sets the stored speed.
  if (!device_.isOpen()) return;
  const qint32 baud = baudOf(settings_);
  if (baud > 0 && device_.setBaudRate(baud))
    error_.clear();
  else
    fail("COM" + std::to_string(port_) + ": the device does not accept the line settings \"" + settings_ + "\"");
}

std::string QtSerialPort::input() {
  std::string out;
  out.swap(ready_);
  return out;
}

bool QtSerialPort::openDevice() {
  const std::string path = sorvant::comPortPath(port_);
  const qint32 baud = baudOf(settings_);
  if (path.empty()) {
    fail("COM" + std::to_string(port_) + ": no such port");
    return false;
  }
  if (baud <= 0) {
    fail("COM" + std::to_string(port_) + ": unreadable line settings \"" + settings_ + "\"");
    return false;
  }
#ifndef _WIN32
  // Looked for first: an open attempt creates and removes a lock file, twice a second while an
  // adapter is unplugged.
  if (!QFileInfo::exists(QString::fromStdString(path))) {
    fail("COM" + std::to_string(port_) + " (" + path + "): no such device");
    return false;
  }
#endif
  // A link to the wrong thing (a folder of devices, a file) is said as such and never opened: a file
  // or a FIFO would be read as if it were the line.
  if (const std::string kind = notASerialDevice(path); !kind.empty()) {
    fail("COM" + std::to_string(port_) + " (" + path + "): not a serial device: " + kind);
    return false;
  }
  device_.setPortName(QString::fromStdString(path));
  // Receive only: the line is never written to, so the device is not opened for writing.
  if (!device_.open(QIODevice::ReadOnly)) {
    fail(openFailure(device_, path, port_));
    return false;
  }
  const bool configured = device_.setBaudRate(baud) && device_.setDataBits(QSerialPort::Data8) &&
                          device_.setParity(QSerialPort::NoParity) && device_.setStopBits(QSerialPort::OneStop) &&
                          device_.setFlowControl(QSerialPort::NoFlowControl);
  if (!configured) {
    fail(openFailure(device_, path, port_));
    device_.close();
    return false;
  }
  error_.clear();
  reported_.clear();
  return true;
}

void QtSerialPort::fail(std::string reason) {
  if (reason != reported_) {
    std::fprintf(stderr, "sorvant: %s\n", reason.c_str());
    reported_ = reason;
  }
  error_ = std::move(reason);
}

void QtSerialPort::readDevice() {
  const QByteArray bytes = device_.readAll();
  if (bytes.isEmpty()) return;
  const double now = clock_->monotonicSeconds();
  const std::string text = held_.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), now);
  armHoldTimer(now);
  if (text.empty()) return;
  ready_ += text;
  notify();
}

void QtSerialPort::armHoldTimer(double now) {
  if (held_.holding())
    holdTimer_.start(std::max(1, held_.msUntilDue(now)));
  else
    holdTimer_.stop();
}

void QtSerialPort::releaseHeld() {
  // The timer only says when to look: the clock decides whether the line has been quiet long enough.
  const double now = clock_->monotonicSeconds();
  std::string text = held_.releaseIfQuiet(now);
  if (text.empty()) {
    armHoldTimer(now);
    return;
  }
  ready_ += text;
  notify();
}

void QtSerialPort::notify() {
  if (ready_.empty() || !handler_) return;
  // A copy, so a handler that replaces itself does not destroy the function it is running in.
  const std::function<void()> handler = handler_;
  handler();
}

void QtSerialPort::deviceError(QSerialPort::SerialPortError error) {
  // A device that has gone shows as a resource error, or (a hung-up terminal reads end-of-file) as a
  // read error that Qt then repeats for as long as the device stays open.
  if ((error != QSerialPort::ResourceError && error != QSerialPort::ReadError) || !open_ || lossPending_) return;
  // Closing here would pull the device out from under Qt's own read routine, which is still on the
  // stack; the close waits for the event loop.
  lossPending_ = true;
  QTimer::singleShot(0, this, &QtSerialPort::deviceLost);
}

void QtSerialPort::deviceLost() {
  if (!lossPending_) return;
  lossPending_ = false;
  if (device_.isOpen()) device_.close();
  fail("COM" + std::to_string(port_) + ": the device has gone; waiting for it to come back");
  // The port stays open for the rules: no characters arrive, so the silent-line warning shows. The
  // first attempt also waits a full interval, so a device that opens but hangs up at once is not
  // reopened in a tight loop.
  reopenTimer_.start();
}

void QtSerialPort::tryReopen() {
  if (!open_) {
    reopenTimer_.stop();
    return;
  }
  if (openDevice()) reopenTimer_.stop();
}

}  // namespace sorvant
