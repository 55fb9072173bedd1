// Start on an arbitrary settings file, shut down, start again, shut down: the second start must bring
// back the settings the first one ended with, and write the same file again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSystem.h"

namespace {

using namespace sorvant;

// What a start takes from the file, as the running system shows it.
std::string settingsInForce(System& sys) {
  std::string s = std::to_string(sys.MSComm1.commPort()) + "|" + sys.MSComm1.settings() + "|" +
                  sys.main.CmdButton_ACQUIRE.caption + "|" + sys.main.CmdButton_TEST.caption + "|" +
                  sys.opt.CmdButton_HEADING.caption + "|" + std::to_string(sys.opt.HEADING_CORRECTION) + "|" +
                  sys.main.Label_HDG.caption + "|" + sys.main.Label_COMM.caption + "|" +
                  sys.opt.CmdButton_COMM_PORT.caption + "|" + sys.opt.Label_HEADING_CORRECTION.caption;
  for (int set = 1; set <= 5; ++set)
    for (int slot = 1; slot <= 8; ++slot) s += "|" + std::to_string(sys.colors.COLOR_TABLE[set][slot]);
  for (int slot = 1; slot <= 8; ++slot) s += "|" + std::to_string(sys.opt.color(slot));
  return s;
}

// The system as it is made, before load reads the file.
void prepare(fuzz::FuzzSystem& f) { f.made(); }

void run(fuzz::FuzzSystem& f, const uint8_t* data, size_t size) {
  fuzz::MemoryStore& store = fuzz::memoryStore();
  store.file = std::string(reinterpret_cast<const char*>(data), size);
  f.load();
  const std::string first = settingsInForce(f.sys);
  f.unload();
  const std::string written = store.file.value_or("");
  f.restart();  // a new process on the file the first one wrote
  if (settingsInForce(f.sys) != first) fuzz::fail("settingsInForce(again.sys) != first");
  f.unload();
  if (store.file.value_or("") != written) fuzz::fail("readAll(path) != written");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::runInput(data, size, prepare, run);
  return 0;
}
