#include "core/NumberText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace sorvant {

int wrapDegrees(int degrees) {
  const int rest = degrees % 360;
  return rest < 0 ? rest + 360 : rest;
}

float wrapFractionalDegrees(double degrees) {
  float rest = static_cast<float>(std::fmod(degrees, 360.0));
  if (rest < 0) rest += 360;
  return rest;
}

std::string decimalText(double value) {
  if (std::isnan(value)) return " 0";
  std::string body;
  if (value == std::trunc(value) && std::fabs(value) < 1e15) {
    body = std::to_string(static_cast<long long>(std::fabs(value)));
  } else {
    // Single-precision values show at most seven significant digits, trailing zeros dropped.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.7g", std::fabs(value));
    body = buf;
    if (body.size() > 1 && body[0] == '0' && body[1] == '.') body.erase(0, 1);
  }
  return (value < 0 ? "-" : " ") + body;
}

std::string rightChars(std::string_view text, std::size_t n) {
  return std::string(n >= text.size() ? text : text.substr(text.size() - n));
}

std::string leftChars(std::string_view text, std::size_t n) { return std::string(text.substr(0, n)); }

std::string threeDigits(double value) {
  const std::string t = decimalText(value);
  if (value < 10) return "00" + rightChars(t, 1);
  if (value < 100) return "0" + rightChars(t, 2);
  return rightChars(t, 3);
}

std::string fourDigitTotal(double value) {
  const std::string t = decimalText(value);
  if (value < 10) return "000" + rightChars(t, 1);
  if (value < 100) return "00" + rightChars(t, 2);
  if (value < 1000) return "0" + rightChars(t, 3);
  return t;
}

double readNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  std::string number;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) number += text[i++];
  bool point = false;
  bool digits = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      number += c;
      digits = true;
    } else if (c == '.' && !point) {
      number += c;
      point = true;
    } else {
      break;
    }
  }
  if (!digits) return 0.0;
  return std::strtod(number.c_str(), nullptr);
}

double roundEven(double value) { return std::nearbyint(value); }

int16_t toInteger16(double value) {
  if (std::isnan(value)) return 0;
  const double r = roundEven(value);
  if (r > std::numeric_limits<int16_t>::max()) return std::numeric_limits<int16_t>::max();
  if (r < std::numeric_limits<int16_t>::min()) return std::numeric_limits<int16_t>::min();
  return static_cast<int16_t>(r);
}

int32_t toInteger32(double value) {
  if (std::isnan(value)) return 0;
  const double r = roundEven(value);
  if (r > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (r < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(r);
}

}  // namespace sorvant
