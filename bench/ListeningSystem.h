#pragma once
// A running system on fakes, started as the program starts and then listening to the receiver (the
// test source switched off): the serial benchmarks feed its port.
#include "core/SeededRandom.h"
#include "core/System.h"
#include "cycle/Cycle.h"
#include "display/Layout.h"
#include "histogram/TestSource.h"
#include "serial/Reception.h"
#include "settings/StartUp.h"
#include "support/Fakes.h"
#include "support/RecordingSurface.h"

namespace sorvant::bench {

struct ListeningSystem {
  ListeningSystem() {
    port.setReceiveHandler([this] { MSComm1_OnComm(sys); });
    initialiseSystem(sys);
    loadSystem(sys);
    Form_Resize(sys);
    if (sys.main.CmdButton_TEST.caption != kTestOff) CmdButton_TEST_Click(sys);
  }
  ListeningSystem(const ListeningSystem&) = delete;
  ListeningSystem& operator=(const ListeningSystem&) = delete;

  test::FakeClock clock;
  test::FakePort port;
  test::RecordingSurface surface;
  test::FakeWindowHost host;
  test::FakePicker picker;
  SeededRandom random;
  System sys{Platform{&EXECUTIVE, clock, port, surface, host, picker, random}};
};

}  // namespace sorvant::bench
