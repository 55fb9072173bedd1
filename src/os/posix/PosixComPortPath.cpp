// Serial ports on Linux and other POSIX systems: a link in the config folder, or a USB serial adapter.
#include <system_error>

#include "core/ConfigFolder.h"
#include "core/PathText.h"
#include "serial/ComPortPath.h"

namespace sorvant {

namespace fs = std::filesystem;

namespace {

fs::path portLink(int port) { return configFolder() / ("COM" + std::to_string(port)); }

// The path to open for a link that is present, even when it points nowhere.
std::string linkedPath(const fs::path& link) {
  if (isUtf8Path(link)) return link.string();
  // A config folder named in another encoding (Latin-1): the serial layer takes names as UTF-8
  // text, so it is given the device the link leads to, looked up afresh at every open.
  std::error_code ec;
  fs::path device = fs::read_symlink(link, ec);
  if (!ec && device.is_relative()) device = link.parent_path() / device;
  if (!ec) device = fs::weakly_canonical(device, ec);
  return !ec && isUtf8Path(device) ? device.string() : link.string();
}

// The USB serial adapter for a port without a link: ttyACM only when it alone is present. Without
// one (no adapter at all, the usual case) ttyUSB is the answer whether it is present or not, so
// ttyACM is looked for first and ttyUSB only when there is one.
std::string adapterPath(int port, const fs::path& devices) {
  const std::string index = std::to_string(port - 1);
  const fs::path usb = devices / ("ttyUSB" + index);
  const fs::path acm = devices / ("ttyACM" + index);
  std::error_code ec;
  if (fs::exists(acm, ec) && !fs::exists(usb, ec)) return acm.string();
  return usb.string();
}

}  // namespace

std::string comPortPath(int port) { return comPortPath(port, "/dev"); }

std::string comPortPath(int port, const fs::path& devices) {
  if (port < 1) return {};
  const fs::path link = portLink(port);
  std::error_code ec;
  // symlink_status: a link whose target is missing still counts as present.
  if (fs::exists(fs::symlink_status(link, ec))) return linkedPath(link);
  return adapterPath(port, devices);
}

std::string comPortDescription(int port) {
  if (port < 1) return {};
  const fs::path link = portLink(port);
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(link, ec);
  if (fs::is_symlink(status)) {
    const fs::path target = fs::read_symlink(link, ec);
    if (!ec) return pathText(target) + " (linked from " + pathText(link) + ")";
  }
  if (fs::exists(status)) return linkedPath(link);
  return adapterPath(port, "/dev");
}

}  // namespace sorvant
