#pragma once
// A running system on fakes, started as the program starts and then listening to the receiver (the
// test source switched off): the serial benchmarks feed its port, a fake port or the serial line on a
// fake device.
#include <type_traits>

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

template <typename Port>
struct ListeningOn {
  ListeningOn() {
    port.setReceiveHandler([this] { MSComm1_OnComm(sys); });
    initialiseSystem(sys);
    loadSystem(sys);
    Form_Resize(sys);
    if (sys.main.CmdButton_TEST.caption != kTestOff) CmdButton_TEST_Click(sys);
  }
  ListeningOn(const ListeningOn&) = delete;
  ListeningOn& operator=(const ListeningOn&) = delete;

  test::FakeClock clock;
  Port port = makePort();
  test::RecordingSurface surface;
  test::FakeWindowHost host;
  test::FakePicker picker;
  SeededRandom random;
  System sys{Platform{&EXECUTIVE, clock, port, surface, host, picker, random}};

 private:
  // A port that measures time does so on the system's clock.
  Port makePort() const {
    if constexpr (std::is_constructible_v<Port, const Clock&>)
      return Port(clock);
    else
      return Port();
  }
};

using ListeningSystem = ListeningOn<test::FakePort>;

}  // namespace sorvant::bench
