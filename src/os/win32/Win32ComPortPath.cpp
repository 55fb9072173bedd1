// Serial ports on Windows: COMn by its own name.
#include "serial/ComPortPath.h"

namespace sorvant {

std::string comPortPath(int port) {
  if (port < 1) return {};
  // The device namespace: a plain "COMn" names a device only for n up to 9.
  return "\\\\.\\COM" + std::to_string(port);
}

std::string comPortPath(int port, const std::filesystem::path&) { return comPortPath(port); }

std::string comPortDescription(int port) { return comPortPath(port); }

}  // namespace sorvant
