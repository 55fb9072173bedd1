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
  EXPECT_EQ(hold.feed("ab%%"), "ab");     // held from the first "%" among the last three characters
  EXPECT_EQ(hold.release(), "%%");
  EXPECT_FALSE(hold.holding());
  EXPECT_EQ(hold.release(), "");
  EXPECT_EQ(hold.feed("%7"), "");
  hold.clear();
  EXPECT_EQ(hold.feed("x"), "x");

  // Three characters at ten bits each, rounded up, plus 16 ms.
  EXPECT_EQ(MessageHoldBack::holdMs(9600), 4 + 16);
  EXPECT_EQ(MessageHoldBack::holdMs(4800), 7 + 16);
  EXPECT_EQ(MessageHoldBack::holdMs(2400), 13 + 16);
  EXPECT_EQ(MessageHoldBack::holdMs(1200), 25 + 16);
  EXPECT_EQ(MessageHoldBack::holdMs(0), MessageHoldBack::holdMs(1200));
  // At 1200 bit/s the digits of a "%" cut by a read come 25 ms later, in the adapter's next 16 ms chunk.
  EXPECT_GT(MessageHoldBack::holdMs(1200), 25 + MessageHoldBack::kAdapterDelayMs - 1);
}

}  // namespace
}  // namespace sorvant::test
