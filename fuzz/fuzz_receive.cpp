// Arbitrary bytes on the serial line, in arbitrary pieces, with timer ticks between them, with the
// heading from GPS: nothing may crash, the display state must hold together, at most one bearing is
// counted per timer period and the heading is always the course of the last sentence accepted.
#include <cstddef>
#include <cstdint>

#include "FuzzSystem.h"
#include "core/Captions.h"
#include "histogram/TestSource.h"

namespace {

using namespace sorvant;

// Listening to the receiver, the heading from GPS.
void prepare(fuzz::FuzzSystem& f) {
  CmdButton_TEST_Click(f.sys);
  f.sys.opt.CmdButton_HEADING.caption = kHeadingGps;
  f.sys.st.GPS_TIMER = true;
  f.watch.watchSerial = true;
}

void run(fuzz::FuzzSystem& f, const uint8_t* data, size_t size) {
  std::size_t i = 0;
  while (i < size) {
    const std::size_t piece = 1 + data[i] % 64;
    ++i;
    const std::size_t n = piece < size - i ? piece : size - i;
    f.port.feed(reinterpret_cast<const char*>(data + i), n);
    i += n;
    if (n % 3 == 0) f.tick(0.05);
  }
  fuzz::checkCaptions(f.controls);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::runInput(data, size, prepare, run);
  return 0;
}
