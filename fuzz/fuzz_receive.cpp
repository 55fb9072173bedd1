// Arbitrary bytes on the serial line, in arbitrary pieces, with timer ticks between them, with the
// heading from GPS: nothing may crash, the display state must hold together, at most one bearing is
// counted per timer period and the heading is always the course of the last sentence accepted.
#include <cstddef>
#include <cstdint>

#include "FuzzSystem.h"
#include "core/Captions.h"
#include "histogram/Accumulation.h"
#include "histogram/TestSource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sorvant;
  static fuzz::FuzzSystem* f = [] {
    auto* s = new fuzz::FuzzSystem();  // lives for the whole run, as the program's system does
    CmdButton_TEST_Click(s->sys);
    s->sys.opt.CmdButton_HEADING.caption = kHeadingGps;
    s->sys.st.GPS_TIMER = true;
    fuzz::CycleWatch::instance().watchSerial = true;
    return s;
  }();
  // The count stops at its top; start again well before it, so the one-per-period check keeps seeing
  // every bearing.
  if (f->sys.st.INCOUNT > 30000) CmdButton_CLEAR_Click(f->sys);
  std::size_t i = 0;
  while (i < size) {
    const std::size_t piece = 1 + data[i] % 64;
    ++i;
    const std::size_t n = piece < size - i ? piece : size - i;
    f->port.feed(std::string(reinterpret_cast<const char*>(data + i), n));
    i += n;
    if (n % 3 == 0) f->tick(0.05);
  }
  fuzz::checkCaptions(f->sys);
  return 0;
}
