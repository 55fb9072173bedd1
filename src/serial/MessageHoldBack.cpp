#include "serial/MessageHoldBack.h"

#include <cmath>

namespace sorvant {

namespace {

constexpr int kMissingCharacters = 3;  // a "%" needs three digits after it
constexpr int kBitsPerCharacter = 10;  // start bit, 8 data bits, stop bit
constexpr int kSlowestSpeed = 1200;
// Clock readings are fractions of a second in floating point: a reading that falls this close short
// of the hold time has reached it.
constexpr double kClockSlackSeconds = 1e-6;

// Where a message still missing characters begins: the first "%" among the last three characters.
std::size_t cutMessageStart(const std::string& text) {
  const std::size_t from = text.size() > 3 ? text.size() - 3 : 0;
  const std::size_t pos = text.find('%', from);
  return pos == std::string::npos ? text.size() : pos;
}

}  // namespace

std::string MessageHoldBack::feed(std::string_view bytes) {
  std::string text = std::move(held_);
  held_.clear();
  text.append(bytes);
  // A read can end anywhere, also inside a DF message; the receive handler only looks at the
  // characters of one event, so a cut message would be misread. Its start waits for the rest.
  const std::size_t cut = cutMessageStart(text);
  held_ = text.substr(cut);
  text.resize(cut);
  return text;
}

std::string MessageHoldBack::feed(std::string_view bytes, double nowSeconds) {
  std::string text = feed(bytes);
  // Every arrival restarts the wait: it measures how long the line has been quiet.
  if (holding() && !bytes.empty()) lastArrival_ = nowSeconds;
  return text;
}

std::string MessageHoldBack::releaseIfQuiet(double nowSeconds) {
  if (!holding() || msUntilDue(nowSeconds) > 0) return {};
  return release();
}

int MessageHoldBack::msUntilDue(double nowSeconds) const {
  if (!holding()) return 0;
  const double left = lastArrival_ + holdTimeMs_ / 1000.0 - nowSeconds;
  if (left <= kClockSlackSeconds) return 0;
  return static_cast<int>(std::ceil((left - kClockSlackSeconds) * 1000.0));
}

std::string MessageHoldBack::release() {
  std::string out;
  out.swap(held_);
  return out;
}

int MessageHoldBack::holdMs(int bitsPerSecond) {
  const long long speed = bitsPerSecond > 0 ? bitsPerSecond : kSlowestSpeed;
  const long long bitMs = static_cast<long long>(kMissingCharacters) * kBitsPerCharacter * 1000;
  return static_cast<int>((bitMs + speed - 1) / speed) + kAdapterDelayMs + kDeliveryMarginMs;
}

}  // namespace sorvant
