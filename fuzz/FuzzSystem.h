#pragma once
// A running system on fakes for the fuzz targets (no test framework): a counting surface, settings
// in a folder of this process in memory (removed at exit), every cycle watched, and the checks that
// stop a run when the display state no longer holds together.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "CaptionCheck.h"
#include "cycle/Cycle.h"
#include "display/Layout.h"
#include "serial/Nmea.h"
#include "serial/Reception.h"
#include "settings/SettingsFile.h"
#include "settings/StartUp.h"
#include "support/CountingSurface.h"
#include "support/Fakes.h"

namespace sorvant::fuzz {

// The settings folder of this process: in /dev/shm where there is one, so reading and writing the
// settings file per input costs no disk. TMPDIR, when set, is the parent instead (tools/fuzz.sh
// points it at a folder it removes), so a run that is killed leaves nothing behind either.
inline const std::filesystem::path& settingsFolder() {
  struct Folder {
    std::filesystem::path path;
    Folder() {
      std::error_code ec;
      const char* parent = std::getenv("TMPDIR");
      std::filesystem::path base = parent != nullptr && *parent != '\0' ? std::filesystem::path(parent)
                                   : std::filesystem::is_directory("/dev/shm", ec)
                                       ? std::filesystem::path("/dev/shm")
                                       : std::filesystem::temp_directory_path(ec);
      path = base / ("sorvant-fuzz-" + std::to_string(getpid()));
      std::filesystem::create_directories(path, ec);
      setenv("XDG_CONFIG_HOME", path.c_str(), 1);
    }
    ~Folder() {
      std::error_code ec;
      std::filesystem::remove_all(path, ec);
    }
  };
  static const Folder folder;
  return folder.path;
}

// Makes the input the settings file of this process, the one the next start reads; answers its path.
inline const std::filesystem::path& writeSettingsFile(const uint8_t* data, size_t size) {
  settingsFolder();
  static const std::filesystem::path path = settingsPath();
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return path;
}

// Stops the run, saying which check failed; libFuzzer keeps the input.
[[noreturn]] inline void fail(const char* what) {
  std::fprintf(stderr, "check failed: %s\n", what);
  std::abort();
}

// Stops the run when the display state no longer holds together.
inline void checkInvariants(const System& sys) {
  const DisplayState& st = sys.st;
  float largest = 0;
  for (int i = 1; i <= 360; ++i) {
    if (!(st.BEARING_COUNT[i] >= 0) || !(st.SECTOR_SUM[i] >= 0))
      fail("!(st.BEARING_COUNT[i] >= 0) || !(st.SECTOR_SUM[i] >= 0)");
    if (st.SECTOR_SUM[i] > largest) largest = st.SECTOR_SUM[i];
  }
  if (st.BEARING_COUNT[0] != 0 || st.SECTOR_SUM[0] != 0) fail("st.BEARING_COUNT[0] != 0 || st.SECTOR_SUM[0] != 0");
  if (st.MAXVECTOR != largest) fail("st.MAXVECTOR != largest");
  if (st.TRUE_DF_BEARING < 0 || st.TRUE_DF_BEARING > 359) fail("st.TRUE_DF_BEARING < 0 || st.TRUE_DF_BEARING > 359");
  if (st.HEADING < 0 || st.HEADING > 360) fail("st.HEADING < 0 || st.HEADING > 360");
  if (st.CURSOR_BEARING < 0 || st.CURSOR_BEARING > 359) fail("st.CURSOR_BEARING < 0 || st.CURSOR_BEARING > 359");
  if (st.SHOW_HIDE < 0 || st.SHOW_HIDE > 2) fail("st.SHOW_HIDE < 0 || st.SHOW_HIDE > 2");
  if (st.GPS_BUFFER.size() > 1000) fail("st.GPS_BUFFER.size() > 1000");
  if (st.INCOUNT < 0) fail("st.INCOUNT < 0");
  if (!(st.ACQTIME >= 0)) fail("!(st.ACQTIME >= 0)");
  if (st.RINGCOUNT < 0 || st.RINGCOUNT > 3276) fail("st.RINGCOUNT < 0 || st.RINGCOUNT > 3276");
}

// Every caption of both windows is one the program writes.
inline void checkCaptions(System& sys) {
  const std::string fault = captionFault(sys);
  if (!fault.empty()) fail(("caption " + fault).c_str());
}

// Runs every cycle through the checks: the state holds together after it, it draws nothing a real
// surface could not, and (while asked) the bearings it counts and the heading it takes are the ones
// the serial line allows.
struct CycleWatch {
  System* sys = nullptr;
  test::CountingSurface* surface = nullptr;
  // Oracles for the receive path: at most one bearing per Timer1 period, and with GPS as the
  // heading source the heading changes only to the course of a sentence the reader accepts.
  bool watchSerial = false;
  int bearingsThisPeriod = 0;

  static CycleWatch& instance() {
    static CycleWatch watch;
    return watch;
  }
  static void run(System& s) { instance().cycle(s); }

  void cycle(System& s) {
    // Whole sentences that are refused are passed over; the first one accepted after them decides.
    std::string pending = s.st.GPS_BUFFER;
    nmea::CourseReading reading = nmea::readCourse(pending);
    while (reading.outcome == nmea::CourseReading::Outcome::Refused && reading.length > 0) {
      pending.erase(reading.start, reading.length);
      reading = nmea::readCourse(pending);
    }
    const Integer headingBefore = s.st.HEADING;
    const Integer countBefore = s.st.INCOUNT;
    const bool gps = !s.headingManual();
    EXECUTIVE(s);
    checkInvariants(s);
    if (surface != nullptr && surface->undrawable != 0) fail("surface != nullptr && surface->undrawable != 0");
    if (!watchSerial) return;
    if (s.st.INCOUNT != countBefore && ++bearingsThisPeriod > 1)
      fail("s.st.INCOUNT != countBefore && ++bearingsThisPeriod > 1");
    if (gps) {
      const bool takesCourse =
          reading.outcome == nmea::CourseReading::Outcome::Accepted && reading.hasCourse && reading.speed > 3;
      if (s.st.HEADING != (takesCourse ? reading.course : headingBefore))
        fail("s.st.HEADING != (takesCourse ? reading.course : headingBefore)");
    }
  }
  // The Timer1 tick opens a new period.
  void tick(System& s) {
    bearingsThisPeriod = 0;
    Timer1_Timer(s);
  }
};

// Uniform numbers in [0, 1) from a small fixed-seed generator. Start-up draws 5,000 of them for the
// test table, which with the program's generator under the sanitizers cost more than the rest of a
// start; the targets need a table, not that particular one.
class QuickRandom final : public Random {
 public:
  double next() override {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<double>(state_ >> 11) / 9007199254740992.0;
  }

 private:
  uint64_t state_ = 0x2545F4914F6CDD1Dull;
};

// A system on fakes with every cycle watched. RandomSource draws the test table: the quick one for
// the fuzz targets, the program's own where the table matters.
template <typename RandomSource>
struct BasicFuzzSystem {
  BasicFuzzSystem() : sys(Platform{&CycleWatch::run, clock, port, surface, host, picker, random}) {
    settingsFolder();
    CycleWatch::instance().sys = &sys;
    CycleWatch::instance().surface = &surface;
    port.setReceiveHandler([this] { MSComm1_OnComm(sys); });
    initialiseSystem(sys);
    loadSystem(sys);
    Form_Resize(sys);
  }
  ~BasicFuzzSystem() {
    if (CycleWatch::instance().sys == &sys) CycleWatch::instance() = CycleWatch{};
  }
  BasicFuzzSystem(const BasicFuzzSystem&) = delete;
  BasicFuzzSystem& operator=(const BasicFuzzSystem&) = delete;

  // Advances the fake clock and delivers one Timer1 tick, as the shell does while the timer is on.
  void tick(double seconds = 0.05) {
    clock.advance(seconds);
    if (sys.main.Timer1.enabled) CycleWatch::instance().tick(sys);
  }

  test::FakeClock clock;
  test::FakePort port;
  test::CountingSurface surface;
  test::FakeWindowHost host;
  test::FakePicker picker;
  RandomSource random;
  System sys;
};

using FuzzSystem = BasicFuzzSystem<QuickRandom>;

}  // namespace sorvant::fuzz
