#pragma once
// The whole running system: the display state, both windows' controls, the colour table, what the
// rules keep beside them and the platform. The routines of every subsystem are free functions over it.
#include <filesystem>

#include "core/Captions.h"
#include "core/DisplayState.h"
#include "core/Interfaces.h"
#include "core/MainControls.h"
#include "core/NumberText.h"
#include "core/OptionsControls.h"
#include "core/RunState.h"

namespace sorvant {

class SettingsStore;
struct System;
// The processing cycle. It runs every subsystem, so it lives above them; commands reach it through
// the system they were given instead of calling up into it.
using CycleRoutine = void (*)(System&);

struct Platform {
  CycleRoutine cycle;
  Clock& clock;
  SerialPort& port;
  Surface& surface;
  WindowHost& host;
  ColorPicker& picker;
  Random& random;
};

struct System {
  explicit System(const Platform& p)
      : cycle(p.cycle),
        clock(p.clock),
        MSComm1(p.port),
        surface(p.surface),
        host(p.host),
        picker(p.picker),
        random(p.random) {}
  System(const System&) = delete;
  System& operator=(const System&) = delete;

  // Runs one processing cycle (what a command does once it has changed the state).
  void runCycle() { cycle(*this); }

  DisplayState st;
  MainControls main;
  OptionsControls opt;
  ColorTable colors;
  RunState run;

  // Where the settings file is kept: the file that load reads and unload writes (empty: the system's
  // own, settingsPath()) and the store that reads and writes it (null: the file system). Tests and
  // the fuzz targets put their own in; the program never does.
  std::filesystem::path settingsFile;
  SettingsStore* settingsStore = nullptr;

  CycleRoutine cycle;
  Clock& clock;
  SerialPort& MSComm1;
  Surface& surface;
  WindowHost& host;
  ColorPicker& picker;
  Random& random;

  // Reads the clock for a rule or a stamp: seconds since midnight on a clock that never steps (the
  // wall clock's time of day at the first reading, run on from there by the steady clock). Midnight
  // is applied first, so a stamp taken on the new day is never moved back a day by a later check.
  double readClock();
  // The clock as the rules read it: a Single.
  Single clockNow() { return static_cast<Single>(readClock()); }
  // The clock rounded to whole seconds, for stamps.
  Long clockSecondsNow() { return clockSeconds(readClock()); }
  bool varOn() const { return main.CmdButton_VAR.caption == kVarOn; }
  bool headingManual() const { return opt.CmdButton_HEADING.caption == kHeadingManual; }
  Color color(int slot) { return opt.color(slot); }
};

// Forgets the DF messages still waiting for a period. They belong to the picture on show, so every
// command that starts another picture (clear, recall, the source or acquisition switched) and every
// close of the port drops them.
void dropWaitingDfMessages(System& sys);
// Clears the drawing surface to the window background colour.
void clearSurface(System& sys);
// Restarts the measuring of acquisition time from now (DF_TIME and its unrounded reading).
void stampAcquisitionTime(System& sys);
// The same from a clock reading already taken (readClock).
void stampAcquisitionTime(System& sys, double clock);

}  // namespace sorvant
