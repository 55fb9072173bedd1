#pragma once
// Number and text helpers shared by every caption and every reading of received text.
#include <cstdint>
#include <string>
#include <string_view>

namespace sorvant {

// Degrees to radians, as every drawing of a bearing converts them.
inline constexpr double kRadiansPerDegree = 0.017453;

// A bearing or heading in whole degrees, brought into 0..359 by whole turns.
int wrapDegrees(int degrees);
// A bearing with a fraction, brought into 0..360 by whole turns and kept as a Single: the turns are
// taken off exactly, and a rest below 0 is brought up by one turn in Single arithmetic.
float wrapFractionalDegrees(double degrees);

// Decimal text of a number with one leading blank when it is not negative (" 45", "-7", " 2.5").
std::string decimalText(double value);

// The last n characters of text (all of it when shorter).
std::string rightChars(std::string_view text, std::size_t n);
// The first n characters of text (all of it when shorter).
std::string leftChars(std::string_view text, std::size_t n);

// A bearing or heading as three digits: "007", "045", "123".
std::string threeDigits(double value);
// A total as four digits below 1000 ("0042"); from 1000 on the whole decimal text, leading blank included.
std::string fourDigitTotal(double value);

// Lenient reading of received text: leading blanks skipped, an optional sign, digits and one decimal
// point; reading stops at the first character that cannot continue the number; no number reads as 0.
double readNumber(std::string_view text);

// Round to the nearest whole number, ties to even.
double roundEven(double value);
// Round ties-to-even into a 16-bit integer, saturating at the ends of its range.
int16_t toInteger16(double value);
// Round ties-to-even into a 32-bit integer, saturating at the ends of its range.
int32_t toInteger32(double value);

// Whole clock seconds from the seconds-since-midnight clock (ties to even).
inline int32_t clockSeconds(double clock) { return toInteger32(clock); }

}  // namespace sorvant
