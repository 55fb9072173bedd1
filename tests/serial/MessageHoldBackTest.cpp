#include <gtest/gtest.h>

#include <string>

#include "serial/MessageHoldBack.h"

namespace sorvant::test {
namespace {

// A "%" cut from its digits by a read waits for them as long as they can take to come at the line's
// speed, plus a USB adapter's delivery delay; everything else goes at once.
TEST(MessageHoldBack, KeepsACutMessageForTheTimeItsRestTakesAtTheLineSpeed) {
  MessageHoldBack hold;
  EXPECT_EQ(hold.feed("$GPVTG,,\r\n%1"), "$GPVTG,,\r\n");
  EXPECT_TRUE(hold.holding());
  EXPECT_EQ(hold.held(), 2u);
  EXPECT_EQ(hold.feed("2"), "");
  EXPECT_EQ(hold.feed("3\r"), "%123\r");
  EXPECT_FALSE(hold.holding());
  EXPECT_EQ(hold.feed("%123"), "%123");  // complete: nothing held
  EXPECT_EQ(hold.feed("ab%%"), "ab");    // held from the first "%" among the last three characters
  EXPECT_EQ(hold.release(), "%%");
  EXPECT_FALSE(hold.holding());
  EXPECT_EQ(hold.release(), "");
  EXPECT_EQ(hold.feed("%7"), "");
  hold.clear();
  EXPECT_EQ(hold.feed("x"), "x");

  // Three characters at ten bits each, rounded up, plus 16 ms for the adapter and 10 ms for delivery.
  EXPECT_EQ(MessageHoldBack::holdMs(9600), 4 + 26);
  EXPECT_EQ(MessageHoldBack::holdMs(4800), 7 + 26);
  EXPECT_EQ(MessageHoldBack::holdMs(2400), 13 + 26);
  EXPECT_EQ(MessageHoldBack::holdMs(1200), 25 + 26);
  EXPECT_EQ(MessageHoldBack::holdMs(0), MessageHoldBack::holdMs(1200));

  // On a clock: every arrival restarts the wait, and the held start goes once the line has been quiet
  // for the hold time of its speed, not a millisecond sooner.
  MessageHoldBack timed;
  EXPECT_EQ(timed.holdTimeMs(), MessageHoldBack::holdMs(1200));
  timed.setLineSpeed(4800);
  ASSERT_EQ(timed.holdTimeMs(), 33);
  double now = 5000.0;
  EXPECT_EQ(timed.msUntilDue(now), 0);
  EXPECT_EQ(timed.releaseIfQuiet(now), "");
  EXPECT_EQ(timed.feed("$GPVTG,,\r\n%1", now), "$GPVTG,,\r\n");
  EXPECT_EQ(timed.msUntilDue(now), 33);
  now += 0.020;
  EXPECT_EQ(timed.feed("2", now), "");
  now += 0.032;
  EXPECT_EQ(timed.msUntilDue(now), 1);
  EXPECT_EQ(timed.releaseIfQuiet(now), "");
  EXPECT_EQ(timed.held(), 3u);
  now += 0.001;
  EXPECT_EQ(timed.msUntilDue(now), 0);
  EXPECT_EQ(timed.releaseIfQuiet(now), "%12");
  EXPECT_FALSE(timed.holding());
  // However late the rest comes by the clock, it completes the message if it comes before the asking.
  EXPECT_EQ(timed.feed("%4", now), "");
  now += 0.5;
  EXPECT_EQ(timed.feed("56\r\n%", now), "%456\r\n");
  EXPECT_EQ(timed.releaseIfQuiet(now + 0.032), "");
  EXPECT_EQ(timed.releaseIfQuiet(now + 0.033), "%");
  // A slower line waits longer.
  timed.setLineSpeed(1200);
  timed.feed("%9", now);
  EXPECT_EQ(timed.releaseIfQuiet(now + 0.050), "");
  EXPECT_EQ(timed.releaseIfQuiet(now + 0.051), "%9");
}

}  // namespace
}  // namespace sorvant::test
