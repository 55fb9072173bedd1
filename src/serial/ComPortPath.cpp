#include "serial/ComPortPath.h"

#include <system_error>

#include "core/ConfigFolder.h"

namespace sorvant {

namespace fs = std::filesystem;

std::string comPortPath(int port) { return comPortPath(port, "/dev"); }

std::string comPortPath(int port, [[maybe_unused]] const fs::path& devices) {
  if (port < 1) return {};
  const std::string name = "COM" + std::to_string(port);
#ifdef _WIN32
  // The device namespace: a plain "COMn" names a device only for n up to 9.
  return "\\\\.\\" + name;
#else
  const fs::path link = configFolder() / name;
  std::error_code ec;
  // symlink_status: a link whose target is missing still counts as present.
  if (fs::exists(fs::symlink_status(link, ec))) return link.string();
  const std::string index = std::to_string(port - 1);
  const fs::path usb = devices / ("ttyUSB" + index);
  const fs::path acm = devices / ("ttyACM" + index);
  if (!fs::exists(usb, ec) && fs::exists(acm, ec)) return acm.string();
  return usb.string();
#endif
}

std::string comPortDescription(int port) {
  const std::string path = comPortPath(port);
  std::error_code ec;
  if (path.empty() || !fs::is_symlink(fs::symlink_status(path, ec))) return path;
  const fs::path target = fs::read_symlink(path, ec);
  if (ec) return path;
  return target.string() + " (linked from " + path + ")";
}

}  // namespace sorvant
