#include "options/OptionsCommands.h"

#include <array>

#include "display/Azimuth.h"
#include "histogram/TestSource.h"
#include "options/ColorScheme.h"
#include "serial/Reception.h"

namespace sorvant {
namespace {

// Closes the port for a change of port or speed. DF messages still waiting came from the line as it
// was and go with it.
void closeForChange(System& sys) {
  sys.MSComm1.close();
  dropWaitingDfMessages(sys);
}

// A port that cannot be opened: it ends closed, acquisition stops, the port button turns grey.
void portFailed(System& sys) {
  if (sys.MSComm1.portOpen()) sys.MSComm1.close();
  if (sys.main.CmdButton_ACQUIRE.caption == kAcquireOn) CmdButton_ACQUIRE_Click(sys);
  sys.opt.CmdButton_COMM_PORT.backColor = kButtonShadow;
}

// The dialog's variation becomes the display's: the read-out, the state's copy and the redraw it
// asks for.
void takeVariation(System& sys) {
  OptionsControls& o = sys.opt;
  const int v = o.HEADING_CORRECTION;
  const std::string digits = std::to_string(v < 0 ? -v : v);
  const std::string padded = std::string(digits.size() < 3 ? 3 - digits.size() : 0, '0') + digits;
  o.X_STRING = padded + (v >= 0 ? " WEST" : " EAST");
  o.Label_HEADING_CORRECTION.caption = o.X_STRING;
  sys.st.HEADING_CORRECTION = o.HEADING_CORRECTION;
  sys.st.NEWAZIMUTH = sys.st.NEWCURSOR = sys.st.NEWRING = true;
}

// The same, with the frame turned at once.
void showVariation(System& sys) {
  takeVariation(sys);
  AZIMUTH(sys);
}

void stepVariationUp(OptionsControls& o) {
  int v = o.HEADING_CORRECTION + 1;
  if (v > 180) v = -179;
  o.HEADING_CORRECTION = static_cast<int16_t>(v);
}

struct FracRow {
  const char* tagBefore;
  const char* tag;
  const char* caption;
  const char* prefix;
};
constexpr std::array<FracRow, 10> kFracRows{{{"0.95", "0.9", "FRAC 0.90", "0.90 "},
                                             {"0.9", "0.85", "FRAC 0.85", "0.85 "},
                                             {"0.85", "0.8", "FRAC 0.80", "0.80 "},
                                             {"0.8", "0.75", "FRAC 0.75", "0.75 "},
                                             {"0.75", "0.7", "FRAC 0.70", "0.70 "},
                                             {"0.7", "0.65", "FRAC 0.65", "0.65 "},
                                             {"0.65", "0.6", "FRAC 0.60", "0.60 "},
                                             {"0.6", "0.55", "FRAC 0.55", "0.55 "},
                                             {"0.55", "0.5", "FRAC 0.50", "0.50 "},
                                             {"0.5", "0.95", "FRAC 0.95", "0.95 "}}};

struct TimeRow {
  const char* tagBefore;
  const char* tag;
  const char* caption;
};
constexpr std::array<TimeRow, 6> kTimeRows{{{"5", "10", "@ 10 SEC"},
                                            {"10", "15", "@ 15 SEC"},
                                            {"15", "20", "@ 20 SEC"},
                                            {"20", "25", "@ 25 SEC"},
                                            {"25", "30", "@ 30 SEC"},
                                            {"30", "5", "@  5 SEC"}}};

}  // namespace

void CmdButton_COMM_PORT_Click(System& sys) {
  SerialPort& port = sys.MSComm1;
  const bool wasOpen = port.portOpen();
  if (wasOpen) closeForChange(sys);
  sys.opt.CmdButton_COMM_PORT.backColor = kButtonFace;
  const int before = port.commPort();
  if (before >= 1 && before <= 8) {
    const int after = before == 8 ? 1 : before + 1;
    port.setCommPort(after);
    showCommPort(sys, after);
    if (!port.open()) {
      portFailed(sys);
      return;
    }
  }
  if (!wasOpen && port.portOpen()) port.close();
  showCommLabel(sys);
}

void CmdButton_BAUD_RATE_Click(System& sys) {
  SerialPort& port = sys.MSComm1;
  const bool wasOpen = port.portOpen();
  if (wasOpen) closeForChange(sys);
  int16_t next = 4800;
  switch (sys.opt.BAUD_RATE) {
    case 1200:
      next = 2400;
      break;
    case 2400:
      next = 4800;
      break;
    case 4800:
      next = 9600;
      break;
    case 9600:
      next = 1200;
      break;
    default:
      next = 4800;
      break;
  }
  setBaudRate(sys, next);
  // A port that will not reopen at the new speed is handled like a failed port change: the port
  // label keeps showing the line as it was.
  if (wasOpen && !port.open()) {
    portFailed(sys);
    return;
  }
  showCommLabel(sys);
}

void CmdButton_HEADING_Click(System& sys) {
  MainControls& m = sys.main;
  Control& hdg = m.Label_HDG;
  if (sys.opt.CmdButton_HEADING.caption == kHeadingGps) {
    sys.opt.CmdButton_HEADING.caption = kHeadingManual;
    sys.st.GPS_TIMER = false;
    m.Frame_GPS_FAIL.visible = m.Frame_GPS_SPEED.visible = false;
    m.CmdButton_HDG_CCW.visible = m.CmdButton_HDG_CW.visible = true;
    hdg.caption = "MAN " + rightChars(hdg.caption, 7);
  } else {
    sys.opt.CmdButton_HEADING.caption = kHeadingGps;
    sys.st.GPS_TIMER = true;
    sys.st.GPS_TIME = sys.clockSecondsNow();
    m.Frame_GPS_FAIL.visible = m.Frame_GPS_SPEED.visible = false;
    m.CmdButton_HDG_CCW.visible = m.CmdButton_HDG_CW.visible = false;
    hdg.caption = "GPS " + rightChars(hdg.caption, 7);
  }
}

void CmdButton_ERROR_UP_Click(System& sys) {
  stepVariationUp(sys.opt);
  showVariation(sys);
}

void applyStoredVariation(System& sys) {
  stepVariationUp(sys.opt);
  takeVariation(sys);
}

void CmdButton_ERROR_DN_Click(System& sys) {
  int v = sys.opt.HEADING_CORRECTION - 1;
  if (v < -179) v = 180;
  sys.opt.HEADING_CORRECTION = static_cast<int16_t>(v);
  showVariation(sys);
}

void CmdButton_FRAC_Click(System& sys) {
  Control& frac = sys.opt.CmdButton_FRAC;
  for (const FracRow& row : kFracRows) {
    if (frac.tag == row.tagBefore) {
      frac.tag = row.tag;
      frac.caption = row.caption;
      sys.main.Label_DECAY_RATE.caption = row.prefix + sys.opt.CmdButton_TIME.caption;
      return;
    }
  }
}

void CmdButton_TIME_Click(System& sys) {
  Control& time = sys.opt.CmdButton_TIME;
  for (const TimeRow& row : kTimeRows) {
    if (time.tag == row.tagBefore) {
      time.tag = row.tag;
      time.caption = row.caption;
      Control& label = sys.main.Label_DECAY_RATE;
      label.caption = leftChars(label.caption, 5) + time.caption;
      return;
    }
  }
}

void applySchemeToMainWindow(System& sys) {
  setDisplayBackground(sys, sys.color(DisplayBackground));
  setLegendText(sys, sys.color(LegendText));
  setButtonBackground(sys, sys.color(ButtonBackground));
}

void showCommPort(System& sys, int port) {
  sys.opt.CmdButton_COMM_PORT.caption = "COMM PORT : COM " + std::to_string(port);
  sys.opt.CmdButton_COMM_PORT.tag = "COM" + std::to_string(port) + " @ ";
}

void setBaudRate(System& sys, int16_t rate) {
  const std::string bits = std::to_string(rate);
  sys.opt.BAUD_RATE = rate;
  sys.opt.CmdButton_BAUD_RATE.caption = "BAUD RATE : " + bits;
  sys.MSComm1.setSettings(bits + ",n,8,1");
  sys.opt.CmdButton_BAUD_RATE.tag = bits + " BAUD";
}

void showCommLabel(System& sys) {
  sys.main.Label_COMM.caption = sys.opt.CmdButton_COMM_PORT.tag + sys.opt.CmdButton_BAUD_RATE.tag;
}

}  // namespace sorvant
