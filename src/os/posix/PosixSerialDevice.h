#pragma once
// A serial device on a POSIX terminal (termios), receive only: 8 data bits, no parity, 1 stop bit, raw,
// no flow control, reads that never wait. Opened for exclusive use, so a second open of the same device,
// by this program or another, is refused as busy.
#include <string>

#include "serial/SerialDevice.h"

namespace sorvant {

class PosixSerialDevice final : public SerialDevice {
 public:
  PosixSerialDevice() = default;
  ~PosixSerialDevice() override { close(); }
  PosixSerialDevice(const PosixSerialDevice&) = delete;
  PosixSerialDevice& operator=(const PosixSerialDevice&) = delete;

  // A path to anything but a terminal (a folder, a file, a FIFO, /dev/null) is refused as "not a serial
  // device", a file or FIFO without being opened, so nothing is ever read from it.
  bool open(const std::string& path, int baud) override;
  bool isOpen() const override { return fd_ >= 0; }
  bool setBaudRate(int baud) override;
  bool read(std::string& into) override;
  void close() override;
  const std::string& error() const override { return error_; }
  bool polled() const override { return false; }
  int readableHandle() const override { return fd_; }

 private:
  int fd_ = -1;
  std::string error_;
};

}  // namespace sorvant
