#pragma once
// Every control and variable of the options dialog. The dialog's values are the running settings
// that other rules read: heading source, variation, decay fraction and period, the eight colours.
#include <cstdint>
#include <string>
#include <vector>

#include "core/Controls.h"

namespace sorvant {

struct OptionsControls {
  OptionsControls();
  OptionsControls(const OptionsControls&) = delete;
  OptionsControls& operator=(const OptionsControls&) = delete;

  std::string caption = "Sorvant Options";
  bool visible = false;
  int16_t BAUD_RATE = 0;
  int16_t HEADING_CORRECTION = 0;
  std::string X_STRING;

  Control Frame_COLORS, frame_COMM, Frame_HEADING_SOURCE, Frame_HEADING_CORRECTION, Frame_DECAY;

  Control cmdbutton_DISPLAY_BACKGROUND_COLOR, cmdbutton_BUTTON_BACKGROUND_COLOR, cmdbutton_LEGEND_TEXT_COLOR,
      cmdbutton_AZIMUTH_BACKGROUND, cmdbutton_AZIMUTH_SCALE_COLOR, cmdbutton_RANGE_RINGS_COLOR, cmdbutton_VECTORS_COLOR,
      cmdbutton_CURSOR_COLOR;
  Control Picture_DISPLAY_BACKGROUND_COLOR, Picture_BUTTON_BACKGROUND_COLOR, Picture_LEGEND_TEXT_COLOR,
      Picture_AZIMUTH_BACKGROUND_COLOR, Picture_AZIMUTH_SCALE_COLOR, Picture_RANGE_RINGS_COLOR, Picture_VECTORS_COLOR,
      Picture_CURSOR_COLOR;

  Control cmdbutton_DEFAULT_COLORS, CmdButton_SAVE, CmdButton_RECALL, CmdButton_CANCEL;
  Control CmdButton_A_COLORS, CmdButton_B_COLORS, CmdButton_C_COLORS, CmdButton_D_COLORS;
  Control CmdButton_COMM_PORT, CmdButton_BAUD_RATE, CmdButton_HEADING;
  Control Label_HEADING_CORRECTION, CmdButton_ERROR_UP, CmdButton_ERROR_DN;
  Control CmdButton_FRAC, CmdButton_TIME, cmdbutton_EXIT;

  // The swatch of colour slot 1..8, and the picker button of that slot.
  Control& swatch(int slot);
  Control& picker(int slot);
  // The colour in use for a slot: the swatch's background.
  Color color(int slot) { return swatch(slot).backColor; }

  // Every control, frames before their contents, the buttons in the order Tab visits them.
  std::vector<Control*> all();
};

// The colour table: 5 sets of colours, slots 1..8 used (set 1 in use, sets 2..5 stored sets A..D).
struct ColorTable {
  ColorTable();
  Color COLOR_TABLE[6][11] = {};
  int16_t COLOR_SET = 1;
};

}  // namespace sorvant
