#pragma once
// The options dialog's colour commands: the eight pickers, default colours, the four stored colour
// sets with save, recall and cancel, and the dialog's EXIT.
#include "core/System.h"

namespace sorvant {

// Opens the picker at the slot's current colour, keeps the answer (the old colour on cancel) in the
// swatch and does the slot's follow-up: push into the main window, request a redraw, or run a cycle.
// What a click on the slot's picker button or on its swatch does.
void pickColor(System& sys, int slot);

// The three colours the main window takes from the scheme: window and panel background (the drawing
// surface is cleared to a new one and the display redrawn), button background, label text.
void setDisplayBackground(System& sys, Color c);
void setButtonBackground(System& sys, Color c);
void setLegendText(System& sys, Color c);

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
