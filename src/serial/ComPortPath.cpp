#include "serial/ComPortPath.h"

#include <filesystem>
#include <system_error>

#include "core/ConfigFolder.h"

namespace sorvant {

std::string comPortPath(int port) {
  if (port < 1) return {};
  const std::string name = "COM" + std::to_string(port);
#ifdef _WIN32
  return name;
#else
  const std::filesystem::path link = configFolder() / name;
  std::error_code ec;
  // symlink_status: a link whose target is missing still counts as present.
  if (std::filesystem::exists(std::filesystem::symlink_status(link, ec))) return link.string();
  return "/dev/ttyS" + std::to_string(port - 1);
#endif
}

}  // namespace sorvant
