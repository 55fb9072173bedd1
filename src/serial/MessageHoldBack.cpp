#include "serial/MessageHoldBack.h"

namespace sorvant {

namespace {

constexpr int kMissingCharacters = 3;  // a "%" needs three digits after it
constexpr int kBitsPerCharacter = 10;  // start bit, 8 data bits, stop bit
constexpr int kSlowestSpeed = 1200;

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

std::string MessageHoldBack::release() {
  std::string out;
  out.swap(held_);
  return out;
}

int MessageHoldBack::holdMs(int bitsPerSecond) {
  const long long speed = bitsPerSecond > 0 ? bitsPerSecond : kSlowestSpeed;
  const long long bitMs = static_cast<long long>(kMissingCharacters) * kBitsPerCharacter * 1000;
  return static_cast<int>((bitMs + speed - 1) / speed) + kAdapterDelayMs;
}

}  // namespace sorvant
