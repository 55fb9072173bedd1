// Start-up on an arbitrary settings file: it must end with a usable system and a readable file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSystem.h"

namespace {

using namespace sorvant;

// The system as it is made, before load reads the file.
void prepare(fuzz::FuzzSystem& f) { f.made(); }

void run(fuzz::FuzzSystem& f, const uint8_t* data, size_t size) {
  fuzz::MemoryStore& store = fuzz::memoryStore();
  store.file = std::string(reinterpret_cast<const char*>(data), size);
  f.load();  // load reads the file and applies what it holds, then the window is laid out
  const int port = f.sys.MSComm1.commPort();
  if (port < 1 || port > 255) fuzz::fail("port < 1 || port > 255");
  const int16_t baud = f.sys.opt.BAUD_RATE;
  if (baud != 1200 && baud != 2400 && baud != 4800 && baud != 9600)
    fuzz::fail("baud != 1200 && baud != 2400 && baud != 4800 && baud != 9600");
  if (f.sys.opt.HEADING_CORRECTION < -179 || f.sys.opt.HEADING_CORRECTION > 180)
    fuzz::fail("f.sys.opt.HEADING_CORRECTION < -179 || f.sys.opt.HEADING_CORRECTION > 180");
  fuzz::checkCaptions(f.controls);
  // Whatever was read, the file left behind is one the next start reads without complaint: the
  // input itself, or the default file in place of a damaged one kept aside.
  if (!store.file || store.file->empty()) fuzz::fail("no settings file left");
  if (store.keptAside > 0 && *store.file != defaultSettingsText())
    fuzz::fail("a damaged file not replaced by defaults");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::runInput(data, size, prepare, run);
  return 0;
}
