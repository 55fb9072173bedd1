// Start-up on an arbitrary settings file: it must end with a usable system and a readable file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "FuzzSystem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sorvant;
  const std::filesystem::path& path = fuzz::writeSettingsFile(data, size);
  fuzz::FuzzSystem f;  // start-up: load reads the file and applies what it holds
  const int port = f.sys.MSComm1.commPort();
  if (port < 1 || port > 255) fuzz::fail("port < 1 || port > 255");
  const int16_t baud = f.sys.opt.BAUD_RATE;
  if (baud != 1200 && baud != 2400 && baud != 4800 && baud != 9600)
    fuzz::fail("baud != 1200 && baud != 2400 && baud != 4800 && baud != 9600");
  if (f.sys.opt.HEADING_CORRECTION < -179 || f.sys.opt.HEADING_CORRECTION > 180)
    fuzz::fail("f.sys.opt.HEADING_CORRECTION < -179 || f.sys.opt.HEADING_CORRECTION > 180");
  fuzz::checkCaptions(f.sys);
  // Whatever was read, the file left behind is one the next start reads without complaint.
  std::ifstream in(path, std::ios::binary);
  const std::string left((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (left.empty()) fuzz::fail("left.empty()");
  return 0;
}
