#pragma once
// Shared set-up for the serial tests: a system listening to the receiver, and NMEA sentence builders.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/TestSystem.h"

namespace sorvant::test {

// Switches the running system from the test source to the receiver.
inline void listenToReceiver(TestSystem& t) {
  t.useReceiver();
  ASSERT_EQ(t.sys.main.CmdButton_TEST.caption, kTestOff);
  ASSERT_FALSE(t.sys.st.SIMULATE_TIMER);
  ASSERT_TRUE(t.sys.st.COM_TIMEOUT_TIMER);
}

inline void useGpsHeading(TestSystem& t) {
  t.sys.opt.CmdButton_HEADING.caption = kHeadingGps;
  t.sys.st.GPS_TIMER = true;
  t.sys.st.GPS_TIME = t.sys.clockSecondsNow();
}

// "$" + body + "*hh" + CR LF, with the correct checksum.
inline std::string sentence(const std::string& body) {
  unsigned sum = 0;
  for (unsigned char c : body) sum ^= c;
  char hex[4];
  std::snprintf(hex, sizeof hex, "%02X", sum);
  return "$" + body + "*" + hex + "\r\n";
}

// Other traffic on the line, long enough to complete any sentence before it.
inline const std::string kFiller = sentence("GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1") +
                                   sentence("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");

}  // namespace sorvant::test
