#pragma once
// The options dialog's colour commands: the eight pickers, default colours, the four stored colour
// sets with save, recall and cancel, and the dialog's EXIT.
#include "core/System.h"

namespace sorvant {

// Opens the picker at the slot's current colour, keeps the answer (the old colour on cancel) in the
// swatch and does the slot's follow-up: push into the main window, request a redraw, or run a cycle.
void pickColor(System& sys, int slot);

// The three colours the main window takes from the scheme: window and panel background (the drawing
// surface is cleared to a new one and the display redrawn), button background, label text.
void setDisplayBackground(System& sys, Color c);
void setButtonBackground(System& sys, Color c);
void setLegendText(System& sys, Color c);

void cmdbutton_DISPLAY_BACKGROUND_COLOR_Click(System& sys);
void cmdbutton_BUTTON_BACKGROUND_COLOR_Click(System& sys);
void cmdbutton_LEGEND_TEXT_COLOR_Click(System& sys);
void cmdbutton_AZIMUTH_BACKGROUND_Click(System& sys);
void cmdbutton_AZIMUTH_SCALE_COLOR_Click(System& sys);
void cmdbutton_RANGE_RINGS_COLOR_Click(System& sys);
void cmdbutton_VECTORS_COLOR_Click(System& sys);
void cmdbutton_CURSOR_COLOR_Click(System& sys);

// A swatch click does exactly what its picker button does.
void Picture_DISPLAY_BACKGROUND_COLOR_Click(System& sys);
void Picture_BUTTON_BACKGROUND_COLOR_Click(System& sys);
void Picture_LEGEND_TEXT_COLOR_Click(System& sys);
void Picture_AZIMUTH_BACKGROUND_COLOR_Click(System& sys);
void Picture_AZIMUTH_SCALE_COLOR_Click(System& sys);
void Picture_RANGE_RINGS_COLOR_Click(System& sys);
void Picture_VECTORS_COLOR_Click(System& sys);
void Picture_CURSOR_COLOR_Click(System& sys);

// Back to the built-in colours on the swatches and the main window; set "1" for SAVE and RECALL.
void cmdbutton_DEFAULT_COLORS_Click(System& sys);

// Shows SAVE, RECALL and CANCEL in place of DEFAULT COLORS, aimed at colour set n (2..5).
void chooseColorSet(System& sys, int n);
void CmdButton_A_COLORS_Click(System& sys);
void CmdButton_B_COLORS_Click(System& sys);
void CmdButton_C_COLORS_Click(System& sys);
void CmdButton_D_COLORS_Click(System& sys);

// Hides the dialog in its idle face and redraws the display with the current colours and settings.
void cmdbutton_EXIT_Click(System& sys);

// The dialog's SAVE, RECALL and CANCEL. They live apart from the main window's memory commands of the
// same names (input/Memories.h); call them qualified, options::CmdButton_SAVE_Click(sys).
namespace options {

// Stores the swatch colours into the chosen set and redraws; the colours in use stay as they are.
void CmdButton_SAVE_Click(System& sys);
// Makes the chosen set the colours in use, on the swatches, the main window and the display.
void CmdButton_RECALL_Click(System& sys);
// Returns to the idle face without touching any colour or set.
void CmdButton_CANCEL_Click(System& sys);

}  // namespace options

}  // namespace sorvant
