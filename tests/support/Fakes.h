#pragma once
// Fakes of the platform interfaces: a clock the test sets, a port the test feeds, a window host
// with fixed sizes, a colour picker with a scripted answer.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/Interfaces.h"

namespace sorvant::test {

// A wall clock and a steady clock that tests move: advance() and runTo() let time pass (both move);
// stepWall() or setting `now` sets the wall clock alone, as a time sync or a suspend does.
class FakeClock final : public Clock {
 public:
  double now = 36000.0;    // wall clock: 10:00:00
  double steady = 5000.0;  // steady clock, from an arbitrary origin
  double secondsSinceMidnight() const override { return now; }
  std::string timeOfDayText() const override {
    const int s = static_cast<int>(std::floor(now));
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", s / 3600 % 24, s / 60 % 60, s % 60);
    return buf;
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
