#include "os/win32/Win32SerialDevice.h"

#include <windows.h>

#include <array>

namespace sorvant {

namespace {

// The system's own words for an error code, without the line end it puts after them.
std::string systemMessage(DWORD code) {
  std::array<char, 512> text{};
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                 text.data(), static_cast<DWORD>(text.size()), nullptr);
  std::string message(text.data(), n);
  while (!message.empty() &&
         (message.back() == '\r' || message.back() == '\n' || message.back() == ' ' || message.back() == '.'))
    message.pop_back();
  if (message.empty()) message = "system error";
  return message + " (error " + std::to_string(code) + ")";
}

// Why an open failed, in the words the other platforms use for the same cause.
std::string openFailure(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_DEVICE_NOT_CONNECTED:
      return "no such device";
    // Windows gives a serial port to one program at a time and refuses the next with one of these.
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
      return "the device is busy (in use by another program)";
    default:
      return systemMessage(code);
  }
}

HANDLE handleOf(void* handle) { return static_cast<HANDLE>(handle); }

// The line state the driver holds for a device; false when nothing answers behind the name.
bool lineState(HANDLE handle, DCB& dcb) {
  dcb = DCB{};
  dcb.DCBlength = sizeof dcb;
  return GetCommState(handle, &dcb) != 0;
}

// 8N1 at `baud`, nothing that could stop or alter the bytes received: no flow control, no parity
// checks, NUL bytes and error characters passed through, and no read aborted after a line error.
bool configure(HANDLE handle, DCB dcb, int baud) {
  dcb.BaudRate = static_cast<DWORD>(baud);
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.fBinary = TRUE;
  dcb.fParity = FALSE;
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fErrorChar = FALSE;
  dcb.fNull = FALSE;
  dcb.fAbortOnError = FALSE;
  // Raised, as opening a terminal raises them on Linux: some receivers and level converters draw
  // their power from these lines.
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  return SetCommState(handle, &dcb) != 0;
}

}  // namespace

bool Win32SerialDevice::open(const std::string& path, int baud) {
  close();
  if (baud <= 0) {
    error_ = "the device does not accept the line settings";
    return false;
  }
  // Receive only: the line is never written to, so the device is not opened for writing.
  const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error_ = openFailure(GetLastError());
    return false;
  }
  // A name can open with no serial device answering behind it (a port link left pointing nowhere
  // under Wine, a Bluetooth port whose far device is off): to the operator that device is missing.
  DCB dcb;
  if (!lineState(handle, dcb)) {
    error_ = "no such device";
    CloseHandle(handle);
    return false;
  }
  if (!configure(handle, dcb, baud)) {
    error_ = "the device does not accept the line settings";
    CloseHandle(handle);
    return false;
  }
  // Every read returns at once with whatever has arrived, also nothing: the caller polls.
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = MAXDWORD;
  if (!SetCommTimeouts(handle, &timeouts)) {
    error_ = systemMessage(GetLastError());
    CloseHandle(handle);
    return false;
  }
  handle_ = handle;
  error_.clear();
  return true;
}

bool Win32SerialDevice::setBaudRate(int baud) {
  DCB dcb;
  if (!isOpen() || baud <= 0 || !lineState(handleOf(handle_), dcb) || !configure(handleOf(handle_), dcb, baud)) {
    error_ = "the device does not accept the line settings";
    return false;
  }
  error_.clear();
  return true;
}

bool Win32SerialDevice::read(std::string& into) {
  if (!isOpen()) return false;
  const HANDLE handle = handleOf(handle_);
  // A device that has gone can still read as a quiet line (a hung-up terminal under Wine reads
  // nothing, successfully), but it can no longer report its state. Asking also clears line errors
  // (framing, overrun), which would otherwise stop reception on some drivers.
  DWORD lineErrors = 0;
  COMSTAT status{};
  bool present = ClearCommError(handle, &lineErrors, &status) != 0;
  std::array<char, 4096> buffer{};
  while (present) {
    DWORD n = 0;
    present = ReadFile(handle, buffer.data(), static_cast<DWORD>(buffer.size()), &n, nullptr) != 0;
    if (present) into.append(buffer.data(), n);
    if (n < buffer.size()) break;
  }
  if (present) return true;
  const DWORD code = GetLastError();
  close();
  error_ = "the device has gone (" + systemMessage(code) + ")";
  return false;
}

void Win32SerialDevice::close() {
  if (handle_ != nullptr) CloseHandle(handleOf(handle_));
  handle_ = nullptr;
}

std::string Win32SerialDevice::lineSettings() const {
  DCB dcb;
  if (!isOpen() || !lineState(handleOf(handle_), dcb)) return {};
  static constexpr char kParity[] = "noems";
  const char parity = dcb.Parity < 5 ? kParity[dcb.Parity] : '?';
  const char* stop = dcb.StopBits == ONESTOPBIT ? "1" : dcb.StopBits == TWOSTOPBITS ? "2" : "1.5";
  return std::to_string(dcb.BaudRate) + "," + parity + "," + std::to_string(dcb.ByteSize) + "," + stop;
}

std::unique_ptr<SerialDevice> makeSystemSerialDevice() { return std::make_unique<Win32SerialDevice>(); }

}  // namespace sorvant
