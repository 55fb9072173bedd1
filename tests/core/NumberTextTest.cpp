#include <gtest/gtest.h>

#include "core/Captions.h"
#include "core/NumberText.h"

namespace sorvant {
namespace {

TEST(NumberText, DecimalTextHasLeadingBlankForNonNegatives) {
  EXPECT_EQ(decimalText(0), " 0");
  EXPECT_EQ(decimalText(1234), " 1234");
  EXPECT_EQ(decimalText(-7), "-7");
  EXPECT_EQ(decimalText(2.5), " 2.5");
  EXPECT_EQ(decimalText(0.25), " .25");
}

TEST(NumberText, PaddedDigitsTakeTheLastCharacters) {
  EXPECT_EQ(threeDigits(7), "007");
  EXPECT_EQ(threeDigits(45), "045");
  EXPECT_EQ(threeDigits(123), "123");
  EXPECT_EQ(threeDigits(360), "360");
  EXPECT_EQ(fourDigitTotal(9), "0009");
  EXPECT_EQ(fourDigitTotal(999), "0999");
  EXPECT_EQ(fourDigitTotal(1000), " 1000");
  EXPECT_EQ(totalBrgCaption(1000), "TOTAL BRG :  1000");
}

TEST(NumberText, TotalTimeCaptionTruncatesToWholeSeconds) {
  EXPECT_EQ(totalTimeCaption(9.7f), "TOTAL TIME : 0009");
  EXPECT_EQ(totalTimeCaption(42.3f), "TOTAL TIME : 0042");
  EXPECT_EQ(totalTimeCaption(999.5f), "TOTAL TIME : 0999");
  EXPECT_EQ(totalTimeCaption(1234.0f), "TOTAL TIME :  1234");
}

TEST(NumberText, LenientReadingStopsAtTheFirstForeignCharacter) {
  EXPECT_DOUBLE_EQ(readNumber("020"), 20);
  EXPECT_DOUBLE_EQ(readNumber("  12x"), 12);
  EXPECT_DOUBLE_EQ(readNumber("-05"), -5);
  EXPECT_DOUBLE_EQ(readNumber("+7"), 7);
  EXPECT_DOUBLE_EQ(readNumber("2.5.1"), 2.5);
  EXPECT_DOUBLE_EQ(readNumber("054.7,T"), 54.7);
  EXPECT_DOUBLE_EQ(readNumber(""), 0);
  EXPECT_DOUBLE_EQ(readNumber("abc"), 0);
  EXPECT_DOUBLE_EQ(readNumber("-"), 0);
  EXPECT_DOUBLE_EQ(readNumber("."), 0);
  EXPECT_DOUBLE_EQ(readNumber("\r\n1"), 0);
}

TEST(NumberText, RoundingGoesToEvenOnTies) {
  EXPECT_EQ(toInteger16(2.5), 2);
  EXPECT_EQ(toInteger16(3.5), 4);
  EXPECT_EQ(toInteger16(-2.5), -2);
  EXPECT_EQ(toInteger16(1e9), 32767);
  EXPECT_EQ(toInteger16(-1e9), -32768);
  EXPECT_EQ(clockSeconds(0.5), 0);
  EXPECT_EQ(clockSeconds(86399.5), 86400);
}

}  // namespace
}  // namespace sorvant
