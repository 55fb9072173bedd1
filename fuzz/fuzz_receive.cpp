// Arbitrary bytes on the serial line, in arbitrary pieces, with timer ticks between them, with the
// heading from GPS: nothing may crash and the display state must hold together.
#include <cstddef>
#include <cstdint>

#include "FuzzSystem.h"
#include "core/Captions.h"
#include "histogram/TestSource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sorvant;
  static fuzz::FuzzSystem* f = [] {
    auto* s = new fuzz::FuzzSystem();  // lives for the whole run, as the program's system does
    CmdButton_TEST_Click(s->sys);
    s->sys.opt.CmdButton_HEADING.caption = kHeadingGps;
    s->sys.st.GPS_TIMER = true;
    return s;
  }();
  std::size_t i = 0;
  while (i < size) {
    const std::size_t piece = 1 + data[i] % 64;
    ++i;
    const std::size_t n = piece < size - i ? piece : size - i;
    f->port.feed(std::string(reinterpret_cast<const char*>(data + i), n));
    i += n;
    if (n % 3 == 0) {
      f->clock.advance(0.05);
      Timer1_Timer(f->sys);
    }
    f->surface.clear();
    fuzz::checkInvariants(f->sys);
  }
  return 0;
}
