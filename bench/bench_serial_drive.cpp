// A 60 s drive replayed through the core on a fake clock: a DF receiver taking 15 bearings a second and
// a GPS sending its sentences once a second share one serial line. Prints, for each line speed and
// GPS load, how many bearings were sent and how many the program counted (and how many of those at the
// bearing sent). The figures are reported, never judged; they are the same on any machine.
//
// The line: the receiver's messages ("%ddd" and a line end) and the GPS sentences go out one after
// another, each whole, in the order they were ready, 10 bits a character. The GPS burst starts on each
// whole second; a message ready while the line is busy waits for it, so the bearings taken during a
// burst arrive back to back after it.
// The reads: a USB serial adapter hands over what it has received every 16 ms (its latency timer);
// the program sees each read 0..8 ms later (USB frames, the kernel, an event loop busy with a cycle).
// Each read goes through the program's own serial line (on a fake device), which holds back a "%" cut
// from its digits for as long as it allows at that speed and asks to be woken when that is over; the
// bench wakes it then. Timer1 ticks every 50 ms.
// Usage: bench_serial_drive [seeds]  (default 5 seeds per case; the range over them is printed)
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "ListeningSystem.h"
#include "core/System.h"
#include "cycle/Cycle.h"
#include "display/Layout.h"
#include "histogram/TestSource.h"
#include "serial/Reception.h"
#include "settings/StartUp.h"
#include "support/Fakes.h"
#include "support/RecordingSurface.h"

namespace {

using namespace sorvant;

constexpr double kDrive = 60.0;
constexpr int kBearingsPerSecond = 15;
constexpr double kTick = 0.05;
constexpr double kAdapterPoll = 0.016;
constexpr double kDeliveryJitter = 0.008;
constexpr double kNever = std::numeric_limits<double>::infinity();

// A running system on the serial line over a fake device, listening to the receiver with a manual
// heading of 0, decay off: each bearing counts in the bin of the bearing sent.
struct Bench : bench::ListeningOn<test::DrivenSerialLine> {
  explicit Bench(int speed) {
    port.setSettings(std::to_string(speed) + ",n,8,1");
    sys.opt.CmdButton_HEADING.caption = kHeadingManual;
    sys.st.HEADING = 0;
    sys.st.DECAY_TIMER = false;
  }
};

std::string withChecksum(const std::string& body) {
  unsigned sum = 0;
  for (unsigned char c : body) sum ^= c;
  char hex[8];
  std::snprintf(hex, sizeof hex, "*%02X\r\n", sum);
  return "$" + body + hex;
}

// One second's GPS burst, the fix time and course changing from second to second.
std::vector<std::string> gpsBurst(int second, bool full) {
  char time[16], course[16];
  std::snprintf(time, sizeof time, "%02d%02d%02d.00", 10, second / 60, second % 60);
  std::snprintf(course, sizeof course, "%05.1f", (second * 7) % 360 + 0.4);
  std::vector<std::string> out;
  out.push_back(withChecksum(std::string("GPRMC,") + time + ",A,4807.03812,N,01131.00045,E,022.4," + course +
                             ",230394,003.1,W,A"));
  out.push_back(withChecksum(std::string("GPVTG,") + course + ",T,081.3,M,022.4,N,041.5,K,A"));
  if (full) {
    out.push_back(withChecksum(std::string("GPGGA,") + time + ",4807.03812,N,01131.00045,E,1,08,0.9,545.4,M,46.9,M,,"));
    out.push_back(withChecksum("GPGSA,A,3,04,05,09,12,17,24,25,29,,,,,2.5,1.3,2.1"));
  }
  return out;
}

struct Item {
  double ready;
  std::string text;
};

struct Line {
  std::string text;
  std::vector<double> at;  // when each character has fully arrived
  double busy = 0;         // seconds the line carried characters
};

struct Result {
  int sent = 0, counted = 0, right = 0;
  double load = 0;
};

Result drive(int speed, int gps, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> bearing(0, 359);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const double charTime = 10.0 / speed;

  // What is ready to go on the line, and when.
  std::vector<Item> items;
  std::vector<int> sentPerBin(361, 0);
  Result r;
  const double dfPhase = unit(rng) / kBearingsPerSecond;
  for (int k = 0; k < static_cast<int>(kDrive) * kBearingsPerSecond; ++k) {
    const int b = bearing(rng);
    char msg[16];
    std::snprintf(msg, sizeof msg, "%%%03d\r\n", b);
    items.push_back({dfPhase + static_cast<double>(k) / kBearingsPerSecond, msg});
    ++sentPerBin[b == 0 ? 360 : b];
    ++r.sent;
  }
  if (gps > 0) {
    for (int second = 0; second < static_cast<int>(kDrive); ++second) {
      double ready = second;
      for (const std::string& s : gpsBurst(second, gps > 1)) {
        ready += static_cast<double>(s.size()) * charTime;  // as the GPS's own line delivers it
        items.push_back({ready, s});
      }
    }
  }
  std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.ready < b.ready; });

  Line line;
  double free = 0;
  for (const Item& item : items) {
    double t = std::max(free, item.ready);
    for (char c : item.text) {
      t += charTime;
      line.text += c;
      line.at.push_back(t);
    }
    line.busy += static_cast<double>(item.text.size()) * charTime;
    free = t;
  }
  r.load = line.busy / kDrive;

  Bench b(speed);
  const double start = 0;
  double now = start, nextTick = start + kTick * unit(rng), releaseAt = kNever;
  const auto runTo = [&](double t) {
    if (t > now) b.clock.advance(t - now);
    now = std::max(now, t);
  };
  // When the line wants releaseHeld(), after a call that may have asked for it.
  const auto followRelease = [&] { releaseAt = b.port.heldBack() > 0 ? now + b.port.releaseInMs / 1000.0 : kNever; };
  // Ticks and hold-back releases due before `t`, in time order.
  const auto until = [&](double t) {
    for (;;) {
      const double next = std::min(nextTick, releaseAt);
      if (next > t) return;
      runTo(next);
      if (next == releaseAt) {
        b.port.releaseHeld();
        followRelease();
      } else {
        Timer1_Timer(b.sys);
        nextTick += kTick;
      }
    }
  };

  std::size_t read = 0;
  const double pollPhase = kAdapterPoll * unit(rng);
  for (double poll = pollPhase; read < line.text.size(); poll += kAdapterPoll) {
    std::size_t end = read;
    while (end < line.text.size() && line.at[end] <= poll) ++end;
    if (end == read) continue;
    const double delivered = poll + kDeliveryJitter * unit(rng);
    until(delivered);
    runTo(delivered);
    b.port.device.arrive(line.text.substr(read, end - read));
    b.port.readDevice();
    followRelease();
    read = end;
  }
  until(now + 2.0);  // the messages still waiting get their periods

  r.counted = b.sys.st.INCOUNT;
  for (int bin = 1; bin <= 360; ++bin)
    r.right += std::min(sentPerBin[bin], static_cast<int>(b.sys.st.BEARING_COUNT[bin] + 0.5f));
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  const int seeds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  char folderTemplate[] = "/tmp/sorvant-bench-XXXXXX";
  if (mkdtemp(folderTemplate) == nullptr) return 1;
  setenv("XDG_CONFIG_HOME", folderTemplate, 1);

  struct Case {
    int speed;
    int gps;  // 0 none, 1 RMC+VTG, 2 RMC+VTG+GGA+GSA
  };
  const char* gpsNames[] = {"no GPS", "RMC+VTG", "RMC+VTG+GGA+GSA"};
  std::printf("60 s drive, %d bearings/s, GPS at 1 Hz; hold-back %s; %d seeds per case (min..max)\n",
              kBearingsPerSecond, "by line speed", seeds);
  std::printf("%-10s %-17s %6s %6s %17s %17s\n", "line", "GPS", "load", "sent", "counted", "at the bearing");
  for (const Case& c :
       {Case{4800, 0}, Case{4800, 1}, Case{4800, 2}, Case{9600, 1}, Case{9600, 2}, Case{1200, 0}, Case{1200, 1}}) {
    int minCounted = std::numeric_limits<int>::max(), maxCounted = 0, minRight = minCounted, maxRight = 0, sent = 0;
    double load = 0;
    for (int seed = 1; seed <= seeds; ++seed) {
      const Result r = drive(c.speed, c.gps, static_cast<unsigned>(seed * 7919 + c.speed + c.gps));
      sent = r.sent;
      load = r.load;
      minCounted = std::min(minCounted, r.counted);
      maxCounted = std::max(maxCounted, r.counted);
      minRight = std::min(minRight, r.right);
      maxRight = std::max(maxRight, r.right);
    }
    char line[32];
    std::snprintf(line, sizeof line, "%d bit/s", c.speed);
    std::printf("%-10s %-17s %5.0f%% %6d %5d..%-4d %4.0f%% %5d..%-4d %4.0f%%\n", line, gpsNames[c.gps], load * 100,
                sent, minCounted, maxCounted, 100.0 * minCounted / sent, minRight, maxRight, 100.0 * minRight / sent);
  }
  std::printf("(load over 100%%: the line cannot carry it all in 60 s; everything sent is still delivered, late)\n");
  std::error_code ec;
  std::filesystem::remove_all(folderTemplate, ec);
  return 0;
}
