#pragma once
// Keeps a DF message that a read has cut in two until the rest of it arrives, or until the line has
// been quiet for as long as the rest can take at the line's speed. Pure text and times, no toolkit:
// a serial adapter feeds it the characters of each read with the time they came (seconds on a steady
// clock) and asks it again when the hold-back is due, so a test drives it on a fake clock.
#include <cstddef>
#include <string>
#include <string_view>

namespace sorvant {

class MessageHoldBack {
 public:
  // A USB serial adapter hands over what it has received at the latest this long after it came in.
  static constexpr int kAdapterDelayMs = 16;
  // What the read then takes to reach the program: USB frames, the kernel, an event loop still busy
  // with a processing cycle.
  static constexpr int kDeliveryMarginMs = 10;

  // The characters of one read, after anything held from earlier reads. Returns what can be delivered
  // now, in order; a trailing "%" followed by fewer than three characters is kept back.
  std::string feed(std::string_view bytes);
  // The same for a read at `nowSeconds`: the quiet time of the held characters starts again then.
  std::string feed(std::string_view bytes, double nowSeconds);
  // The held characters once the line has been quiet for holdTimeMs() at `nowSeconds`; before that
  // nothing, and they stay held.
  std::string releaseIfQuiet(double nowSeconds);
  // Whole milliseconds from `nowSeconds` until releaseIfQuiet hands the held characters over; 0 when
  // it would now, or when nothing is held.
  int msUntilDue(double nowSeconds) const;
  // The held characters, whatever the time; holds nothing after.
  std::string release();
  // Forgets the held characters (the port is closed).
  void clear() { held_.clear(); }
  bool holding() const { return !held_.empty(); }
  std::size_t held() const { return held_.size(); }

  // The line's speed in bits per second, which sets holdTimeMs() (holdMs of that speed). A device read
  // only every `pollMs` can keep the rest that long before it is seen, so the wait is that much longer.
  void setLineSpeed(int bitsPerSecond, int pollMs = 0) { holdTimeMs_ = holdMs(bitsPerSecond) + pollMs; }
  int holdTimeMs() const { return holdTimeMs_; }

  // How long a held "%" waits for the rest of its message on a line of this many bits per second
  // (8N1, ten bits a character): the time of the three characters that can be missing, rounded up to
  // whole milliseconds, plus the adapter's delay and the delivery margin. A speed of 0 or less counts
  // as 1200 bit/s.
  static int holdMs(int bitsPerSecond);

 private:
  std::string held_;        // a "%" and the fewer than three characters that followed it so far
  double lastArrival_ = 0;  // when characters last arrived while some were held
  int holdTimeMs_ = holdMs(0);
};

}  // namespace sorvant
