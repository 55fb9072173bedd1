#pragma once
// Reading the course over ground from NMEA 0183 text. Pure functions over text: no state, no system.
#include <cstddef>
#include <string_view>

namespace sorvant::nmea {

enum class Kind { Vtg, Rmc };

// What the GPS text offers as a course report.
struct CourseReading {
  enum class Outcome {
    None,      // no course sentence in the text
    Waiting,   // the sentence to examine has not fully arrived
    Refused,   // the sentence to examine is damaged, marked invalid or out of range
    Accepted,  // a usable report
  };
  Outcome outcome = Outcome::None;
  int speed = 0;           // whole knots, truncated
  int course = 0;          // whole degrees, truncated; meaningful only with hasCourse
  bool hasCourse = false;  // false: a slow report whose course field is empty
  // The sentence examined (Refused and Accepted): where its "$" is in the text, and its length up to,
  // not including, its line end.
  std::size_t start = 0;
  std::size_t length = 0;
};

// Where the sentence to examine starts: the first VTG sentence of any talker, otherwise the first RMC.
// Returns npos when there is neither.
std::size_t findCourseSentence(std::string_view text, Kind& kind);

// A sentence ("$" up to, not including, its line end) is acceptable when it carries no checksum, or a
// "*hh" checksum (either case) equal to the XOR of the characters between "$" and "*".
bool checksumAcceptable(std::string_view sentence);

// Examines the sentence findCourseSentence chooses. It has arrived once its line end or the next "$"
// follows it; until then the outcome is Waiting.
CourseReading readCourse(std::string_view text);

}  // namespace sorvant::nmea
