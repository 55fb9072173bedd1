#pragma once
// The main window's display state: one record that every step reads and writes.
#include <array>
#include <cstdint>
#include <deque>
#include <string>

#include "core/Color.h"

namespace sorvant {

using Integer = int16_t;
using Long = int32_t;
using Single = float;

// What the overlays last put on the drawing surface, so that a cycle draws only what changed.
// Anything that fills the disc again (the frame, a cleared surface) makes it stale; the next
// cycle then draws the cursor and every vector as if nothing had been drawn before.
struct DrawnOverlays {
  bool vectorsValid = false;
  Color vectorsColor = 0;
  // The offsets last drawn for bins 1..360, in twips.
  std::array<float, 361> dx{};
  std::array<float, 361> dy{};
  // Each bin's direction for the rotation below, as the vector length formula first rounds it.
  bool unitValid = false;
  int16_t unitHeading = 0;
  std::array<float, 361> unitCos{};
  std::array<float, 361> unitSin{};

  bool cursorValid = false;
  Color cursorColor = 0, markerEraseColor = 0;
  // The last-bearing marker moved across the cursor marker: both are drawn again, the cursor's on top.
  bool cursorMarkerOverdrawn = false;
};

// A DF message waiting for a timer period of its own: its characters and the heading in force when
// it arrived, which it is counted with.
struct WaitingDfMessage {
  std::string characters;
  Integer heading = 0;
};

struct DisplayState {
  Integer INCOUNT = 0;
  Single ACQTIME = 0;
  Single DFBUGBRG = 0;
  Single DFBUGX = 0;
  Single DFBUGY = 0;
  Integer HEADING = 0;
  std::string HEADING_STRING;
  std::string HEADING_SOURCE = "MANUAL";
  Integer HEADING_CORRECTION = 0;
  Integer VECTOR_HEADING = 0;
  Integer CURSOR_BEARING = 0;
  Single CURSX = 0;
  Single CURSY = 0;
  Single CIRX = 0;
  Single CIRY = 0;
  Integer SECTOR_WIDTH = 4;
  Single CENTERX = 0;
  Single CENTERY = 0;
  Single AZRADIUS = 0;
  Integer AZIMUTH_HEADING = 0;
  Integer SHOW_HIDE = 0;
  Integer WIN_SIZE = 1;
  Single MAXVECTOR = 0;
  Integer RINGCOUNT = 1;
  Integer OLDRINGCOUNT = 0;
  std::string MOUSE_DOWN_STRING;
  bool BIGSTEP = false;
  Integer CTRL_KEY = 0;
  Integer SIMULATE_COUNT = 0;
  Single FOCUS = 2.5f;
  Single DECAY_FRACTION = 0.9f;
  Integer MEMORY_SELECT = 0;
  std::string INBUFF;
  std::string GPS_BUFFER;
  bool NEW_DF_MESSAGE = false;
  std::string DF_MESSAGE;
  Integer TRUE_DF_BEARING = 0;
  bool DF_TIMER = true;
  Long DF_TIME = 0;
  bool SIMULATE_TIMER = true;
  bool COM_TIMEOUT_TIMER = false;
  Long LAST_COM_TIME = 0;
  bool DECAY_TIMER = false;
  Long DECAY_TIME = 0;
  bool GPS_TIMER = false;
  Long GPS_TIME = 0;
  Long ROLLOVER = 0;
  Integer COPYRIGHT = 0;

  // Redraw and recompute requests, consumed by the processing cycle.
  bool NEWAZIMUTH = true;
  bool NEWSECTOR = false;
  bool NEWRING = false;
  bool NEWVECTOR = false;
  bool NEWCURSOR = true;

  // Bins 1..360 are used; north is bin 360 and bin 0 is never touched.
  std::array<Single, 361> BEARING_COUNT{};
  std::array<Single, 361> SECTOR_SUM{};
  std::array<Integer, 5001> SIMULATE_BEARING{};
  // [memory 0..5][element 0..362]: 1..360 counts, 361 RINGCOUNT, 362 MAXVECTOR.
  std::array<std::array<Single, 363>, 6> MEMORY_STORE{};

  // Not part of the record's meaning: the clock the rules read (System::readClock). It runs on the
  // steady clock from the wall clock's reading at the first look: clockOrigin seconds since midnight
  // then, at steady reading steadyOrigin; clockDay counts the midnights it has passed since.
  bool clockStarted = false;
  double clockOrigin = 0;
  double steadyOrigin = 0;
  double clockDay = 0;
  // Acquisition time in double precision: ACQTIME is this value as a Single. Adding 0.05 s twenty
  // times a second to a Single would lose the fraction as the total grows (minutes a day).
  double acquisitionSeconds = 0;
  // The unrounded clock reading behind DF_TIME. Acquisition time is measured from it: measuring
  // from the rounded stamp would add each tick's rounding to the total and run the clock up to
  // half a second per second fast or slow, depending on where in the second the ticks fall.
  double dfClock = 0;
  // Set by serial reception just before it runs the cycle for the DF message it has taken, and by
  // the tick that takes a waiting one.
  bool dfTakenForThisCycle = false;
  // DF messages that found the period's message taken, oldest first; each later period takes one.
  std::deque<WaitingDfMessage> dfWaiting;
  // The heading DF_MESSAGE is counted with: the one in force when the message arrived.
  Integer dfHeading = 0;
  // The port number that the serial port's tooltips were last built from (the failure reason they
  // were built from is Label_COM_TIMEOUT's tooltip), so the device is not looked up every cycle.
  int tipPort = 0;
  // The last-bearing marker has been drawn at DFBUGX, DFBUGY: the display shows it from then on,
  // also after the surface has been cleared.
  bool lastBearingShown = false;
  // The ring count the rings were last drawn at: RINGCOUNT, or past its cap the scale that keeps
  // following MAXVECTOR, whose change redraws them as a change of RINGCOUNT does.
  Long drawnRingScale = 0;
  DrawnOverlays drawn;
};

}  // namespace sorvant
