// The NMEA course reader on arbitrary text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "serial/Nmea.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sorvant::nmea;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const CourseReading r = readCourse(text);
  if (r.outcome == CourseReading::Outcome::Accepted) {
    if (r.speed < 0 || r.speed > 300) std::abort();
    if (r.hasCourse && (r.course < 0 || r.course > 359)) std::abort();
  }
  Kind kind = Kind::Vtg;
  const std::size_t at = findCourseSentence(text, kind);
  if (at != std::string_view::npos && at >= size) std::abort();
  return 0;
}
