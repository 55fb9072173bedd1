#pragma once
// Every control of the main window with its design caption, place, font and colours.
#include <vector>

#include "core/Controls.h"

namespace sorvant {

struct MainControls {
  MainControls();
  MainControls(const MainControls&) = delete;
  MainControls& operator=(const MainControls&) = delete;

  std::string caption = "Sorvant DF Display";
  Color backColor = kDefaultColors[DisplayBackground];

  // Panels first: controls inside them point at them.
  Control Frame_GPS_SPEED, Frame_GPS_FAIL, Frame_TOP_LEFT, Frame_TOP_CENTER, Frame_TOP_RIGHT, Frame_BOTTOM_LEFT,
      Frame_BOTTOM_RIGHT;

  Control CmdButton_ACQUIRE, CmdButton_TEST, CmdButton_DECAY, CmdButton_REDUCE, CmdButton_CLEAR, CmdButton_QUIT;
  Control CmdButton_MEM1, CmdButton_MEM2, CmdButton_MEM3, CmdButton_MEM4, CmdButton_MEM5;
  Control CmdButton_SAVE, CmdButton_RECALL, CmdButton_CANCEL;
  Control CmdButton_CONTROLS, CmdButton_OPTIONS, CmdButton_WINDOW;
  Control Label_COM_TIMEOUT;

  Control Label_GPS_SPEED, Label_GPS_FAIL;
  Control Label_SORVANT_DF_DISPLAY, Label_VERSION, Label_LAST_BRG, Label_TOTAL_BRG, Label_TOTAL_TIME;
  Control Label_SOURCE, Label_HDG;
  Control Label_COPYRIGHT, Label_COMPANY, Label_CONTACT2, Label_TIME, Label_COMM;
  Control CmdButton_SECTOR, Label_DECAY, Label_DECAY_RATE, CmdButton_VAR, Label_RANGE, Label_CURSOR;
  Control Label_KEYPAD, CmdButton_HDG_CW, CmdButton_HDG_CCW, CmdButton_CUR_CW, CmdButton_CUR_CCW;

  TimerModel Timer1{true, 50};
  TimerModel Timer_MOUSE_DOWN{false, 1000};

  // Every control, panels before their contents.
  std::vector<Control*> all();
  // The five memory buttons in order.
  Control* memoryButton(int n);
  // The 23 command buttons that take the button background colour.
  std::vector<Control*> commandButtons();
  // The 18 labels that take the legend text colour.
  std::vector<Control*> legendLabels();
  // The 19 buttons the hide/show command hides and shows.
  std::vector<Control*> hideableButtons();
  // The 16 labels the hide/show command hides in mode 2.
  std::vector<Control*> hideableLabels();
};

// The texts that are ours to write.
inline constexpr const char* kCompanyText = "Sorvant DF Display project";
inline constexpr const char* kContactText = "See README.md for contact";
inline constexpr const char* kCopyrightText = "(c) 2026 Sorvant";
inline constexpr const char* kCreditsText = "Written by the Sorvant developers";

}  // namespace sorvant
