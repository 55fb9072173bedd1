#include "core/OptionsControls.h"

namespace sorvant {
namespace {

constexpr auto B = ControlKind::Button;
constexpr auto L = ControlKind::Label;
constexpr auto F = ControlKind::Frame;
constexpr auto S = ControlKind::Swatch;

}  // namespace

OptionsControls::OptionsControls()
    : Frame_COLORS("Frame_COLORS", F, nullptr, "COLORS", 120, 120, 3255, 5055),
      frame_COMM("frame_COMM", F, nullptr, "COMM PORT", 3600, 120, 2295, 1215),
      Frame_HEADING_SOURCE("Frame_HEADING_SOURCE", F, nullptr, "HEADING SOURCE", 3600, 1440, 2295, 855),
      Frame_HEADING_CORRECTION("Frame_HEADING_CORRECTION", F, nullptr, "MAG VAR", 3600, 2400, 2295, 1095),
      Frame_DECAY("Frame_DECAY", F, nullptr, "DECAY", 3600, 3600, 2295, 855),
      cmdbutton_DISPLAY_BACKGROUND_COLOR("cmdbutton_DISPLAY_BACKGROUND_COLOR", B, &Frame_COLORS, "DISPLAY BACKGROUND",
                                         120, 360, 2415, 375),
      cmdbutton_BUTTON_BACKGROUND_COLOR("cmdbutton_BUTTON_BACKGROUND_COLOR", B, &Frame_COLORS, "BUTTON BACKGROUND", 120,
                                        720, 2415, 375),
      cmdbutton_LEGEND_TEXT_COLOR("cmdbutton_LEGEND_TEXT_COLOR", B, &Frame_COLORS, "LEGEND TEXT", 120, 1080, 2415, 375),
      cmdbutton_AZIMUTH_BACKGROUND("cmdbutton_AZIMUTH_BACKGROUND", B, &Frame_COLORS, "AZIMUTH BACKGROUND", 120, 1440,
                                   2415, 375),
      cmdbutton_AZIMUTH_SCALE_COLOR("cmdbutton_AZIMUTH_SCALE_COLOR", B, &Frame_COLORS, "AZIMUTH SCALE", 120, 1800, 2415,
                                    375),
      cmdbutton_RANGE_RINGS_COLOR("cmdbutton_RANGE_RINGS_COLOR", B, &Frame_COLORS, "RANGE RINGS", 120, 2160, 2415, 375),
      cmdbutton_VECTORS_COLOR("cmdbutton_VECTORS_COLOR", B, &Frame_COLORS, "VECTORS", 120, 2520, 2415, 375),
      cmdbutton_CURSOR_COLOR("cmdbutton_CURSOR_COLOR", B, &Frame_COLORS, "CURSOR", 120, 2880, 2415, 375),
      Picture_DISPLAY_BACKGROUND_COLOR("Picture_DISPLAY_BACKGROUND_COLOR", S, &Frame_COLORS, "", 2520, 360, 615, 375),
      Picture_BUTTON_BACKGROUND_COLOR("Picture_BUTTON_BACKGROUND_COLOR", S, &Frame_COLORS, "", 2520, 720, 615, 375),
      Picture_LEGEND_TEXT_COLOR("Picture_LEGEND_TEXT_COLOR", S, &Frame_COLORS, "", 2520, 1080, 615, 375),
      Picture_AZIMUTH_BACKGROUND_COLOR("Picture_AZIMUTH_BACKGROUND_COLOR", S, &Frame_COLORS, "", 2520, 1440, 615, 375),
      Picture_AZIMUTH_SCALE_COLOR("Picture_AZIMUTH_SCALE_COLOR", S, &Frame_COLORS, "", 2520, 1800, 615, 375),
      Picture_RANGE_RINGS_COLOR("Picture_RANGE_RINGS_COLOR", S, &Frame_COLORS, "", 2520, 2160, 615, 375),
      Picture_VECTORS_COLOR("Picture_VECTORS_COLOR", S, &Frame_COLORS, "", 2520, 2520, 615, 375),
      Picture_CURSOR_COLOR("Picture_CURSOR_COLOR", S, &Frame_COLORS, "", 2520, 2880, 615, 375),
      cmdbutton_DEFAULT_COLORS("cmdbutton_DEFAULT_COLORS", B, &Frame_COLORS, "DEFAULT COLORS", 120, 3600, 3015, 375),
      CmdButton_SAVE("CmdButton_SAVE", B, &Frame_COLORS, "SAVE", 120, 3600, 855, 375),
      CmdButton_RECALL("CmdButton_RECALL", B, &Frame_COLORS, "RECALL", 1200, 3600, 855, 375),
      CmdButton_CANCEL("CmdButton_CANCEL", B, &Frame_COLORS, "CANCEL", 2280, 3600, 855, 375),
      CmdButton_A_COLORS("CmdButton_A_COLORS", B, &Frame_COLORS, "A  COLORS", 120, 4080, 1455, 375),
      CmdButton_B_COLORS("CmdButton_B_COLORS", B, &Frame_COLORS, "B  COLORS", 1680, 4080, 1455, 375),
      CmdButton_C_COLORS("CmdButton_C_COLORS", B, &Frame_COLORS, "C  COLORS", 120, 4560, 1455, 375),
      CmdButton_D_COLORS("CmdButton_D_COLORS", B, &Frame_COLORS, "D  COLORS", 1680, 4560, 1455, 375),
      CmdButton_COMM_PORT("CmdButton_COMM_PORT", B, &frame_COMM, "COMM PORT : COM 2", 120, 360, 2055, 375),
      CmdButton_BAUD_RATE("CmdButton_BAUD_RATE", B, &frame_COMM, "BAUD RATE : 4800", 120, 720, 2055, 375),
      CmdButton_HEADING("CmdButton_HEADING", B, &Frame_HEADING_SOURCE, "MANUAL", 120, 360, 2055, 375),
      Label_HEADING_CORRECTION("Label_HEADING_CORRECTION", L, &Frame_HEADING_CORRECTION, "000 WEST", 240, 240, 1695,
                               255),
      CmdButton_ERROR_UP("CmdButton_ERROR_UP", B, &Frame_HEADING_CORRECTION, "WEST", 120, 600, 975, 375),
      CmdButton_ERROR_DN("CmdButton_ERROR_DN", B, &Frame_HEADING_CORRECTION, "EAST", 1200, 600, 975, 375),
      CmdButton_FRAC("CmdButton_FRAC", B, &Frame_DECAY, "FRAC 0.90", 120, 360, 975, 375),
      CmdButton_TIME("CmdButton_TIME", B, &Frame_DECAY, "@  5 SEC", 1200, 360, 975, 375),
      cmdbutton_EXIT("cmdbutton_EXIT", B, nullptr, "EXIT", 3600, 4680, 2295, 375) {
  for (Control* c : all()) {
    c->backColor = kButtonFace;
    c->font = FontSpec{"Arial", 8.25f, true, false};
  }
  for (int slot = 1; slot <= 8; ++slot) swatch(slot).backColor = kDefaultColors[slot];
  for (Control* c : {&CmdButton_SAVE, &CmdButton_RECALL, &CmdButton_CANCEL}) c->visible = false;
  Label_HEADING_CORRECTION.centred = true;
  CmdButton_COMM_PORT.tag = "COM2 @ ";
  CmdButton_BAUD_RATE.tag = "1200 BAUD";
  CmdButton_FRAC.tag = "0.9";
  CmdButton_TIME.tag = "5";
}

Control& OptionsControls::swatch(int slot) {
  Control* swatches[] = {&Picture_DISPLAY_BACKGROUND_COLOR,
                         &Picture_BUTTON_BACKGROUND_COLOR,
                         &Picture_LEGEND_TEXT_COLOR,
                         &Picture_AZIMUTH_BACKGROUND_COLOR,
                         &Picture_AZIMUTH_SCALE_COLOR,
                         &Picture_RANGE_RINGS_COLOR,
                         &Picture_VECTORS_COLOR,
                         &Picture_CURSOR_COLOR};
  return *swatches[(slot >= 1 && slot <= 8 ? slot : 1) - 1];
}

Control& OptionsControls::picker(int slot) {
  Control* pickers[] = {&cmdbutton_DISPLAY_BACKGROUND_COLOR,
                        &cmdbutton_BUTTON_BACKGROUND_COLOR,
                        &cmdbutton_LEGEND_TEXT_COLOR,
                        &cmdbutton_AZIMUTH_BACKGROUND,
                        &cmdbutton_AZIMUTH_SCALE_COLOR,
                        &cmdbutton_RANGE_RINGS_COLOR,
                        &cmdbutton_VECTORS_COLOR,
                        &cmdbutton_CURSOR_COLOR};
  return *pickers[(slot >= 1 && slot <= 8 ? slot : 1) - 1];
}

std::vector<Control*> OptionsControls::all() {
  std::vector<Control*> out{&Frame_COLORS, &frame_COMM, &Frame_HEADING_SOURCE, &Frame_HEADING_CORRECTION, &Frame_DECAY};
  for (int slot = 1; slot <= 8; ++slot) out.push_back(&picker(slot));
  for (int slot = 1; slot <= 8; ++slot) out.push_back(&swatch(slot));
  out.insert(out.end(), {&cmdbutton_DEFAULT_COLORS, &CmdButton_A_COLORS, &CmdButton_B_COLORS, &CmdButton_C_COLORS,
                         &CmdButton_D_COLORS, &CmdButton_SAVE, &CmdButton_RECALL, &CmdButton_CANCEL,
                         &CmdButton_COMM_PORT, &CmdButton_BAUD_RATE, &CmdButton_HEADING, &Label_HEADING_CORRECTION,
                         &CmdButton_ERROR_UP, &CmdButton_ERROR_DN, &CmdButton_FRAC, &CmdButton_TIME, &cmdbutton_EXIT});
  return out;
}

ColorTable::ColorTable() {
  for (int set = 1; set <= 5; ++set)
    for (int slot = 1; slot <= 8; ++slot) COLOR_TABLE[set][slot] = kDefaultColors[slot];
}

}  // namespace sorvant
