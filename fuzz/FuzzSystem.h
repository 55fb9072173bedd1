#pragma once
// A running system on fakes for the fuzz targets (no test framework), its settings kept in a
// throw-away folder.
#include <cstdlib>
#include <string>

#include "core/SeededRandom.h"
#include "cycle/Cycle.h"
#include "display/Layout.h"
#include "serial/Reception.h"
#include "settings/StartUp.h"
#include "support/Fakes.h"
#include "support/RecordingSurface.h"

namespace sorvant::fuzz {

inline void useThrowAwaySettingsFolder() {
  static const bool done = [] {
    char folder[] = "/tmp/sorvant-fuzz-XXXXXX";
    if (mkdtemp(folder) != nullptr) setenv("XDG_CONFIG_HOME", folder, 1);
    return true;
  }();
  (void)done;
}

struct FuzzSystem {
  FuzzSystem() : sys(Platform{&EXECUTIVE, clock, port, surface, host, picker, random}) {
    useThrowAwaySettingsFolder();
    port.setReceiveHandler([this] { MSComm1_OnComm(sys); });
    initialiseSystem(sys);
    loadSystem(sys);
    Form_Resize(sys);
  }
  test::FakeClock clock;
  test::FakePort port;
  test::RecordingSurface surface;
  test::FakeWindowHost host;
  test::FakePicker picker;
  SeededRandom random;
  System sys;
};

// Stops the run when the display state no longer holds together.
inline void checkInvariants(const System& sys) {
  const DisplayState& st = sys.st;
  float largest = 0;
  for (int i = 1; i <= 360; ++i) {
    if (st.BEARING_COUNT[i] < 0 || st.SECTOR_SUM[i] < 0) std::abort();
    if (st.SECTOR_SUM[i] > largest) largest = st.SECTOR_SUM[i];
  }
  if (st.MAXVECTOR != largest) std::abort();
  if (st.TRUE_DF_BEARING < 0 || st.TRUE_DF_BEARING > 359) std::abort();
  if (st.HEADING < 0 || st.HEADING > 360) std::abort();
  if (st.GPS_BUFFER.size() > 1000) std::abort();
  if (st.INCOUNT < 0) std::abort();
}

}  // namespace sorvant::fuzz
