#include "settings/StartUp.h"

#include "histogram/TestSource.h"
#include "options/OptionsCommands.h"
#include "settings/SettingsFile.h"

namespace sorvant {

void initialiseSystem(System& sys) {
  DisplayState& st = sys.st;
  // A fresh state has no earlier reading, so this first one applies no midnight.
  stampAcquisitionTime(sys);
  st.ROLLOVER = clockSeconds(sys.clock.secondsSinceMidnight());
  sys.colors.COLOR_SET = 1;
  st.GPS_TIME = clockSeconds(sys.clock.secondsSinceMidnight());
  SIMULATE(sys);
}

void loadSystem(System& sys) {
  sys.st.COPYRIGHT = 0;
  OptionsControls& o = sys.opt;
  readSettings(sys, settingsFileOf(sys));

  const int port = sys.MSComm1.commPort();
  if (port >= 1 && port <= 8) showCommPort(sys, port);
  if (o.BAUD_RATE != 1200 && o.BAUD_RATE != 2400 && o.BAUD_RATE != 4800 && o.BAUD_RATE != 9600) o.BAUD_RATE = 4800;
  setBaudRate(sys, o.BAUD_RATE);
  showCommLabel(sys);

  for (int slot = 1; slot <= 8; ++slot) o.swatch(slot).backColor = sys.colors.COLOR_TABLE[sys.colors.COLOR_SET][slot];
  applySchemeToMainWindow(sys);
}

void unloadSystem(System& sys) {
  // The port goes first, so it is released even when the file cannot be written.
  if (sys.MSComm1.portOpen()) sys.MSComm1.close();
  // A file that cannot be written leaves the previous one as it was; the program ends either way.
  writeSettings(sys, settingsFileOf(sys));
}

}  // namespace sorvant
