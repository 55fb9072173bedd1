#pragma once
// The options dialog's commands for port, speed, heading source, variation and decay.
#include "core/System.h"

namespace sorvant {

void CmdButton_COMM_PORT_Click(System& sys);
void CmdButton_BAUD_RATE_Click(System& sys);
void CmdButton_HEADING_Click(System& sys);
void CmdButton_ERROR_UP_Click(System& sys);
void CmdButton_ERROR_DN_Click(System& sys);
// Applies the variation a settings file stores (one less than the real one, put in
// HEADING_CORRECTION) as the step-up command does, without drawing: start-up lays out and draws the
// window afterwards.
void applyStoredVariation(System& sys);
void CmdButton_FRAC_Click(System& sys);
void CmdButton_TIME_Click(System& sys);
// Pushes the three window colours (background, legend text, buttons) from the swatches.
void applySchemeToMainWindow(System& sys);

// Shows port n (1..8) on the dialog's port button: its caption, and its tag, from which the main
// window's port label is built.
void showCommPort(System& sys, int port);
// Sets the line speed in bit/s: the port's settings, the dialog's speed button and its tag.
void setBaudRate(System& sys, int16_t rate);
// Builds the main window's port label from the tags of the port and speed buttons.
void showCommLabel(System& sys);

}  // namespace sorvant
