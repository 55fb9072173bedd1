#pragma once
// A serial device as the serial line needs it: receive only, 8 data bits, no parity, 1 stop bit, no flow
// control, and reads that never wait. One implementation per operating system lives in src/os/; tests
// use a fake that feeds bytes and fails on request.
#include <memory>
#include <string>

namespace sorvant {

class SerialDevice {
 public:
  virtual ~SerialDevice() = default;
  // Opens the device at `path` for reading at `baud` bit/s. False always leaves it closed, with the
  // reason in error(); an open device is closed first.
  virtual bool open(const std::string& path, int baud) = 0;
  virtual bool isOpen() const = 0;
  // Changes the speed of the open device. False (reason in error()) leaves it open at its old speed.
  virtual bool setBaudRate(int baud) = 0;
  // Appends every byte waiting to `into`, without waiting for more. False when the device has gone (an
  // adapter unplugged) or is not open: it is then closed, with the reason in error(); bytes read before
  // are kept.
  virtual bool read(std::string& into) = 0;
  virtual void close() = 0;
  // Why the last open, speed change or read failed, in words an operator can act on.
  virtual const std::string& error() const = 0;
  // True for a device that cannot say when bytes have come, so it has to be read over and over; false
  // for one whose readableHandle() turns readable then.
  virtual bool polled() const = 0;
  // While open and not polled: a descriptor that turns readable when bytes arrive or the device goes,
  // for an event loop to watch. -1 otherwise.
  virtual int readableHandle() const = 0;
};

// The serial device of the operating system this is built for (defined once per system in src/os/).
std::unique_ptr<SerialDevice> makeSystemSerialDevice();

}  // namespace sorvant
