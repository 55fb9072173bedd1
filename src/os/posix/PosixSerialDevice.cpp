#include "os/posix/PosixSerialDevice.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

namespace sorvant {

namespace {

const char* const kRefusedSettings = "the device does not accept the line settings";

// The terminal speed of `baud` bit/s; false for a speed that has none.
bool speedOf(int baud, speed_t& speed) {
  static constexpr std::pair<int, speed_t> kSpeeds[] = {
      {50, B50},     {75, B75},       {110, B110},     {134, B134},     {150, B150},       {200, B200},
      {300, B300},   {600, B600},     {1200, B1200},   {1800, B1800},   {2400, B2400},     {4800, B4800},
      {9600, B9600}, {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400}};
  for (const auto& [bits, code] : kSpeeds) {
    if (bits == baud) {
      speed = code;
      return true;
    }
  }
  return false;
}

// What stands at an existing path that is plainly no serial line, for the operator ("a folder"); empty
// for a character device (only an open tells a terminal from /dev/null).
std::string notASerialDevice(const struct stat& info) {
  if (S_ISDIR(info.st_mode)) return "a folder (link the port to a device in it)";
  if (S_ISFIFO(info.st_mode)) return "a FIFO (named pipe)";
  if (S_ISREG(info.st_mode)) return "a regular file";
  if (S_ISSOCK(info.st_mode)) return "a socket";
  if (S_ISBLK(info.st_mode)) return "a block device (a disk)";
  return {};
}

// Why a path could not be looked at or opened, in words an operator can act on.
std::string openFailure(int code) {
  switch (code) {
    case ENOENT:
    case ENOTDIR:
    case ENODEV:
    case ENXIO:
      return "no such device";
    case EACCES:
    case EPERM:
      return "permission denied: add your user to the dialout group";
    case EBUSY:
      return "the device is busy (in use by another program)";
    default:
      return std::strerror(code);
  }
}

// 8N1 at `speed`, raw: every byte passed through as it came, no flow control, no modem lines obeyed.
// A read waits for at least one byte, so a non-blocking read of a quiet line fails with EAGAIN and one
// that returns nothing means the terminal has hung up.
bool configure(int fd, speed_t speed) {
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) return false;
  ::cfmakeraw(&tio);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= CS8 | CLOCAL | CREAD;
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0) return false;
  if (::tcsetattr(fd, TCSANOW, &tio) != 0) return false;
  // tcsetattr succeeds when any of the settings took: read back the one that matters.
  termios now{};
  return ::tcgetattr(fd, &now) == 0 && ::cfgetispeed(&now) == speed;
}

}  // namespace

bool PosixSerialDevice::open(const std::string& path, int baud) {
  close();
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    error_ = openFailure(errno);
    return false;
  }
  // A link to the wrong thing (a folder of devices, a file) is said as such and never opened: a file or
  // a FIFO would be read as if it were the line.
  if (const std::string kind = notASerialDevice(info); !kind.empty()) {
    error_ = "not a serial device: " + kind;
    return false;
  }
  speed_t speed{};
  if (!speedOf(baud, speed)) {
    error_ = kRefusedSettings;
    return false;
  }
  // Receive only: the line is never written to, so the device is not opened for writing. Not blocking,
  // also while the modem lines say nobody is there.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error_ = openFailure(errno);
    return false;
  }
  // Character devices without line settings: /dev/null, /dev/zero (ENOTTY), /dev/urandom (EINVAL).
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) {
    const int code = errno;
    ::close(fd);
    error_ = code == ENOTTY || code == EINVAL ? "not a serial device: a character device without line settings"
                                              : openFailure(code);
    return false;
  }
  // One program at a time: a lock that holds for root too (the terminal's exclusive mode does not), and
  // the exclusive mode that other serial programs look for.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    ::close(fd);
    error_ = openFailure(EBUSY);
    return false;
  }
  ::ioctl(fd, TIOCEXCL);
  if (!configure(fd, speed)) {
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);
    error_ = kRefusedSettings;
    return false;
  }
  fd_ = fd;
  error_.clear();
  return true;
}

bool PosixSerialDevice::setBaudRate(int baud) {
  speed_t speed{};
  if (!isOpen() || !speedOf(baud, speed) || !configure(fd_, speed)) {
    error_ = kRefusedSettings;
    return false;
  }
  error_.clear();
  return true;
}

bool PosixSerialDevice::read(std::string& into) {
  if (!isOpen()) return false;
  std::array<char, 4096> buffer{};
  for (;;) {
    const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
    if (n > 0) {
      into.append(buffer.data(), static_cast<std::size_t>(n));
      // Whatever comes meanwhile makes the device readable again.
      if (static_cast<std::size_t>(n) < buffer.size()) return true;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
    // Nothing at all: the terminal has hung up (an adapter unplugged, the far end of a pseudo-terminal
    // closed); or an error such as EIO.
    const std::string why = n == 0 ? "hung up" : std::strerror(errno);
    close();
    error_ = "the device has gone (" + why + ")";
    return false;
  }
}

void PosixSerialDevice::close() {
  if (fd_ < 0) return;
  ::ioctl(fd_, TIOCNXCL);
  ::close(fd_);
  fd_ = -1;
}

std::unique_ptr<SerialDevice> makeSystemSerialDevice() { return std::make_unique<PosixSerialDevice>(); }

}  // namespace sorvant
