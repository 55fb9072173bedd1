// Path names on Windows: UTF-16, shown as UTF-8.
#include <exception>

#include "core/PathText.h"

namespace sorvant {

bool isUtf8Path(const std::filesystem::path&) { return true; }

std::string pathText(const std::filesystem::path& path) {
  try {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
  } catch (const std::exception&) {
    return "(a name that is not Unicode)";
  }
}

}  // namespace sorvant
