#pragma once
// The 360-bin histogram, its sector sums and the commands that shape it.
#include "core/System.h"

namespace sorvant {

// Counts one true bearing (0..359, north in bin 360) into BEARING_COUNT and every SECTOR_SUM bin of
// its sector, raising MAXVECTOR as needed.
void countBearing(System& sys, int bearing);
// Records one bearing taken, from the receiver or the test source: counts the true bearing, moves the
// last-bearing marker to the screen angle (radians), shows `shown` (the bearing relative to the
// vehicle) as the last bearing and adds one to the total, which stops at the top of its 16-bit range.
void recordBearing(System& sys, int trueBearing, double markerRadians, double shown);
// Empties bins 1..360 of BEARING_COUNT and SECTOR_SUM.
void zeroBins(DisplayState& st);
// Recomputes SECTOR_SUM and MAXVECTOR from BEARING_COUNT; clears NEWSECTOR.
void SUMMING(System& sys);
// One decay step when the decay period has elapsed (run by the cycle while DECAY_TIMER is set).
void decayStep(System& sys);
// The caption of the sector button for a width ("S:SECTOR     4 DEG"), empty for an unknown width.
std::string sectorCaption(int width);

void CmdButton_REDUCE_Click(System& sys);
void CmdButton_CLEAR_Click(System& sys);
void CmdButton_DECAY_Click(System& sys);
void CmdButton_SECTOR_Click(System& sys);

}  // namespace sorvant
