#include "core/MainControls.h"

namespace sorvant {
namespace {

constexpr auto B = ControlKind::Button;
constexpr auto L = ControlKind::Label;
constexpr auto P = ControlKind::Panel;
constexpr Color kRed = rgb(255, 0, 0);
constexpr Color kWhite = rgb(255, 255, 255);

}  // namespace

MainControls::MainControls()
    : Frame_GPS_SPEED("Frame_GPS_SPEED", P, nullptr, "", 2160, 2040, 1020, 780),
      Frame_GPS_FAIL("Frame_GPS_FAIL", P, nullptr, "", 3720, 3720, 855, 735),
      Frame_TOP_LEFT("Frame_TOP_LEFT", P, nullptr, "", 120, 120, 2175, 1335),
      Frame_TOP_CENTER("Frame_TOP_CENTER", P, nullptr, "", 3840, 50, 3000, 500),
      Frame_TOP_RIGHT("Frame_TOP_RIGHT", P, nullptr, "", 7320, 120, 1935, 1455),
      Frame_BOTTOM_LEFT("Frame_BOTTOM_LEFT", P, nullptr, "", 120, 4320, 1455, 2055),
      Frame_BOTTOM_RIGHT("Frame_BOTTOM_RIGHT", P, nullptr, "", 6840, 5280, 2415, 1095),
      CmdButton_ACQUIRE("CmdButton_ACQUIRE", B, nullptr, "A:ACQUIRE    ( ON )", 120, 1800, 1455, 375),
      CmdButton_TEST("CmdButton_TEST", B, nullptr, "T:TEST             ( ON )", 120, 2160, 1455, 375),
      CmdButton_DECAY("CmdButton_DECAY", B, nullptr, "D:DECAY        ( OFF )", 120, 2520, 1455, 375),
      CmdButton_REDUCE("CmdButton_REDUCE", B, nullptr, "R:REDUCE        10%  ", 120, 2880, 1455, 375),
      CmdButton_CLEAR("CmdButton_CLEAR", B, nullptr, "C:CLEAR DISPLAY  ", 120, 3240, 1455, 375),
      CmdButton_QUIT("CmdButton_QUIT", B, nullptr, "Q:QUIT PROGRAM  ", 120, 3600, 1455, 375),
      CmdButton_MEM1("CmdButton_MEM1", B, nullptr, "1 : MEM 1", 8400, 1800, 855, 375),
      CmdButton_MEM2("CmdButton_MEM2", B, nullptr, "2 : MEM 2", 8400, 2160, 855, 375),
      CmdButton_MEM3("CmdButton_MEM3", B, nullptr, "3 : MEM 3", 8400, 2520, 855, 375),
      CmdButton_MEM4("CmdButton_MEM4", B, nullptr, "4 : MEM 4", 8400, 2880, 855, 375),
      CmdButton_MEM5("CmdButton_MEM5", B, nullptr, "5 : MEM 5", 8400, 3240, 855, 375),
      CmdButton_SAVE("CmdButton_SAVE", B, nullptr, "6 : SAVE", 7560, 1800, 855, 375),
      CmdButton_RECALL("CmdButton_RECALL", B, nullptr, "7 : RECALL", 7560, 2520, 855, 375),
      CmdButton_CANCEL("CmdButton_CANCEL", B, nullptr, "8 : CANCEL", 7560, 3240, 855, 375),
      CmdButton_CONTROLS("CmdButton_CONTROLS", B, nullptr, "H : HIDE / SHOW", 8040, 3840, 1215, 375),
      CmdButton_OPTIONS("CmdButton_OPTIONS", B, nullptr, "O : OPTIONS        ", 8040, 4200, 1215, 375),
      CmdButton_WINDOW("CmdButton_WINDOW", B, nullptr, "W : WINDOW         ", 8040, 4560, 1215, 375),
      Label_COM_TIMEOUT("Label_COM_TIMEOUT", L, nullptr,
                        "      COM TIMEOUT !" + std::string(46, ' ') + "( NO DF DATA )", 0, 600, 1815, 735),
      Label_GPS_SPEED("Label_GPS_SPEED", L, &Frame_GPS_SPEED, "   GPS     SPEED", 120, 120, 780, 540),
      Label_GPS_FAIL("Label_GPS_FAIL", L, &Frame_GPS_FAIL, " GPS    FAIL", 120, 120, 615, 495),
      Label_SORVANT_DF_DISPLAY("Label_SORVANT_DF_DISPLAY", L, &Frame_TOP_LEFT, "Sorvant DF Display", 0, 0, 2175, 255),
      Label_VERSION("Label_VERSION", L, &Frame_TOP_LEFT, "Ver. 1.2", 0, 255, 975, 255),
      Label_LAST_BRG("Label_LAST_BRG", L, &Frame_TOP_LEFT, "LAST BRG : 000", 0, 600, 1935, 255),
      Label_TOTAL_BRG("Label_TOTAL_BRG", L, &Frame_TOP_LEFT, "TOTAL BRG : 000", 0, 855, 2055, 255),
      Label_TOTAL_TIME("Label_TOTAL_TIME", L, &Frame_TOP_LEFT, "TOTAL TIME : 0000", 0, 1110, 2175, 255),
      Label_SOURCE("Label_SOURCE", L, &Frame_TOP_CENTER, "SOURCE : TEST", 375, 0, 1500, 255),
      Label_HDG("Label_HDG", L, &Frame_TOP_CENTER, "MAN 000 TRU", 60, 200, 3000, 480),
      Label_COPYRIGHT("Label_COPYRIGHT", L, &Frame_TOP_RIGHT, kCopyrightText, 720, 0, 1335, 255),
      Label_COMPANY("Label_COMPANY", L, &Frame_TOP_RIGHT, kCompanyText, 0, 240, 2055, 255),
      Label_CONTACT2("Label_CONTACT2", L, &Frame_TOP_RIGHT, kContactText, 120, 480, 1815, 255),
      Label_TIME("Label_TIME", L, &Frame_TOP_RIGHT, "00:00:00 AM", 240, 960, 1335, 255),
      Label_COMM("Label_COMM", L, &Frame_TOP_RIGHT, "COM2 @ 4800 BAUD", 240, 1200, 1695, 255),
      CmdButton_SECTOR("CmdButton_SECTOR", B, &Frame_BOTTOM_LEFT, "S:SECTOR     4 DEG", 0, 0, 1455, 375),
      Label_DECAY("Label_DECAY", L, &Frame_BOTTOM_LEFT, "DECAY RATE :", 0, 480, 1215, 255),
      Label_DECAY_RATE("Label_DECAY_RATE", L, &Frame_BOTTOM_LEFT, "0.90 @  5 SEC", 0, 735, 1455, 255),
      CmdButton_VAR("CmdButton_VAR", B, &Frame_BOTTOM_LEFT, "V:VAR          OFF", 0, 1080, 1215, 375),
      Label_RANGE("Label_RANGE", L, &Frame_BOTTOM_LEFT, "RANGE : 60 BRGS ", 0, 1560, 1455, 255),
      Label_CURSOR("Label_CURSOR", L, &Frame_BOTTOM_LEFT, "CURSOR : 000 TRU", 0, 1815, 1455, 255),
      Label_KEYPAD("Label_KEYPAD", L, &Frame_BOTTOM_RIGHT, "NUMERIC KEYPAD", 480, 0, 1455, 255),
      CmdButton_HDG_CW("CmdButton_HDG_CW", B, &Frame_BOTTOM_RIGHT, "6 : HDG CW", 0, 360, 1215, 375),
      CmdButton_HDG_CCW("CmdButton_HDG_CCW", B, &Frame_BOTTOM_RIGHT, "4 : HDG CCW", 1200, 360, 1215, 375),
      CmdButton_CUR_CW("CmdButton_CUR_CW", B, &Frame_BOTTOM_RIGHT, "8 : CUR CW", 0, 720, 1215, 375),
      CmdButton_CUR_CCW("CmdButton_CUR_CCW", B, &Frame_BOTTOM_RIGHT, "2 : CUR CCW", 1200, 720, 1215, 375) {
  for (Control* c : all()) {
    if (c->kind == ControlKind::Button) {
      c->font = FontSpec{"Small Fonts", 6.75f, false, false};
      c->backColor = kDefaultColors[ButtonBackground];
      c->foreColor = 0;
    } else if (c->kind == ControlKind::Label) {
      c->backColor = kDefaultColors[DisplayBackground];
      c->foreColor = kDefaultColors[LegendText];
    } else {
      c->backColor = kDefaultColors[DisplayBackground];
    }
  }
  for (Control* c : {&CmdButton_SAVE, &CmdButton_RECALL, &CmdButton_CANCEL}) {
    c->font.size = 6.0f;
    c->visible = false;
  }
  Label_COM_TIMEOUT.font.size = 9.0f;
  Label_COM_TIMEOUT.centred = true;
  Label_COM_TIMEOUT.wordWrap = true;
  Label_COM_TIMEOUT.visible = false;
  for (Control* c : {&Frame_GPS_SPEED, &Frame_GPS_FAIL}) {
    c->visible = false;
    c->backColor = kWhite;
  }
  // The two GPS warnings are two words each, one above the other: a single line would not fit.
  for (Control* c : {&Label_GPS_SPEED, &Label_GPS_FAIL}) {
    c->wordWrap = true;
    c->font.size = 9.75f;
    c->foreColor = kRed;
    c->backColor = kWhite;
  }
  for (Control* c : {&Label_SORVANT_DF_DISPLAY, &Label_VERSION}) {
    c->font.size = 11.25f;
    c->font.italic = true;
  }
  Label_HDG.font.size = 14.25f;
  Label_COPYRIGHT.visible = false;
  Label_CONTACT2.visible = false;
}

std::vector<Control*> MainControls::all() {
  return {&Frame_GPS_SPEED,   &Frame_GPS_FAIL,     &Frame_TOP_LEFT,     &Frame_TOP_CENTER,
          &Frame_TOP_RIGHT,   &Frame_BOTTOM_LEFT,  &Frame_BOTTOM_RIGHT, &CmdButton_ACQUIRE,
          &CmdButton_TEST,    &CmdButton_DECAY,    &CmdButton_REDUCE,   &CmdButton_CLEAR,
          &CmdButton_QUIT,    &CmdButton_MEM1,     &CmdButton_MEM2,     &CmdButton_MEM3,
          &CmdButton_MEM4,    &CmdButton_MEM5,     &CmdButton_SAVE,     &CmdButton_RECALL,
          &CmdButton_CANCEL,  &CmdButton_CONTROLS, &CmdButton_OPTIONS,  &CmdButton_WINDOW,
          &Label_COM_TIMEOUT, &Label_GPS_SPEED,    &Label_GPS_FAIL,     &Label_SORVANT_DF_DISPLAY,
          &Label_VERSION,     &Label_LAST_BRG,     &Label_TOTAL_BRG,    &Label_TOTAL_TIME,
          &Label_SOURCE,      &Label_HDG,          &Label_COPYRIGHT,    &Label_COMPANY,
          &Label_CONTACT2,    &Label_TIME,         &Label_COMM,         &CmdButton_SECTOR,
          &Label_DECAY,       &Label_DECAY_RATE,   &CmdButton_VAR,      &Label_RANGE,
          &Label_CURSOR,      &Label_KEYPAD,       &CmdButton_HDG_CW,   &CmdButton_HDG_CCW,
          &CmdButton_CUR_CW,  &CmdButton_CUR_CCW};
}

Control* MainControls::memoryButton(int n) {
  Control* buttons[] = {&CmdButton_MEM1, &CmdButton_MEM2, &CmdButton_MEM3, &CmdButton_MEM4, &CmdButton_MEM5};
  return n >= 1 && n <= 5 ? buttons[n - 1] : nullptr;
}

std::vector<Control*> MainControls::commandButtons() {
  return {&CmdButton_ACQUIRE, &CmdButton_CLEAR,  &CmdButton_CONTROLS, &CmdButton_WINDOW, &CmdButton_CUR_CCW,
          &CmdButton_CUR_CW,  &CmdButton_DECAY,  &CmdButton_HDG_CCW,  &CmdButton_HDG_CW, &CmdButton_MEM1,
          &CmdButton_MEM2,    &CmdButton_MEM3,   &CmdButton_MEM4,     &CmdButton_MEM5,   &CmdButton_OPTIONS,
          &CmdButton_QUIT,    &CmdButton_REDUCE, &CmdButton_SECTOR,   &CmdButton_TEST,   &CmdButton_VAR,
          &CmdButton_SAVE,    &CmdButton_RECALL, &CmdButton_CANCEL};
}

std::vector<Control*> MainControls::legendLabels() {
  return {&Label_COMM,
          &Label_COPYRIGHT,
          &Label_CURSOR,
          &Label_DECAY,
          &Label_DECAY_RATE,
          &Label_HDG,
          &Label_KEYPAD,
          &Label_LAST_BRG,
          &Label_CONTACT2,
          &Label_RANGE,
          &Label_COMPANY,
          &Label_SOURCE,
          &Label_TIME,
          &Label_TOTAL_BRG,
          &Label_TOTAL_TIME,
          &Label_VERSION,
          &Label_SORVANT_DF_DISPLAY,
          &Label_COM_TIMEOUT};
}

std::vector<Control*> MainControls::hideableButtons() {
  return {&CmdButton_ACQUIRE, &CmdButton_CLEAR,   &CmdButton_CUR_CW,  &CmdButton_CUR_CCW, &CmdButton_DECAY,
          &CmdButton_HDG_CW,  &CmdButton_HDG_CCW, &CmdButton_MEM1,    &CmdButton_MEM2,    &CmdButton_MEM3,
          &CmdButton_MEM4,    &CmdButton_MEM5,    &CmdButton_OPTIONS, &CmdButton_WINDOW,  &CmdButton_QUIT,
          &CmdButton_REDUCE,  &CmdButton_SECTOR,  &CmdButton_TEST,    &CmdButton_VAR};
}

std::vector<Control*> MainControls::hideableLabels() {
  return {&Label_COMM,       &Label_COPYRIGHT,  &Label_CURSOR,   &Label_DECAY,
          &Label_DECAY_RATE, &Label_HDG,        &Label_LAST_BRG, &Label_CONTACT2,
          &Label_RANGE,      &Label_COMPANY,    &Label_SOURCE,   &Label_TIME,
          &Label_TOTAL_BRG,  &Label_TOTAL_TIME, &Label_VERSION,  &Label_SORVANT_DF_DISPLAY};
}

}  // namespace sorvant
