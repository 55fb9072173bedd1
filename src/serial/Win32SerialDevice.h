#pragma once
// A serial device on the Win32 API, receive only: 8 data bits, no parity, 1 stop bit at a given speed,
// and reads that never wait. No toolkit, so it is tested on its own.
#include <string>

namespace sorvant {

class Win32SerialDevice {
 public:
  Win32SerialDevice() = default;
  ~Win32SerialDevice() { close(); }
  Win32SerialDevice(const Win32SerialDevice&) = delete;
  Win32SerialDevice& operator=(const Win32SerialDevice&) = delete;

  // Opens a device ("\\.\COM3") for reading at `baud` bit/s, 8N1, no flow control. False always leaves
  // it closed, with the reason in error().
  bool open(const std::string& path, int baud);
  bool isOpen() const { return handle_ != nullptr; }
  // Changes the speed of the open device. False (reason in error()) leaves it open at its old speed.
  bool setBaudRate(int baud);
  // Appends every byte waiting to `into`, without waiting for more. False when the device has gone
  // (an adapter unplugged): it is then closed, with the reason in error(); bytes read before are kept.
  bool read(std::string& into);
  void close();
  // Why the last open, speed change or read failed, in words an operator can act on.
  const std::string& error() const { return error_; }
  // The line settings the driver reports for the open device ("4800,n,8,1"); empty when closed.
  std::string lineSettings() const;

 private:
  void* handle_ = nullptr;
  std::string error_;
};

}  // namespace sorvant
