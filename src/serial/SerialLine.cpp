#include "serial/SerialLine.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "serial/ComPortPath.h"

namespace sorvant {

namespace {

// The speed in a line-settings text ("4800,n,8,1"); 0 when it does not start with a number.
int baudOf(const std::string& settings) { return std::atoi(settings.c_str()); }

}  // namespace

SerialLine::SerialLine(std::unique_ptr<SerialDevice> device, const Clock& clock)
    : device_(std::move(device)), clock_(&clock) {
  followSpeed();
}

bool SerialLine::open() {
  if (open_) return true;
  if (!openDevice()) return false;
  open_ = true;
  return true;
}

bool SerialLine::openWaiting() {
  if (open_) return device_->isOpen();
  open_ = true;
  if (openDevice()) return true;
  // Handled like a device that has gone: looked for until it appears.
  reopenEvery(kReopenMs);
  return false;
}

void SerialLine::close() {
  open_ = false;
  error_.clear();
  stopReading();
  reopenEvery(0);
  releaseHeldIn(-1);
  ready_.clear();
  held_.clear();
  device_->close();
}

// A polled device can keep the rest of a message for up to one poll before it is seen.
void SerialLine::followSpeed() { held_.setLineSpeed(baudOf(settings_), device_->polled() ? kPollMs : 0); }

void SerialLine::setSettings(const std::string& settings) {
  settings_ = settings;
  followSpeed();
  // Start-up opens the port (through the test command) before it sets the stored speed.
  if (!device_->isOpen()) return;
  if (device_->setBaudRate(baudOf(settings_)))
    error_.clear();
  else
    fail(portName() + ": the device does not accept the line settings \"" + settings_ + "\"");
}

std::string SerialLine::input() {
  std::string out;
  out.swap(ready_);
  return out;
}

bool SerialLine::openDevice() {
  const std::string path = comPortPath(port_);
  const int baud = baudOf(settings_);
  if (path.empty()) {
    fail(portName() + ": no such port");
    return false;
  }
  if (baud <= 0) {
    fail(portName() + ": unreadable line settings \"" + settings_ + "\"");
    return false;
  }
  if (!device_->open(path, baud)) {
    fail(portName() + " (" + path + "): " + device_->error());
    return false;
  }
  error_.clear();
  reported_.clear();
  readWhenReady(device_->polled() ? -1 : device_->readableHandle());
  return true;
}

void SerialLine::fail(std::string reason) {
  if (reason != reported_) {
    std::fprintf(stderr, "sorvant: %s\n", reason.c_str());
    reported_ = reason;
  }
  error_ = std::move(reason);
}

void SerialLine::readDevice() {
  if (!device_->isOpen()) return;
  std::string bytes;
  const bool present = device_->read(bytes);
  // A device that has gone has closed itself: nothing more to watch.
  if (!present) stopReading();
  if (!bytes.empty()) {
    const double now = clock_->monotonicSeconds();
    const std::string text = held_.feed(bytes, now);
    askForRelease(now);
    if (!text.empty()) {
      ready_ += text;
      notify();
    }
  }
  // Unless the receive handler has meanwhile closed or reopened the port.
  if (!present && !device_->isOpen()) deviceLost();
}

void SerialLine::askForRelease(double now) { releaseHeldIn(held_.holding() ? std::max(1, held_.msUntilDue(now)) : -1); }

void SerialLine::releaseHeld() {
  // Being called only says when to look: the clock decides whether the line has been quiet long enough.
  const double now = clock_->monotonicSeconds();
  const std::string text = held_.releaseIfQuiet(now);
  askForRelease(now);
  if (text.empty()) return;
  ready_ += text;
  notify();
}

void SerialLine::notify() {
  if (ready_.empty() || !handler_) return;
  // A copy, so a handler that replaces itself does not destroy the function it is running in.
  const std::function<void()> handler = handler_;
  handler();
}

void SerialLine::deviceLost() {
  if (!open_) return;
  stopReading();
  fail(portName() + ": the device has gone; waiting for it to come back");
  // The port stays open for the rules: no characters arrive, so the silent-line warning shows. The
  // first attempt also waits a full interval, so a device that opens but goes at once is not reopened
  // in a tight loop.
  reopenEvery(kReopenMs);
}

void SerialLine::reopen() {
  if (!open_ || device_->isOpen() || openDevice()) reopenEvery(0);
}

}  // namespace sorvant
