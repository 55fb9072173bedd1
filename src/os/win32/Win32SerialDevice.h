#pragma once
// A serial device on the Win32 API, receive only: 8 data bits, no parity, 1 stop bit at a given speed,
// and reads that never wait. Windows gives a port to one program at a time, so a second open is refused
// as busy.
#include <string>

#include "serial/SerialDevice.h"

namespace sorvant {

class Win32SerialDevice final : public SerialDevice {
 public:
  Win32SerialDevice() = default;
  ~Win32SerialDevice() override { close(); }
  Win32SerialDevice(const Win32SerialDevice&) = delete;
  Win32SerialDevice& operator=(const Win32SerialDevice&) = delete;

  // Opens a device ("\\.\COM3").
  bool open(const std::string& path, int baud) override;
  bool isOpen() const override { return handle_ != nullptr; }
  bool setBaudRate(int baud) override;
  bool read(std::string& into) override;
  void close() override;
  const std::string& error() const override { return error_; }
  // Polled: reading with overlapped I/O would leave a read pending in the driver, to be cancelled and
  // waited for at every close, and a device that has gone must be asked anyway, because some drivers
  // (Wine's terminals among them) then read as a quiet line instead of failing.
  bool polled() const override { return true; }
  int readableHandle() const override { return -1; }
  // The line settings the driver reports for the open device ("4800,n,8,1"); empty when closed.
  std::string lineSettings() const;

 private:
  void* handle_ = nullptr;
  std::string error_;
};

}  // namespace sorvant
