// The Win32 serial device under Wine, on a COM port that tools/windows-check.sh maps to one end of a pair
// of joined pseudo-terminals (socat). The test writes the other end through Wine's Z: drive.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "os/win32/Win32SerialDevice.h"
#include "serial/ComPortPath.h"
#include "support/Environment.h"

namespace sorvant::test {
namespace {

bool underWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Polls until done() holds; false when it still does not after `seconds`.
bool waitUntil(const std::function<bool()>& done, int seconds = 10) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

TEST(Win32SerialDevice, ReadsTheLineAtItsSpeedAndTellsAMissingOrVanishedDevice) {
  if (!underWine()) GTEST_SKIP() << "needs Wine: the far end of the line is a Linux pseudo-terminal";
  const auto port = getEnv("SORVANT_WINE_COM");
  const auto peerPath = getEnv("SORVANT_WINE_COM_PEER");
  if (!port || !peerPath)
    GTEST_SKIP() << "no COM port mapped to a pseudo-terminal: tools/windows-check.sh maps one and names it in "
                    "SORVANT_WINE_COM (its number) and SORVANT_WINE_COM_PEER (the far end)";
  const std::string path = comPortPath(std::stoi(*port));

  Win32SerialDevice missing;
  EXPECT_FALSE(missing.open(comPortPath(200), 4800));
  EXPECT_FALSE(missing.isOpen());
  EXPECT_EQ(missing.error(), "no such device");

  Win32SerialDevice device;
  ASSERT_TRUE(device.open(path, 4800)) << device.error();
  EXPECT_EQ(device.error(), "");
  EXPECT_EQ(device.lineSettings(), "4800,n,8,1");
  EXPECT_TRUE(device.setBaudRate(1200)) << device.error();
  EXPECT_EQ(device.lineSettings(), "1200,n,8,1");
  EXPECT_FALSE(device.setBaudRate(0));
  EXPECT_EQ(device.lineSettings(), "1200,n,8,1");

  // Nothing sent yet: the read returns at once, empty.
  std::string received;
  ASSERT_TRUE(device.read(received)) << device.error();
  EXPECT_EQ(received, "");

  const HANDLE peer = CreateFileA(peerPath->c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(peer, INVALID_HANDLE_VALUE) << *peerPath << ": error " << GetLastError();
  // Every byte value, NUL and the flow-control characters included, then a mixed stream.
  std::string sent;
  for (int c = 0; c < 256; ++c) sent += static_cast<char>(c);
  for (int i = 0; i < 20; ++i)
    sent += "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n%" + std::to_string(100 + i);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(peer, sent.data(), static_cast<DWORD>(sent.size()), &written, nullptr));
  ASSERT_EQ(written, sent.size());
  EXPECT_TRUE(waitUntil([&] { return !device.read(received) || received.size() >= sent.size(); }));
  EXPECT_EQ(received, sent);

  // Closing the far end ends socat, as pulling out an adapter ends its device: reads report it, and
  // the port is then missing until it comes back.
  CloseHandle(peer);
  EXPECT_TRUE(waitUntil([&] { return !device.read(received); }));
  EXPECT_FALSE(device.isOpen());
  EXPECT_EQ(device.error().rfind("the device has gone", 0), 0u) << device.error();
  EXPECT_TRUE(waitUntil([&] { return !device.open(path, 4800) && device.error() == "no such device"; }))
      << device.error();
}

}  // namespace
}  // namespace sorvant::test
