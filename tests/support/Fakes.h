#pragma once
// Fakes of the platform interfaces: a clock the test sets, a port the test feeds, a serial device the
// test plays under the real serial line, a window host with fixed sizes, a colour picker with a scripted
// answer.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Interfaces.h"
#include "serial/SerialDevice.h"
#include "serial/SerialLine.h"

namespace sorvant::test {

// A wall clock and a steady clock that tests move: advance() and runTo() let time pass (both move);
// stepWall() or setting `now` sets the wall clock alone, as a time sync or a suspend does.
class FakeClock final : public Clock {
 public:
  double now = 36000.0;    // wall clock: 10:00:00
  double steady = 5000.0;  // steady clock, from an arbitrary origin
  double secondsSinceMidnight() const override { return now; }
  // Worked out once a second, as the program's clock does: the cycle asks at every tick.
  std::string timeOfDayText() const override {
    const int s = static_cast<int>(std::floor(now));
    if (s != textSecond_) {
      char buf[16];
      std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", s / 3600 % 24, s / 60 % 60, s % 60);
      text_ = buf;
      textSecond_ = s;
    }
    return text_;
  }
  double monotonicSeconds() const override { return steady; }
  void advance(double seconds) {
    steady += seconds;
    now = wallAfter(seconds);
  }
  // Time passes until the wall clock reads `wall`: through midnight when that is earlier than now.
  void runTo(double wall) { advance(wall >= now ? wall - now : wall + 86400.0 - now); }
  // The wall clock jumps by `seconds` (negative: set back) while no time passes.
  void stepWall(double seconds) { now = wallAfter(seconds); }

 private:
  double wallAfter(double seconds) const {
    const double t = std::fmod(now + seconds, 86400.0);
    return t < 0 ? t + 86400.0 : t;
  }
  mutable int textSecond_ = -1;  // the whole second text_ shows
  mutable std::string text_;
};

class FakePort final : public SerialPort {
 public:
  void setCommPort(int port) override { port_ = port; }
  int commPort() const override { return port_; }
  void setSettings(const std::string& s) override {
    settings_ = s;
    if (deviceOpen) deviceSpeed = std::atoi(s.c_str());
  }
  std::string settings() const override { return settings_; }
  bool portOpen() const override { return open_; }
  bool open() override {
    ++openCalls;
    if (failOpen) {
      open_ = false;
      error_ = "No such file or directory";
      return false;
    }
    open_ = true;
    attach();
    return true;
  }
  bool openWaiting() override {
    ++openCalls;
    open_ = true;
    if (failOpen) {
      error_ = "No such file or directory";
      return false;
    }
    attach();
    return true;
  }
  void close() override {
    ++closeCalls;
    open_ = false;
    deviceOpen = false;
    error_.clear();
  }
  const std::string& lastError() const override { return error_; }
  std::string input() override {
    std::string out;
    out.swap(pending_);
    return out;
  }
  void discardInput() override { pending_.clear(); }
  void setReceiveHandler(std::function<void()> handler) override { handler_ = std::move(handler); }

  // Characters arrive on the line: they wait in the port and the receive event is raised.
  void feed(const std::string& text) { feed(text.data(), text.size()); }
  // The same for bytes that are not a string of their own (a fuzzer's input): nothing is allocated.
  void feed(const char* data, std::size_t size) {
    pending_.append(data, size);
    if (handler_) handler_();
  }
  // The missing device appears; a port waiting for it opens it.
  void plugIn() {
    failOpen = false;
    if (open_ && !deviceOpen) attach();
  }

  bool failOpen = false;  // the device is missing: opening it fails
  int openCalls = 0;
  int closeCalls = 0;
  bool deviceOpen = false;  // the device itself, not only the port as the rules see it
  int deviceSpeed = 0;      // bit/s the device was last set to; 0 before it was ever opened

 private:
  void attach() {
    deviceOpen = true;
    deviceSpeed = std::atoi(settings_.c_str());
    error_.clear();
  }

  int port_ = 1;
  std::string settings_ = "9600,n,8,1";
  bool open_ = false;
  std::string error_;
  std::string pending_;
  std::function<void()> handler_;
};

// A serial device the test plays: bytes come with arrive(), an open fails while `refusal` holds a
// reason, and unplug() takes the device away as pulling out an adapter does (the next read says so).
class FakeSerialDevice final : public SerialDevice {
 public:
  static constexpr int kHandle = 42;  // what an open, notifying device gives to be watched

  explicit FakeSerialDevice(bool polling = false) : polling_(polling) {}
  bool open(const std::string& path, int baud) override {
    close();
    ++opens;
    openedPath = path;
    if (!refusal.empty()) {
      error_ = refusal;
      return false;
    }
    open_ = true;
    speed = baud;
    error_.clear();
    return true;
  }
  bool isOpen() const override { return open_; }
  bool setBaudRate(int baud) override {
    if (!open_ || !acceptsSpeed) {
      error_ = "the device does not accept the line settings";
      return false;
    }
    speed = baud;
    error_.clear();
    return true;
  }
  bool read(std::string& into) override {
    if (!open_) return false;
    into += waiting;
    waiting.clear();
    if (!gone) return true;
    close();
    error_ = "the device has gone";
    return false;
  }
  void close() override { open_ = false; }
  const std::string& error() const override { return error_; }
  bool polled() const override { return polling_; }
  int readableHandle() const override { return open_ && !polling_ ? kHandle : -1; }

  // Bytes come in on the line; the next read takes them.
  void arrive(const std::string& bytes) { waiting += bytes; }
  // The adapter is pulled out: the next read reports it gone (after the bytes that came before), and it
  // cannot be opened until plugIn().
  void unplug() {
    gone = true;
    refusal = "no such device";
  }
  void plugIn() {
    gone = false;
    refusal.clear();
  }

  std::string refusal;  // an open fails with this reason while it is not empty
  bool gone = false;
  bool acceptsSpeed = true;
  std::string waiting;  // arrived, not read yet
  int speed = 0;        // bit/s of the last open or speed change
  int opens = 0;
  std::string openedPath;

 private:
  bool polling_;
  bool open_ = false;
  std::string error_;
};

// The serial line on a fake device, with the test as its event loop: it records what the line asks
// for, and the test calls readDevice(), releaseHeld() and reopen() when that is due.
class DrivenSerialLine final : public SerialLine {
 public:
  static constexpr int kNotReading = -2;

  explicit DrivenSerialLine(const Clock& clock,
                            std::unique_ptr<FakeSerialDevice> owned = std::make_unique<FakeSerialDevice>())
      : DrivenSerialLine(clock, *owned, std::move(owned)) {}

  FakeSerialDevice& device;
  int readingHandle = kNotReading;  // what readDevice() waits for: a handle, or -1 for polling
  int releaseInMs = -1;             // releaseHeld() is wanted this many ms after it was asked; -1 not
  int reopenMs = 0;                 // reopen() is wanted this often; 0 not

 private:
  DrivenSerialLine(const Clock& clock, FakeSerialDevice& raw, std::unique_ptr<FakeSerialDevice>&& owned)
      : SerialLine(std::move(owned), clock), device(raw) {}
  void readWhenReady(int handle) override { readingHandle = handle; }
  void stopReading() override { readingHandle = kNotReading; }
  void releaseHeldIn(int ms) override { releaseInMs = ms; }
  void reopenEvery(int ms) override { reopenMs = ms; }
};

class FakeWindowHost final : public WindowHost {
 public:
  float scaleWidth = 9780;
  float scaleHeight = 6795;
  float border = 120;
  float titleBar = 450;
  float Width() const override { return scaleWidth + border; }
  float Height() const override { return scaleHeight + border + titleBar; }
  float ScaleWidth() const override { return scaleWidth; }
  float ScaleHeight() const override { return scaleHeight; }
  void showNormal() override { calls.push_back("normal"); }
  void showMaximized() override { calls.push_back("maximized"); }
  void closeWindow() override { calls.push_back("close"); }
  void showOptions() override { calls.push_back("options"); }
  std::vector<std::string> calls;
};

class FakePicker final : public ColorPicker {
 public:
  std::optional<Color> answer;  // nothing: the operator cancels
  int shown = 0;
  Color showColor(Color start) override {
    ++shown;
    return answer ? *answer : start;
  }
};

}  // namespace sorvant::test
