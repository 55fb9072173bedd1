#include "core/Captions.h"

#include <cmath>

#include "core/NumberText.h"

namespace sorvant {

std::string lastBrgCaption(double bearing) { return "LAST BRG : " + threeDigits(bearing); }

std::string totalBrgCaption(double count) { return "TOTAL BRG : " + fourDigitTotal(count); }

std::string totalTimeCaption(float acqtime) {
  // The digits come from the truncated time; which scheme applies comes from the time itself,
  // so 999.5 still shows 0999.
  const std::string t = decimalText(std::trunc(acqtime));
  if (acqtime < 10) return "TOTAL TIME : 000" + rightChars(t, 1);
  if (acqtime < 100) return "TOTAL TIME : 00" + rightChars(t, 2);
  if (acqtime < 1000) return "TOTAL TIME : 0" + rightChars(t, 3);
  return "TOTAL TIME : " + t;
}

}  // namespace sorvant
