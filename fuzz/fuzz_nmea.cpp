// The NMEA course reader on arbitrary text: readings in range, and never a course from a sentence
// whose checksum disagrees with its text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzSystem.h"
#include "serial/Nmea.h"

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The checksum rule, written out independently of the reader: a sentence with a "*" (within its first
// 80 characters, the longest legal sentence, or beyond them in a longer one) is good only when two
// hex digits follow it and equal the XOR of every character between "$" and "*".
bool checksumHolds(std::string_view text, std::size_t at) {
  std::size_t end = at + 1;
  while (end < text.size() && text[end] != '\r' && text[end] != '\n' && text[end] != '$') ++end;
  const std::string_view sentence = text.substr(at, end - at);
  const std::size_t star = sentence.find('*');
  if (star == std::string_view::npos) return true;
  if (star + 2 >= sentence.size()) return false;
  const int high = hexValue(sentence[star + 1]);
  const int low = hexValue(sentence[star + 2]);
  if (high < 0 || low < 0) return false;
  unsigned sum = 0;
  for (std::size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(sentence[i]);
  return sum == static_cast<unsigned>(high * 16 + low);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sorvant::nmea;
  using sorvant::fuzz::fail;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const CourseReading r = readCourse(text);
  Kind kind = Kind::Vtg;
  const std::size_t at = findCourseSentence(text, kind);
  if (at != std::string_view::npos && (at >= size || text[at] != '$')) fail("sentence start");
  if (r.outcome == CourseReading::Outcome::Accepted) {
    if (r.speed < 0 || r.speed > 300) fail("speed out of range");
    if (r.hasCourse && (r.course < 0 || r.course > 359)) fail("course out of range");
    if (at == std::string_view::npos) fail("accepted without a sentence");
    if (!checksumHolds(text, at)) fail("accepted against its checksum");
  }
  return 0;
}
