#pragma once
// What the core asks of the platform. Qt adapters implement these in the shell; tests use fakes.
#include <functional>
#include <string>

#include "core/Color.h"

namespace sorvant {

// Two clocks: the wall clock, which the operator reads and which can step either way (time
// synchronisation, summer time, someone setting it, a suspend), and a steady clock that never steps,
// by which every elapsed time is measured.
class Clock {
 public:
  virtual ~Clock() = default;
  // Wall clock: seconds since local midnight, with fraction.
  virtual double secondsSinceMidnight() const = 0;
  // Wall clock: local time of day in the platform's long time format ("14:03:59" or "2:03:59 PM").
  virtual std::string timeOfDayText() const = 0;
  // Steady clock: seconds from an arbitrary fixed origin, with fraction; never goes back or jumps
  // when the wall clock is set, and does not run while the machine is suspended.
  virtual double monotonicSeconds() const = 0;
};

// The serial port, receive only. Opening can fail; open() then leaves the port closed and says why.
class SerialPort {
 public:
  virtual ~SerialPort() = default;
  virtual void setCommPort(int port) = 0;  // 1..8 mean COM1..COM8
  virtual int commPort() const = 0;
  // "4800,n,8,1"; applies at once to an open device, as to the next open.
  virtual void setSettings(const std::string& settings) = 0;
  virtual std::string settings() const = 0;
  virtual bool portOpen() const = 0;
  // Opens the port. False always leaves the port closed, with the reason in lastError().
  virtual bool open() = 0;
  // Opens the port to listen, and keeps it open when its device cannot be opened now: the device is
  // then looked for until it appears (an adapter plugged in later). False says the device is not
  // open yet, with the reason in lastError(); the port counts as open either way.
  virtual bool openWaiting() = 0;
  // Closes the port; the reason of an earlier failure is forgotten.
  virtual void close() = 0;
  // Why the device is not open (a failed open, a device that has gone); empty when nothing failed.
  virtual const std::string& lastError() const = 0;
  // All characters waiting, in order, and removes them from the port.
  virtual std::string input() = 0;
  // Discards whatever is still waiting (InBufferCount = 0).
  virtual void discardInput() = 0;
  // Called on the UI thread whenever received characters are waiting.
  virtual void setReceiveHandler(std::function<void()> handler) = 0;
};

// The main window's drawing surface, in twips. The pen, fill and text state are plain members;
// the operations draw with them. Drawing persists until drawn over or cleared.
class Surface {
 public:
  virtual ~Surface() = default;
  Color foreColor = 0;
  Color fillColor = 0;
  int fillStyle = 1;  // 0 solid, 1 transparent
  int drawWidth = 1;  // pixels
  int drawStyle = 0;  // 0 solid, 2 dotted
  std::string fontName = "arial";
  float fontSize = 12.0f;
  bool fontBold = true;
  float currentX = 0;
  float currentY = 0;
  Color backColor = kDefaultColors[DisplayBackground];  // what Cls fills with

  // Nothing is ever drawn outside this rectangle (twips) until the next call; a surface may keep
  // pixels for it alone, the rest showing the colour of the last clear. A zero size means all.
  virtual void setDrawingArea(float /*x*/, float /*y*/, float /*width*/, float /*height*/) {}
  // Limits drawing to a rectangle (twips) until unclip(). A line drawn clipped sets exactly the pixels
  // inside the rectangle that it sets unclipped. A surface without pixels may ignore both.
  virtual void clipTo(float /*x*/, float /*y*/, float /*width*/, float /*height*/) {}
  virtual void unclip() {}
  // How many twips one pixel of a line of width 1 spans.
  virtual float pixelTwips() const { return 15.0f; }
  virtual void Cls() = 0;
  virtual void Line(float x, float y, float dx, float dy) = 0;
  virtual void Circle(float x, float y, float r) = 0;
  virtual void Print(const std::string& text) = 0;
  virtual void Refresh() = 0;
};

// The main window as the rules see it: its sizes in twips and its window commands.
class WindowHost {
 public:
  virtual ~WindowHost() = default;
  virtual float Width() const = 0;  // outer size, border included
  virtual float Height() const = 0;
  virtual float ScaleWidth() const = 0;  // client area
  virtual float ScaleHeight() const = 0;
  virtual void showNormal() = 0;
  virtual void showMaximized() = 0;
  virtual void closeWindow() = 0;
  virtual void showOptions() = 0;
};

// The modal colour picker: returns the chosen colour, or the start colour when cancelled.
class ColorPicker {
 public:
  virtual ~ColorPicker() = default;
  virtual Color showColor(Color start) = 0;
};

// Uniform numbers in [0, 1) from a fixed seed, so every start draws the same sequence.
class Random {
 public:
  virtual ~Random() = default;
  virtual double next() = 0;
};

}  // namespace sorvant
