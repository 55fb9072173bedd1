// A day in a minute: runs the processing cycle on the fake clock for a number of simulated hours
// (24 unless told: day_run [hours]), 20 ticks a second, with the test source playing, decay on and
// an operator command every few thousand cycles, across midnight. Every cycle is checked for the
// display-state invariants (the run aborts at the first broken one); each simulated hour prints
// its wall time and the resident memory. At the end TOTAL TIME must be within a second of the time
// acquired, and the memory after the last hour within 1 MB of the first.
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "FuzzSystem.h"
#include "core/SeededRandom.h"
#include "input/KeyMap.h"
#include "options/OptionsDispatch.h"

namespace {

using namespace sorvant;
using DaySystem = fuzz::BasicFuzzSystem<SeededRandom>;

long residentKb() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0;
  long resident = 0;
  statm >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// One operator command; the list leaves acquisition and the test source running and never clears,
// so the acquisition time keeps counting for the whole day.
void operatorCommand(DaySystem& d, long n) {
  System& sys = d.sys;
  switch (n % 12) {
    case 0:
      Form_KeyDown(sys, KeyS, 0);  // next sector width
      break;
    case 1:
      Form_KeyDown(sys, KeyV, 0);  // variation on / off
      break;
    case 2:
      Form_KeyDown(sys, KeyPad8, ShiftMask);  // cursor 10 degrees clockwise
      break;
    case 3:
      Form_KeyDown(sys, KeyPad6, 0);  // manual heading one degree clockwise
      break;
    case 4:
      Form_KeyDown(sys, KeyR, 0);  // reduce by one ring
      break;
    case 5:
      Form_KeyDown(sys, static_cast<int>(Key1 + n / 12 % 5), 0);  // choose a memory and save into it
      Form_KeyDown(sys, Key6, 0);
      break;
    case 6:
      Form_KeyDown(sys, Key8, 0);  // cancel the memory choice
      break;
    case 7:
      Form_KeyDown(sys, KeyO, 0);  // options: next decay fraction and period, then close the dialog
      clickOptionsControl(sys, sys.opt.CmdButton_FRAC);
      clickOptionsControl(sys, sys.opt.CmdButton_TIME);
      clickOptionsControl(sys, sys.opt.cmdbutton_EXIT);
      break;
    case 8:
    case 9:
      Form_KeyDown(sys, KeyH, 0);  // hide / show, two steps of three
      break;
    case 10:
      Form_KeyDown(sys, KeyW, 0);  // window mode
      d.host.scaleWidth = n / 12 % 2 == 0 ? 9780.0f : 28800.0f;
      d.host.scaleHeight = n / 12 % 2 == 0 ? 6795.0f : 15600.0f;
      Form_Resize(sys);
      break;
    case 11:
      Form_KeyDown(sys, KeyPad2, 0);  // cursor one degree counter-clockwise
      break;
  }
  Form_KeyUp(sys, 0, 0);
}

}  // namespace

int main(int argc, char** argv) {
  const int hours = argc > 1 ? std::atoi(argv[1]) : 24;
  if (hours < 1) {
    std::fprintf(stderr, "usage: day_run [hours]\n");
    return 2;
  }
  constexpr long kCyclesPerHour = 3600L * 20;
  constexpr long kCommandEvery = 3000;

  DaySystem d;
  System& sys = d.sys;
  Form_KeyDown(sys, KeyD, 0);  // decay on
  d.clock.runTo(36000.0);      // 10:00, so a whole day crosses midnight at hour 14
  stampAcquisitionTime(sys);
  sys.st.ACQTIME = 0;

  std::printf("hour  wall_s  rss_kB  total_time_s  bearings  rings  clock\n");
  const auto start = std::chrono::steady_clock::now();
  auto hourStart = start;
  long firstHourKb = 0;
  long lastHourKb = 0;
  long commands = 0;
  for (int hour = 1; hour <= hours; ++hour) {
    for (long c = 0; c < kCyclesPerHour; ++c) {
      d.tick(0.05);
      if (c % kCommandEvery == kCommandEvery - 1) operatorCommand(d, commands++);
      if (d.sys.main.CmdButton_TEST.caption != kTestOn || d.sys.main.CmdButton_ACQUIRE.caption != kAcquireOn) {
        std::fprintf(stderr, "the test source stopped playing\n");
        return 1;
      }
    }
    fuzz::checkCaptions(sys);
    const auto now = std::chrono::steady_clock::now();
    const long kb = residentKb();
    if (hour == 1) firstHourKb = kb;
    lastHourKb = kb;
    std::printf("%4d  %6.2f  %6ld  %12.2f  %8d  %5d  %s\n", hour,
                std::chrono::duration<double>(now - hourStart).count(), kb, static_cast<double>(sys.st.ACQTIME),
                sys.st.INCOUNT, sys.st.RINGCOUNT, d.clock.timeOfDayText().c_str());
    std::fflush(stdout);
    hourStart = now;
  }
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double expected = hours * 3600.0;  // TOTAL TIME starts at 0
  const double drift = static_cast<double>(sys.st.ACQTIME) - expected;
  std::printf(
      "%d simulated hours, %ld cycles, %ld commands, in %.1f s; TOTAL TIME off by %.3f s; "
      "resident memory %ld kB after hour 1, %ld kB after hour %d\n",
      hours, hours * kCyclesPerHour, commands, wall, drift, firstHourKb, lastHourKb, hours);
  if (std::fabs(drift) > 1.0) {
    std::fprintf(stderr, "TOTAL TIME drifted by %.3f s\n", drift);
    return 1;
  }
  if (lastHourKb - firstHourKb > 1024) {
    std::fprintf(stderr, "resident memory grew by %ld kB\n", lastHourKb - firstHourKb);
    return 1;
  }
  return 0;
}
