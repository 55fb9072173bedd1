#include "serial/Nmea.h"

#include <cmath>
#include <vector>

#include "core/DisplayState.h"
#include "core/NumberText.h"

namespace sorvant::nmea {
namespace {

constexpr std::size_t npos = std::string_view::npos;
// The part of the text read for one sentence: the longest sentence the standard allows, without its
// line end.
constexpr std::size_t kWindow = 80;
// Receivers that report high-precision positions send longer sentences (an RMC of 88 characters and
// more); one is read whole, up to this length, when its checksum vouches for all of it.
constexpr std::size_t kLongestSentence = 120;
// "*hh" at the end of a sentence.
constexpr std::size_t kChecksumLength = 3;
constexpr double kMaxCourse = 359.99;
constexpr double kMaxSpeed = 300;

bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }

// "$", a two-letter talker, then the type. Talkers starting with "P" are proprietary sentences
// ("$PGRMC" is a receiver configuration sentence, not a course).
std::size_t findTag(std::string_view text, std::string_view type) {
  for (std::size_t p = text.find('$'); p != npos && text.size() - p >= 6; p = text.find('$', p + 1)) {
    if (isUpper(text[p + 1]) && text[p + 1] != 'P' && isUpper(text[p + 2]) && text.substr(p + 3, 3) == type) return p;
  }
  return npos;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::vector<std::string_view> splitFields(std::string_view body) {
  std::vector<std::string_view> fields;
  fields.reserve(16);  // RMC, the longest sentence read, has 13 fields
  std::size_t start = 0;
  for (std::size_t comma = body.find(','); comma != npos; comma = body.find(',', start)) {
    fields.push_back(body.substr(start, comma - start));
    start = comma + 1;
  }
  fields.push_back(body.substr(start));
  return fields;
}

CourseReading refused() { return {CourseReading::Outcome::Refused}; }

// Reads one whole sentence ("$" up to its line end) of the given kind.
CourseReading readSentence(std::string_view sentence, Kind kind) {
  if (!checksumAcceptable(sentence)) return refused();
  const std::vector<std::string_view> fields = splitFields(sentence.substr(0, sentence.find('*')));

  // The receiver's own verdict: RMC status "V" (void), or mode "N" (no fix) where the sentence has one.
  const auto fieldIs = [&](std::size_t k, std::string_view value) { return k < fields.size() && fields[k] == value; };
  if (kind == Kind::Rmc && (fieldIs(2, "V") || fieldIs(12, "N"))) return refused();
  if (kind == Kind::Vtg && fieldIs(9, "N")) return refused();

  // A field counts only when the comma that closes it lies inside the sentence.
  const auto closed = [&](std::size_t k) { return k + 1 < fields.size(); };
  const std::size_t speedField = kind == Kind::Vtg ? 5 : 7;
  const std::size_t courseField = kind == Kind::Vtg ? 1 : 8;

  if (!closed(speedField) || fields[speedField].empty()) return refused();
  const Single speed = static_cast<Single>(readNumber(fields[speedField]));
  if (!(speed >= 0 && speed <= kMaxSpeed)) return refused();
  const int knots = static_cast<int>(std::trunc(speed));

  if (!closed(courseField)) return refused();
  // Receivers leave the course empty when they barely move; that still says the GPS is alive and slow.
  if (fields[courseField].empty()) {
    if (knots > 3) return refused();
    return {CourseReading::Outcome::Accepted, knots, 0, false};
  }
  const Single course = static_cast<Single>(readNumber(fields[courseField]));
  if (!(course >= 0 && course <= kMaxCourse)) return refused();
  return {CourseReading::Outcome::Accepted, knots, static_cast<int>(std::trunc(course)), true};
}

}  // namespace

std::size_t findCourseSentence(std::string_view text, Kind& kind) {
  kind = Kind::Vtg;
  const std::size_t vtg = findTag(text, "VTG");
  if (vtg != npos) return vtg;
  kind = Kind::Rmc;
  return findTag(text, "RMC");
}

bool checksumAcceptable(std::string_view sentence) {
  const std::size_t star = sentence.find('*');
  if (star == npos) return true;
  // A "*" announces a checksum: one that is cut short or not hexadecimal cannot vouch for the text.
  if (sentence.size() < star + 3) return false;
  const int high = hexDigit(sentence[star + 1]);
  const int low = hexDigit(sentence[star + 2]);
  if (high < 0 || low < 0) return false;
  unsigned sum = 0;
  for (std::size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(sentence[i]);
  return sum == static_cast<unsigned>(high * 16 + low);
}

CourseReading readCourse(std::string_view text) {
  Kind kind = Kind::Vtg;
  const std::size_t p = findCourseSentence(text, kind);
  if (p == npos) return {};
  // A sentence has arrived whole once its line end, or the "$" of the next sentence, follows it. Text
  // that runs on past the longest sentence read without either is not going to end.
  const std::size_t end = text.find_first_of("\r\n$", p + 1);
  if (end == npos && text.size() - p < kLongestSentence + 2) return {CourseReading::Outcome::Waiting};

  // The sentence up to its end (the rest of the text when no end has come; substr clamps the length).
  const std::string_view whole = text.substr(p, end - p);
  const std::size_t star = whole.find('*');
  CourseReading reading;
  // The checksum is the "*" and the two digits after it: a sentence whose "*hh" ends within the
  // standard's length is read from that part alone.
  if (star == npos || star + kChecksumLength <= kWindow) {
    // Read at most the standard's longest sentence, so a damaged one never borrows fields from its
    // neighbour.
    const std::string_view sentence = whole.substr(0, kWindow);
    reading = readSentence(sentence, kind);
    reading.length = sentence.size();
  } else {
    // The checksum ends past the standard's length (also by one or two characters): it is read, over
    // the whole sentence, when the sentence is complete and of a sane length. Two sentences run
    // together by a lost line end fail it, as does one cut short; the part before character 80 never
    // passes alone.
    const bool readable = end != npos && whole.size() <= kLongestSentence;
    reading = readable ? readSentence(whole, kind) : refused();
    reading.length = whole.size();
  }
  reading.start = p;
  return reading;
}

}  // namespace sorvant::nmea
