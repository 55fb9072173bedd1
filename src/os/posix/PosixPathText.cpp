// Path names on Linux and other POSIX systems: bytes, which need not be UTF-8.
#include <cstdio>
#include <string_view>

#include "core/PathText.h"

namespace sorvant {

namespace {

// Length of the UTF-8 sequence starting at text[at], or 0 when the bytes there are not one.
std::size_t sequenceLength(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned lowest = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    lowest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    lowest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    lowest = 0x10000;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  unsigned code = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(at + i) & 0x3F);
  }
  // Overlong forms, UTF-16 surrogates and code points past U+10FFFF are not UTF-8.
  if (code < lowest || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return 0;
  return length;
}

bool isUtf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t n = sequenceLength(text, at);
    if (n == 0) return false;
    at += n;
  }
  return true;
}

}  // namespace

bool isUtf8Path(const std::filesystem::path& path) { return isUtf8(path.native()); }

std::string pathText(const std::filesystem::path& path) {
  const std::string_view text = path.native();
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t n = sequenceLength(text, at);
    if (n > 0) {
      shown.append(text.substr(at, n));
      at += n;
      continue;
    }
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(text[at]));
    shown += escaped;
    ++at;
  }
  return shown;
}

}  // namespace sorvant
