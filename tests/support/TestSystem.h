#pragma once
// A whole running system on fakes, created and loaded as the program starts, with helpers to drive it.
#include <filesystem>
#include <string>

#include "core/SeededRandom.h"
#include "core/System.h"
#include "cycle/Cycle.h"
#include "support/Fakes.h"
#include "support/RecordingSurface.h"

namespace sorvant::test {

struct TestSystem {
  // Creates the system at the fake clock's time; load runs too unless told otherwise, and the first
  // resize lays out the design client area.
  explicit TestSystem(bool load = true, bool resize = true);

  FakeClock clock;
  FakePort port;
  RecordingSurface surface;
  FakeWindowHost host;
  FakePicker picker;
  SeededRandom random;
  System sys;

  // Advances the clock by the timer period and delivers one Timer1 tick.
  void tick(double seconds = 0.05);
  // Characters arrive on the serial line.
  void receive(const std::string& text) { port.feed(text); }
  // Switches from the test source to the receiver (TEST off; the port opens when acquiring).
  void useReceiver();
  // Reads a file of the shared test data (path relative to the test data folder).
  static std::string testData(const std::string& relativePath);
  // Points the config folder at a folder of this test process (removed at exit) holding no settings
  // file, so that no test touches the operator's own. Returns the settings file there, for a system
  // to be given (System::settingsFile): a system given it loads the default settings.
  static std::filesystem::path isolateSettings();
  // Gives `sys` the settings file <folder>/sorvant/Sorvant.ini, with the config folder (and on
  // Linux the COMn links) moved to <folder>/sorvant too.
  static void useConfigFolder(System& sys, const std::filesystem::path& folder);
};

}  // namespace sorvant::test
