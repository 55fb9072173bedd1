#pragma once
// What the rules keep beside the display state record while the program runs: the clock they read,
// times held more precisely than the record's fields hold them, the DF messages waiting for a timer
// period, what the display last drew, and what the settings file's reader has told. None of it is a
// field of the record.
#include <array>
#include <deque>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "core/Color.h"
#include "core/DisplayState.h"

namespace sorvant {

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
  // What the offsets above were worked out from, besides the heading and the radius kept with the
  // scale below: while none of it changes, no vector changes either.
  std::array<float, 361> sums{};
  float sumsRings = 0;
  // Each bin's direction scaled to twips per unit of sum, and the scale it was worked out for.
  bool scaleValid = false;
  bool scaleOverRange = false;
  float scaleDivisor = 0;
  float scaleRadius = 0;
  std::array<float, 361> scaledCos{};
  std::array<float, 361> scaledSin{};

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

struct RunState {
  // The clock the rules read (System::readClock). It runs on the steady clock from the wall clock's
  // reading at the first look: clockOrigin seconds since midnight then, at steady reading
  // steadyOrigin; clockDay counts the midnights it has passed since.
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

  // What was said about each settings file in this run: every fault is told once, however often the
  // file is met again.
  std::map<std::filesystem::path, std::string> settingsTold;
  // Settings files this run could not read (no regular file, or no permission to read it): what they
  // hold is unknown, so shutdown must not put the settings of memory in their place.
  std::set<std::filesystem::path> settingsLeftAlone;
};

}  // namespace sorvant
