// Serial ports on Linux and other POSIX systems: a link in the config folder, or a USB serial adapter.
#include <system_error>

#include "core/ConfigFolder.h"
#include "core/PathText.h"
#include "serial/ComPortPath.h"

namespace sorvant {

namespace fs = std::filesystem;

std::string comPortPath(int port) { return comPortPath(port, "/dev"); }

std::string comPortPath(int port, const fs::path& devices) {
  if (port < 1) return {};
  const std::string name = "COM" + std::to_string(port);
  const fs::path link = configFolder() / name;
  std::error_code ec;
  // symlink_status: a link whose target is missing still counts as present.
  if (fs::exists(fs::symlink_status(link, ec))) {
    if (isUtf8Path(link)) return link.string();
    // A config folder named in another encoding (Latin-1): the serial layer takes names as UTF-8
    // text, so it is given the device the link leads to, looked up afresh at every open.
    fs::path device = fs::read_symlink(link, ec);
    if (!ec && device.is_relative()) device = link.parent_path() / device;
    if (!ec) device = fs::weakly_canonical(device, ec);
    return !ec && isUtf8Path(device) ? device.string() : link.string();
  }
  const std::string index = std::to_string(port - 1);
  const fs::path usb = devices / ("ttyUSB" + index);
  const fs::path acm = devices / ("ttyACM" + index);
  if (!fs::exists(usb, ec) && fs::exists(acm, ec)) return acm.string();
  return usb.string();
}

std::string comPortDescription(int port) {
  const std::string path = comPortPath(port);
  if (path.empty()) return path;
  const fs::path link = configFolder() / ("COM" + std::to_string(port));
  std::error_code ec;
  if (fs::is_symlink(fs::symlink_status(link, ec))) {
    const fs::path target = fs::read_symlink(link, ec);
    if (!ec) return pathText(target) + " (linked from " + pathText(link) + ")";
  }
  return path;
}

}  // namespace sorvant
