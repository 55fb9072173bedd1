#pragma once
// Keeps a DF message that a read has cut in two until the rest of it arrives. Pure text, no toolkit:
// every serial adapter (Qt, Win32) feeds it the characters of each read and starts its own quiet-line
// timer of holdMs() while holding() is true.
#include <cstddef>
#include <string>
#include <string_view>

namespace sorvant {

class MessageHoldBack {
 public:
  // A USB serial adapter hands over what it has received at the latest this long after it came in.
  static constexpr int kAdapterDelayMs = 16;

  // The characters of one read, after anything held from earlier reads. Returns what can be delivered
  // now, in order; a trailing "%" followed by fewer than three characters is kept back.
  std::string feed(std::string_view bytes);
  // The held characters, handed over because the line has been quiet for holdMs(); holds nothing after.
  std::string release();
  // Forgets the held characters (the port is closed).
  void clear() { held_.clear(); }
  bool holding() const { return !held_.empty(); }
  std::size_t held() const { return held_.size(); }

  // How long a held "%" waits for the rest of its message on a line of this many bits per second
  // (8N1, ten bits a character): the time of the three characters that can be missing plus the
  // adapter's delay, rounded up to whole milliseconds. A speed of 0 or less counts as 1200 bit/s.
  static int holdMs(int bitsPerSecond);

 private:
  std::string held_;  // a "%" and the fewer than three characters that followed it so far
};

}  // namespace sorvant
