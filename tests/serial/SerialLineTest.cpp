// The serial line's rules on a fake device and a fake clock: the test is the event loop, calling the
// line when it asked to be called, so no case depends on how fast the machine is.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serial/ComPortPath.h"
#include "serial/MessageHoldBack.h"
#include "serial/SerialLine.h"
#include "support/Fakes.h"

namespace sorvant::test {
namespace {

// Collects what each receive event hands over, reading as the receive handler does.
struct Received {
  explicit Received(SerialLine& line) {
    line.setReceiveHandler([this, &line] {
      chunks.push_back(line.input());
      line.discardInput();
    });
  }
  std::vector<std::string> chunks;
};

std::string where(int port) { return "COM" + std::to_string(port) + " (" + comPortPath(port) + "): "; }

TEST(SerialLine, HoldsACutMessageUntilTheClockSaysTheLineWasQuietLongEnough) {
  FakeClock clock;
  DrivenSerialLine line(clock);
  Received got(line);
  line.setSettings("4800,n,8,1");
  ASSERT_TRUE(line.open()) << line.lastError();
  EXPECT_EQ(line.device.speed, 4800);
  EXPECT_EQ(line.readingHandle, FakeSerialDevice::kHandle);
  ASSERT_EQ(line.holdBackMs(), MessageHoldBack::holdMs(4800));

  // The start of a cut message waits, and the line asks to be woken when the wait is over.
  line.device.arrive("$GPVTG,,\r\n%1");
  line.readDevice();
  EXPECT_EQ(got.chunks, std::vector<std::string>{"$GPVTG,,\r\n"});
  EXPECT_EQ(line.heldBack(), 2u);
  EXPECT_EQ(line.releaseInMs, line.holdBackMs());
  // Woken early (a timer is no clock): it keeps the characters and asks again for the rest of the wait.
  clock.advance(0.020);
  line.releaseHeld();
  EXPECT_EQ(line.heldBack(), 2u);
  EXPECT_EQ(line.releaseInMs, line.holdBackMs() - 20);
  // However long the rest takes by the wall clock, it completes the message.
  line.device.arrive("23\r");
  line.readDevice();
  EXPECT_EQ(got.chunks.back(), "%123\r");
  EXPECT_EQ(line.releaseInMs, -1);

  // A message that never gets its digits goes once the line has been quiet for the hold time.
  line.device.arrive("%7");
  line.readDevice();
  clock.advance((line.holdBackMs() - 1) / 1000.0);
  line.releaseHeld();
  EXPECT_EQ(got.chunks.back(), "%123\r");
  clock.advance(0.001);
  line.releaseHeld();
  EXPECT_EQ(got.chunks.back(), "%7");
  EXPECT_EQ(line.releaseInMs, -1);
  // A read with nothing in it raises no receive event.
  line.readDevice();
  EXPECT_EQ(got.chunks.size(), 3u);

  // A new speed reaches the open device and the hold time at once.
  line.setSettings("1200,n,8,1");
  EXPECT_EQ(line.device.speed, 1200);
  EXPECT_EQ(line.holdBackMs(), MessageHoldBack::holdMs(1200));
  // Closing forgets what was held and waiting, and asks for nothing more.
  line.device.arrive("%9");
  line.readDevice();
  line.close();
  EXPECT_EQ(line.heldBack(), 0u);
  EXPECT_EQ(line.releaseInMs, -1);
  EXPECT_EQ(line.readingHandle, DrivenSerialLine::kNotReading);

  // A device that must be polled is read every poll, and a cut message's rest can sit in it for up to
  // one poll before it is seen, so the wait is one poll longer.
  DrivenSerialLine polled(clock, std::make_unique<FakeSerialDevice>(true));
  polled.setSettings("4800,n,8,1");
  EXPECT_EQ(polled.holdBackMs(), MessageHoldBack::holdMs(4800) + SerialLine::kPollMs);
  ASSERT_TRUE(polled.open());
  EXPECT_EQ(polled.readingHandle, -1);
}

TEST(SerialLine, OpensOnlyAnOpenableDeviceAndSaysWhyNotOnceOnStandardError) {
  FakeClock clock;
  DrivenSerialLine line(clock);
  line.setCommPort(2);
  line.device.refusal = "no such device";
  testing::internal::CaptureStderr();
  EXPECT_FALSE(line.open());
  EXPECT_FALSE(line.open());
  EXPECT_FALSE(line.portOpen());
  EXPECT_EQ(line.lastError(), where(2) + "no such device");
  EXPECT_EQ(line.device.openedPath, comPortPath(2));
  EXPECT_EQ(line.reopenMs, 0);
  EXPECT_EQ(line.readingHandle, DrivenSerialLine::kNotReading);

  // Opened to listen, the port counts as open and its device is looked for every half second.
  EXPECT_FALSE(line.openWaiting());
  EXPECT_TRUE(line.portOpen());
  EXPECT_FALSE(line.deviceOpen());
  EXPECT_EQ(line.reopenMs, SerialLine::kReopenMs);
  line.reopen();
  line.reopen();
  EXPECT_EQ(line.device.opens, 5);
  EXPECT_EQ(line.lastError(), where(2) + "no such device");
  // Told once, however often it is tried.
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "sorvant: " + where(2) + "no such device\n");

  line.device.plugIn();
  line.reopen();
  EXPECT_TRUE(line.deviceOpen());
  EXPECT_EQ(line.lastError(), "");
  EXPECT_EQ(line.reopenMs, 0);
  EXPECT_EQ(line.readingHandle, FakeSerialDevice::kHandle);
  EXPECT_TRUE(line.openWaiting());
  EXPECT_EQ(line.device.opens, 6);

  // A speed the device refuses is said, and the port stays open at the old speed.
  line.device.acceptsSpeed = false;
  line.setSettings("2400,n,8,1");
  EXPECT_TRUE(line.deviceOpen());
  EXPECT_EQ(line.device.speed, 9600);
  EXPECT_EQ(line.lastError(), "COM2: the device does not accept the line settings \"2400,n,8,1\"");
  // Closing forgets the reason and stops the search; a late call of the search opens nothing.
  line.close();
  EXPECT_EQ(line.lastError(), "");
  EXPECT_FALSE(line.deviceOpen());
  line.reopen();
  EXPECT_FALSE(line.deviceOpen());
  EXPECT_EQ(line.device.opens, 6);

  // Settings or a port number that name no device fail before any device is tried.
  line.setSettings("fast,n,8,1");
  EXPECT_FALSE(line.open());
  EXPECT_EQ(line.lastError(), "COM2: unreadable line settings \"fast,n,8,1\"");
  line.setSettings("4800,n,8,1");
  line.setCommPort(0);
  EXPECT_FALSE(line.open());
  EXPECT_EQ(line.lastError(), "COM0: no such port");
  EXPECT_EQ(line.device.opens, 6);
}

TEST(SerialLine, KeepsThePortOpenWhileItsDeviceIsGoneAndReadsItAgainWhenItReturns) {
  FakeClock clock;
  DrivenSerialLine line(clock);
  Received got(line);
  ASSERT_TRUE(line.open());

  // What came before the device went is still handed over.
  line.device.arrive("%001");
  line.device.unplug();
  line.readDevice();
  EXPECT_EQ(got.chunks, std::vector<std::string>{"%001"});
  EXPECT_TRUE(line.portOpen());
  EXPECT_FALSE(line.deviceOpen());
  EXPECT_EQ(line.readingHandle, DrivenSerialLine::kNotReading);
  EXPECT_EQ(line.reopenMs, SerialLine::kReopenMs);
  EXPECT_EQ(line.lastError(), "COM1: the device has gone; waiting for it to come back");
  line.reopen();
  EXPECT_EQ(line.lastError(), where(1) + "no such device");
  EXPECT_EQ(line.reopenMs, SerialLine::kReopenMs);

  line.device.plugIn();
  line.reopen();
  EXPECT_TRUE(line.deviceOpen());
  EXPECT_EQ(line.reopenMs, 0);
  line.device.arrive("%002");
  line.readDevice();
  EXPECT_EQ(got.chunks.back(), "%002");

  // A receive handler that closes the port as the device goes leaves it closed, with no search.
  line.setReceiveHandler([&line] { line.close(); });
  line.device.arrive("%003");
  line.device.unplug();
  line.readDevice();
  EXPECT_FALSE(line.portOpen());
  EXPECT_EQ(line.reopenMs, 0);
  EXPECT_EQ(line.lastError(), "");
}

}  // namespace
}  // namespace sorvant::test
