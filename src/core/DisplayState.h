#pragma once
// The main window's display state: one record that every step reads and writes. What the rules keep
// beside it (core/RunState.h) is not part of it.
#include <array>
#include <cstdint>
#include <string>

namespace sorvant {

using Integer = int16_t;
using Long = int32_t;
using Single = float;

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
};

}  // namespace sorvant
