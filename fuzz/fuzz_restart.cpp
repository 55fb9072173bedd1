// Start on an arbitrary settings file, shut down, start again, shut down: the second start must bring
// back the settings the first one ended with, and write the same file again.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "FuzzSystem.h"

namespace {

using namespace sorvant;

std::string readAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::filesystem::path& path = fuzz::writeSettingsFile(data, size);
  std::string first;
  std::string written;
  {
    fuzz::FuzzSystem f;
    first = settingsInForce(f.sys);
    unloadSystem(f.sys);
    written = readAll(path);
  }
  fuzz::FuzzSystem again;
  if (settingsInForce(again.sys) != first) fuzz::fail("settingsInForce(again.sys) != first");
  unloadSystem(again.sys);
  if (readAll(path) != written) fuzz::fail("readAll(path) != written");
  return 0;
}
