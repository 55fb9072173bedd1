// Long random sequences of commands, ticks and serial input; after every step the display state
// must still hold together.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "display/Layout.h"
#include "input/Dispatch.h"
#include "input/KeyMap.h"
#include "support/TestSystem.h"

namespace sorvant::test {
namespace {

constexpr int kWidths[] = {4, 6, 8, 12, 18, 24, 36, 48, 72, 108};

::testing::AssertionResult holdsTogether(const System& sys) {
  const DisplayState& st = sys.st;
  float largest = 0;
  for (int i = 1; i <= 360; ++i) {
    if (st.BEARING_COUNT[i] < 0) return ::testing::AssertionFailure() << "negative count in bin " << i;
    if (st.SECTOR_SUM[i] < 0) return ::testing::AssertionFailure() << "negative sector sum in bin " << i;
    largest = std::max(largest, st.SECTOR_SUM[i]);
  }
  if (st.BEARING_COUNT[0] != 0 || st.SECTOR_SUM[0] != 0) return ::testing::AssertionFailure() << "bin 0 written";
  if (st.MAXVECTOR != largest)
    return ::testing::AssertionFailure() << "MAXVECTOR " << st.MAXVECTOR << " but largest sum " << largest;
  if (st.TRUE_DF_BEARING < 0 || st.TRUE_DF_BEARING > 359)
    return ::testing::AssertionFailure() << "true bearing " << st.TRUE_DF_BEARING;
  if (st.HEADING < 0 || st.HEADING > 360) return ::testing::AssertionFailure() << "heading " << st.HEADING;
  if (st.CURSOR_BEARING < 0 || st.CURSOR_BEARING > 359)
    return ::testing::AssertionFailure() << "cursor " << st.CURSOR_BEARING;
  if (std::find(std::begin(kWidths), std::end(kWidths), st.SECTOR_WIDTH) == std::end(kWidths))
    return ::testing::AssertionFailure() << "sector width " << st.SECTOR_WIDTH;
  if (st.GPS_BUFFER.size() > 1000) return ::testing::AssertionFailure() << "GPS buffer " << st.GPS_BUFFER.size();
  if (st.INCOUNT < 0) return ::testing::AssertionFailure() << "INCOUNT " << st.INCOUNT;
  if (st.SHOW_HIDE < 0 || st.SHOW_HIDE > 2) return ::testing::AssertionFailure() << "SHOW_HIDE " << st.SHOW_HIDE;
  return ::testing::AssertionSuccess();
}

std::string randomLine(std::mt19937& rng) {
  static const char* pieces[] = {"%",
                                 "%0",
                                 "%12",
                                 "%123",
                                 "%359",
                                 "%999",
                                 "%-05",
                                 "\r\n",
                                 "\r",
                                 "$GPVTG,054.7,T,,M,005.5,N,010.2,K*48\r\n",
                                 "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n",
                                 "$GNRMC,,V,,,,,,,,,,N*4D\r\n",
                                 "garbage",
                                 "\x01\xff",
                                 "$GPVTG,,T,,M,,N,,K,N*2C"};
  std::string out;
  const int n = 1 + static_cast<int>(rng() % 4);
  for (int i = 0; i < n; ++i) out += pieces[rng() % std::size(pieces)];
  return out;
}

TEST(Invariants, HoldAfterEveryStepOfLongRandomRuns) {
  static const int keys[] = {Key1, Key2, Key3, Key4, Key5, Key6, Key7,    Key8,    KeyA,    KeyC,   KeyD,
                             KeyH, KeyR, KeyS, KeyT, KeyV, KeyW, KeyPad2, KeyPad4, KeyPad6, KeyPad8};
  for (uint32_t seed : {1u, 2u, 3u}) {
    std::mt19937 rng(seed);
    TestSystem ts;
    ts.sys.opt.CmdButton_FRAC.tag = "0.5";  // decay quickly enough to matter
    for (int step = 0; step < 6000; ++step) {
      switch (rng() % 10) {
        case 0:
        case 1:
        case 2:
          ts.tick(0.05 * (1 + rng() % 40));
          break;
        case 3:
        case 4:
          ts.receive(randomLine(rng));
          break;
        case 5:
        case 6:
          Form_KeyDown(ts.sys, keys[rng() % std::size(keys)], static_cast<int>(rng() % 8));
          Form_KeyUp(ts.sys, 0, 0);
          break;
        case 7: {
          std::vector<Control*> buttons = ts.sys.main.commandButtons();
          Control* b = buttons[rng() % buttons.size()];
          if (b != &ts.sys.main.CmdButton_QUIT) clickMainButton(ts.sys, *b);
          break;
        }
        case 8:
          ts.host.scaleWidth = 3000.0f + static_cast<float>(rng() % 30000);
          ts.host.scaleHeight = 2000.0f + static_cast<float>(rng() % 16000);
          Form_Resize(ts.sys);
          break;
        default:
          ts.clock.advance(static_cast<double>(rng() % 100000) / 1000.0);
          break;
      }
      ts.surface.clear();
      ASSERT_TRUE(holdsTogether(ts.sys)) << "seed " << seed << " step " << step;
    }
  }
}

}  // namespace
}  // namespace sorvant::test
