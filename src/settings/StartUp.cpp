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
  readSettings(sys, settingsPath());

  const int port = sys.MSComm1.commPort();
  if (port >= 1 && port <= 8) {
    o.CmdButton_COMM_PORT.caption = "COMM PORT : COM " + std::to_string(port);
    o.CmdButton_COMM_PORT.tag = "COM" + std::to_string(port) + " @ ";
  }
  if (o.BAUD_RATE != 1200 && o.BAUD_RATE != 2400 && o.BAUD_RATE != 4800 && o.BAUD_RATE != 9600) o.BAUD_RATE = 4800;
  const std::string rate = std::to_string(o.BAUD_RATE);
  o.CmdButton_BAUD_RATE.caption = "BAUD RATE : " + rate;
  sys.MSComm1.setSettings(rate + ",n,8,1");
  o.CmdButton_BAUD_RATE.tag = rate + " BAUD";
  sys.main.Label_COMM.caption = o.CmdButton_COMM_PORT.tag + o.CmdButton_BAUD_RATE.tag;

  for (int slot = 1; slot <= 8; ++slot) o.swatch(slot).backColor = sys.colors.COLOR_TABLE[sys.colors.COLOR_SET][slot];
  applySchemeToMainWindow(sys);
}

void CmdButton_QUIT_Click(System& sys) { sys.host.closeWindow(); }

void unloadSystem(System& sys) {
  // The port goes first, so it is released even when the file cannot be written.
  if (sys.MSComm1.portOpen()) sys.MSComm1.close();
  // A file that cannot be written leaves the previous one as it was; the program ends either way.
  writeSettings(sys, settingsPath());
}

}  // namespace sorvant
