// The serial line as a vehicle sees it, replayed through the core on a fake clock, so the figures are
// the same on any machine:
//  - heading latency: the NMEA captures of tests/data/nmea sent at 4800 bit/s in one-second bursts (a
//    burst starts where the fix time changes), read in random pieces, Timer1 ticking every 50 ms; for
//    each heading change, the time from the line end of the sentence it came from to the change;
//  - noise: five minutes of random bytes at 9600 bit/s with one real DF message a second among them;
//    how many bearings are counted against the real messages sent.
// Usage: bench_serial_field [capture folder]; the figures are reported, never judged.
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "ListeningSystem.h"
#include "core/System.h"
#include "cycle/Cycle.h"
#include "display/Layout.h"
#include "histogram/TestSource.h"
#include "serial/Reception.h"
#include "settings/StartUp.h"
#include "support/Fakes.h"
#include "support/RecordingSurface.h"

namespace {

namespace fs = std::filesystem;
using namespace sorvant;

constexpr double kTick = 0.05;

// The listening system, which may follow the GPS course.
struct Bench : bench::ListeningSystem {
  void useGps() {
    sys.opt.CmdButton_HEADING.caption = kHeadingGps;
    sys.st.GPS_TIMER = true;
    sys.st.GPS_TIME = sys.clockSecondsNow();
  }
};

// Characters with the time each has fully arrived on the line.
struct Timed {
  std::string text;
  std::vector<double> at;
};

std::vector<std::string> fieldsOf(const std::string& line) {
  std::vector<std::string> f;
  std::size_t s = 0;
  for (std::size_t c; (c = line.find_first_of(",*\r\n", s)) != std::string::npos; s = c + 1)
    f.push_back(line.substr(s, c - s));
  f.push_back(line.substr(s));
  return f;
}

// The fix time a sentence carries, or "" when it carries none.
std::string fixTime(const std::string& line) {
  if (line.size() < 7 || line[0] != '$') return {};
  const std::string type = line.substr(3, 3);
  const std::vector<std::string> f = fieldsOf(line);
  if ((type == "RMC" || type == "GGA" || type == "ZDA") && f.size() > 1) return f[1];
  if (type == "GLL" && f.size() > 5) return f[5];
  return {};
}

// The capture as a GPS sends it: each burst starts on a whole second (or when the previous one ends),
// characters follow at the line rate.
Timed burstTimed(const std::string& log, double charsPerSecond) {
  Timed out;
  std::string burstTime;
  double t = 0, burstStart = -1;
  for (std::size_t s = 0; s < log.size();) {
    std::size_t e = log.find('\n', s);
    e = e == std::string::npos ? log.size() : e + 1;
    const std::string line = log.substr(s, e - s);
    const std::string time = fixTime(line);
    if (burstStart < 0 || (!time.empty() && !burstTime.empty() && time != burstTime)) {
      burstStart = std::max(burstStart + 1, t);
      t = burstStart;
    }
    if (!time.empty()) burstTime = time;
    for (char c : line) {
      t += 1 / charsPerSecond;
      out.text += c;
      out.at.push_back(t);
    }
    s = e;
  }
  return out;
}

// Where a read may end: never just after a "%" still missing characters, as the serial adapter holds
// such a message back until the rest arrives.
std::size_t cutBefore(const std::string& text, std::size_t from, std::size_t end) {
  for (std::size_t k = end > 3 ? end - 3 : 0; k < end; ++k)
    if (k >= from && text[k] == '%' && k > from) return k;
  return end;
}

// Feeds the timed text in random pieces (no piece spans an idle gap), ticking every 50 ms. onTick runs
// after every tick with the number of characters delivered so far and how many the GPS text held
// before the tick. `delivered`, when given, gets the time each character was handed to the system.
template <typename OnTick>
void play(Bench& b, const Timed& line, unsigned seed, std::size_t minPiece, std::size_t maxPiece, OnTick onTick,
          std::vector<double>* delivered = nullptr) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<std::size_t> pieceSize(minPiece, maxPiece);
  std::size_t fed = 0;
  double nextTick = b.clock.now + kTick;
  const double start = b.clock.now;
  while (fed < line.text.size()) {
    std::size_t end = std::min(fed + pieceSize(rng), line.text.size());
    for (std::size_t k = fed + 1; k < end; ++k)
      if (line.at[k] - line.at[k - 1] > 0.02) end = k;  // the read ends at the gap
    if (end < line.text.size()) end = cutBefore(line.text, fed, end);
    const double arrives = start + line.at[end - 1];
    while (nextTick <= arrives) {
      b.clock.runTo(nextTick);
      const std::size_t buffered = b.sys.st.GPS_BUFFER.size();
      Timer1_Timer(b.sys);
      onTick(fed, buffered);
      nextTick += kTick;
    }
    b.clock.runTo(arrives);
    if (delivered != nullptr) delivered->resize(end, arrives - start);
    b.port.feed(line.text.substr(fed, end - fed));
    fed = end;
  }
  for (int i = 0; i < 4; ++i) {
    b.clock.runTo(nextTick);
    const std::size_t buffered = b.sys.st.GPS_BUFFER.size();
    Timer1_Timer(b.sys);
    onTick(fed, buffered);
    nextTick += kTick;
  }
}

// A course sentence that can set the heading (4 knots or more, a course), found independently of the
// reader: its "$", the offset of its line end and its course.
struct Report {
  std::size_t start, end;
  int course;
  bool vtg;
};

std::vector<Report> movingReports(const std::string& log) {
  std::vector<Report> out;
  for (std::size_t p = log.find('$'); p != std::string::npos && p + 6 <= log.size(); p = log.find('$', p + 1)) {
    const std::string type = log.substr(p + 3, 3);
    if (type != "RMC" && type != "VTG") continue;
    const std::size_t end = log.find_first_of("\r\n", p);
    if (end == std::string::npos) continue;
    const std::vector<std::string> f = fieldsOf(log.substr(p, end - p));
    const std::size_t speed = type == "VTG" ? 5 : 7, course = type == "VTG" ? 1 : 8;
    if (f.size() <= speed + 1 || f.size() <= course + 1 || f[course].empty()) continue;
    if (std::atof(f[speed].c_str()) >= 4)
      out.push_back({p, end, static_cast<int>(std::atof(f[course].c_str())), type == "VTG"});
  }
  return out;
}

double percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<std::size_t>(p / 100.0 * static_cast<double>(v.size())))];
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void headingLatency(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().extension() == ".log") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  std::vector<double> all, allFromLine;
  int changes = 0;
  std::printf(
      "heading latency, line end of the sentence used to the heading change (4800 bit/s, reads of\n"
      "16..64 characters), from the receive event that delivered it / from the wire:\n");
  for (const fs::path& file : files) {
    const std::string log = readFile(file);
    const Timed line = burstTimed(log, 480);
    const std::vector<Report> reports = movingReports(log);
    Bench b;
    b.useGps();
    b.sys.st.HEADING = 123;
    Integer heading = b.sys.st.HEADING;
    std::vector<double> latencies, fromLine;
    std::vector<double> delivered;
    const double start = b.clock.now;
    play(
        b, line, 4800, 16, 64,
        [&](std::size_t fed, std::size_t buffered) {
          if (b.sys.st.HEADING == heading) return;
          heading = b.sys.st.HEADING;
          ++changes;
          // The sentence used: whole, in the text the tick examined, with this course; a VTG before an RMC.
          const Report* used = nullptr;
          for (const Report& r : reports) {
            if (r.start + buffered < fed || r.end >= fed || r.course != heading) continue;
            if (used == nullptr || (r.vtg && !used->vtg)) used = &r;
          }
          if (used == nullptr) return;
          latencies.push_back((b.clock.now - start - delivered[used->end]) * 1000.0);
          fromLine.push_back((b.clock.now - start - line.at[used->end]) * 1000.0);
        },
        &delivered);
    if (!latencies.empty())
      std::printf("  %-40s %4zu changes  p50 %6.1f / %6.1f ms  p99 %6.1f / %6.1f ms\n", file.filename().c_str(),
                  latencies.size(), percentile(latencies, 50), percentile(fromLine, 50), percentile(latencies, 99),
                  percentile(fromLine, 99));
    all.insert(all.end(), latencies.begin(), latencies.end());
    allFromLine.insert(allFromLine.end(), fromLine.begin(), fromLine.end());
  }
  std::printf("  all captures: %d heading changes; from the receive event: p50 %.1f ms, p99 %.1f ms, max %.1f ms\n",
              changes, percentile(all, 50), percentile(all, 99),
              all.empty() ? 0.0 : *std::max_element(all.begin(), all.end()));
  std::printf("  from the line end on the wire (includes waiting for the read): p50 %.1f ms, p99 %.1f ms\n",
              percentile(allFromLine, 50), percentile(allFromLine, 99));
}

void noise() {
  // Five minutes at 9600 bit/s: random bytes, one real message "%ddd\r\n" a second among them.
  std::mt19937 rng(9600);
  std::uniform_int_distribution<int> byte(0, 255), bearing(0, 359);
  Timed line;
  int real = 0, noisePercents = 0, noiseDigits = 0;
  const std::size_t total = 300 * 960;
  while (line.text.size() < total) {
    if (line.text.size() / 960 >= static_cast<std::size_t>(real)) {
      char msg[16];
      std::snprintf(msg, sizeof msg, "%%%03d\r\n", bearing(rng));
      line.text += msg;
      ++real;
      continue;
    }
    const char c = static_cast<char>(byte(rng));
    line.text += c;
    if (c == '%') ++noisePercents;
  }
  for (std::size_t i = 0; i < line.text.size(); ++i) {
    line.at.push_back(static_cast<double>(i + 1) / 960.0);
    if (line.text[i] == '%' && i + 1 < line.text.size() && line.text[i + 1] >= '0' && line.text[i + 1] <= '9' &&
        !(i + 5 < line.text.size() && line.text.compare(i + 4, 2, "\r\n") == 0))
      ++noiseDigits;
  }
  Bench b;
  b.sys.st.HEADING = 0;
  play(b, line, 960, 1, 64, [](std::size_t, std::size_t) {});
  std::printf("noise, 5 minutes at 9600 bit/s: %d real messages, %d stray \"%%\" (%d of them before a digit)\n", real,
              noisePercents, noiseDigits);
  std::printf("  bearings counted %d\n", b.sys.st.INCOUNT);
}

}  // namespace

int main(int argc, char** argv) {
  char folderTemplate[] = "/tmp/sorvant-bench-XXXXXX";
  if (mkdtemp(folderTemplate) == nullptr) return 1;
  setenv("XDG_CONFIG_HOME", folderTemplate, 1);
  const fs::path captures = argc > 1 ? fs::path(argv[1]) : fs::path(__FILE__).parent_path() / "../tests/data/nmea";
  headingLatency(captures);
  noise();
  std::error_code ec;
  fs::remove_all(folderTemplate, ec);
  return 0;
}
