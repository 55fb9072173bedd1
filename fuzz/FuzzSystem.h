#pragma once
// A running system on fakes for the fuzz targets (no test framework): a surface that only checks
// (and, when asked, traces) what is drawn, the settings file in memory, every cycle watched, and the
// checks that stop a run when the display state no longer holds together.
//
// A target builds its system once per process and resets it for every input: the whole state is put
// back from a snapshot taken when the system was ready, which costs a few copies instead of a start-up
// (the test table, the settings file, the first layout and drawing). Every so often an input is run a
// second time on a system built from nothing and the two runs must agree in everything they drew,
// showed, stored and wrote: a reset that leaves something of an earlier input behind is a finding.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CaptionCheck.h"
#include "cycle/Cycle.h"
#include "display/Layout.h"
#include "serial/Nmea.h"
#include "serial/Reception.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsStore.h"
#include "settings/StartUp.h"
#include "support/Fakes.h"

namespace sorvant::fuzz {

// Stops the run, saying which check failed; libFuzzer keeps the input.
[[noreturn]] inline void fail(const char* what) {
  std::fprintf(stderr, "check failed: %s\n", what);
  std::abort();
}

// The settings file in memory: start-up and shutdown read and write it as they would the file, with
// no file system work. A file that is replaced is always written whole, as the real store does.
class MemoryStore final : public SettingsStore {
 public:
  std::optional<std::string> file;  // none: no settings file yet
  int keptAside = 0;                // damaged files kept aside
  FileRead read(const std::filesystem::path&) override {
    if (!file) return {FileRead::Status::Missing, {}, {}};
    return {FileRead::Status::Read, *file, {}};
  }
  std::string protection(const std::filesystem::path&) override { return {}; }
  std::error_code keepAside(const std::filesystem::path&) override {
    ++keptAside;
    return {};
  }
  ReplaceResult replace(const std::filesystem::path&, std::string_view text) override {
    if (file)
      file->assign(text);  // in the room the last file left
    else
      file.emplace(text);
    return {ReplaceStatus::Written, {}};
  }
};

// The one store of the process, given to every fuzz system.
inline MemoryStore& memoryStore() {
  static MemoryStore* store = [] {
    // The machine's own settings folder, where links to serial devices may stand, is never looked
    // at either: the port of every input is looked up in a folder that does not exist, so a finding
    // replays alike on every machine.
    setenv("XDG_CONFIG_HOME", "/nonexistent", 1);
    return new MemoryStore();  // lives for the whole run, as the program's file does
  }();
  return *store;
}

// A 64-bit FNV-1a digest, folded a value at a time.
struct Digest {
  uint64_t value = 14695981039346656037ull;
  void add(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) value = (value ^ bytes[i]) * 1099511628211ull;
  }
  template <typename T>
  void add(const T& v) {
    add(&v, sizeof v);
  }
  void add(const std::string& s) {
    add(s.size());
    add(s.data(), s.size());
  }
};

struct CycleWatch;

// A drawing surface that draws nothing. It counts the operations a real surface could not draw (a
// coordinate that is not a finite number, a negative radius) and, while `tracing`, folds every
// operation with the pen it was drawn with into a digest.
class TracingSurface final : public Surface {
 public:
  void Cls() override {
    if (tracing) trace('C', backColor, 0, 0, 0);
  }
  void Line(float x, float y, float dx, float dy) override {
    check(x, y, dx, dy);
    if (tracing) trace('L', x, y, dx, dy);
  }
  void Circle(float x, float y, float r) override {
    check(x, y, r, 0);
    if (r < 0) ++undrawable;
    if (tracing) trace('O', x, y, r, 0);
  }
  void Print(const std::string& text) override {
    check(currentX, currentY, 0, 0);
    if (!tracing) return;
    trace('P', currentX, currentY, fontSize, 0);
    drawn.add(text);
    drawn.add(fontName);
  }
  void Refresh() override {}
  void setDrawingArea(float x, float y, float width, float height) override {
    if (tracing) trace('A', x, y, width, height);
  }
  void clipTo(float x, float y, float width, float height) override {
    if (tracing) trace('K', x, y, width, height);
  }
  void unclip() override {
    if (tracing) trace('U', 0, 0, 0, 0);
  }

  std::size_t undrawable = 0;  // operations with a non-finite coordinate or a negative radius
  bool tracing = false;
  Digest drawn;
  CycleWatch* watch = nullptr;  // the watch of the system drawing here

 private:
  void check(float a, float b, float c, float d) {
    if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(c) || !std::isfinite(d)) ++undrawable;
  }
  template <typename T>
  void trace(char op, T a, float b, float c, float d) {
    drawn.add(op);
    drawn.add(a);
    drawn.add(b);
    drawn.add(c);
    drawn.add(d);
    drawn.add(foreColor);
    drawn.add(fillColor);
    drawn.add(fillStyle);
    drawn.add(drawWidth);
    drawn.add(drawStyle);
    drawn.add(fontBold);
  }
};

// Whether a bin of either array is negative (or not a number), and the largest sum. The loop reads
// the two arrays of a live state within their bounds, through plain pointers, as sameBytes reads
// strings: the sanitizers' checks there (addresses, pointer arithmetic) guarded nothing and cost
// more than the loop itself, which runs after every op and every cycle.
struct BinScan {
  bool negative;
  float largest;
};
__attribute__((no_sanitize("address", "undefined"))) inline BinScan scanBins(const float* counts, const float* sums) {
  bool negative = false;
  float largest = 0;
  for (int i = 1; i <= 360; ++i) {
    negative |= !(counts[i] >= 0) | !(sums[i] >= 0);
    largest = sums[i] > largest ? sums[i] : largest;
  }
  return {negative, largest};
}

// Stops the run when the display state no longer holds together.
inline void checkInvariants(const System& sys) {
  const DisplayState& st = sys.st;
  static_assert(std::tuple_size_v<decltype(st.BEARING_COUNT)> == 361 &&
                std::tuple_size_v<decltype(st.SECTOR_SUM)> == 361);
  const BinScan scan = scanBins(st.BEARING_COUNT.data(), st.SECTOR_SUM.data());
  if (scan.negative) fail("!(st.BEARING_COUNT[i] >= 0) || !(st.SECTOR_SUM[i] >= 0)");
  const float largest = scan.largest;
  if (st.BEARING_COUNT[0] != 0 || st.SECTOR_SUM[0] != 0) fail("st.BEARING_COUNT[0] != 0 || st.SECTOR_SUM[0] != 0");
  if (st.MAXVECTOR != largest) fail("st.MAXVECTOR != largest");
  if (st.TRUE_DF_BEARING < 0 || st.TRUE_DF_BEARING > 359) fail("st.TRUE_DF_BEARING < 0 || st.TRUE_DF_BEARING > 359");
  if (st.HEADING < 0 || st.HEADING > 360) fail("st.HEADING < 0 || st.HEADING > 360");
  if (st.CURSOR_BEARING < 0 || st.CURSOR_BEARING > 359) fail("st.CURSOR_BEARING < 0 || st.CURSOR_BEARING > 359");
  if (st.SHOW_HIDE < 0 || st.SHOW_HIDE > 2) fail("st.SHOW_HIDE < 0 || st.SHOW_HIDE > 2");
  if (st.GPS_BUFFER.size() > 1000) fail("st.GPS_BUFFER.size() > 1000");
  if (st.INCOUNT < 0) fail("st.INCOUNT < 0");
  if (!(st.ACQTIME >= 0)) fail("!(st.ACQTIME >= 0)");
  if (st.RINGCOUNT < 0 || st.RINGCOUNT > 3276) fail("st.RINGCOUNT < 0 || st.RINGCOUNT > 3276");
}

// Every caption of both windows is one the program writes.
inline void checkCaptions(System& sys) {
  const std::string fault = captionFault(sys);
  if (!fault.empty()) fail(("caption " + fault).c_str());
}

// Runs every cycle of one system through the checks: the state holds together after it, it draws
// nothing a real surface could not, and (while asked) the bearings it counts and the heading it
// takes are the ones the serial line allows.
struct CycleWatch {
  // Oracles for the receive path: at most one bearing per Timer1 period, and with GPS as the
  // heading source the heading changes only to the course of a sentence the reader accepts.
  bool watchSerial = false;
  int bearingsThisPeriod = 0;

  // The processing cycle of every fuzz system: the watch is found through the system's surface.
  static void run(System& s) { static_cast<TracingSurface&>(s.surface).watch->cycle(s); }

  void cycle(System& s) {
    nmea::CourseReading reading;
    if (watchSerial && !s.headingManual()) {
      // Whole sentences that are refused are passed over; the first one accepted after them decides.
      // The buffer is kept from cycle to cycle so that copying the GPS text allocates nothing.
      static std::string pending;
      pending.assign(s.st.GPS_BUFFER);
      reading = nmea::readCourse(pending);
      while (reading.outcome == nmea::CourseReading::Outcome::Refused && reading.length > 0) {
        pending.erase(reading.start, reading.length);
        reading = nmea::readCourse(pending);
      }
    }
    const Integer headingBefore = s.st.HEADING;
    const Integer countBefore = s.st.INCOUNT;
    const bool gps = !s.headingManual();
    EXECUTIVE(s);
    checkInvariants(s);
    if (static_cast<TracingSurface&>(s.surface).undrawable != 0) fail("surface.undrawable != 0");
    if (!watchSerial) return;
    if (s.st.INCOUNT != countBefore && ++bearingsThisPeriod > 1)
      fail("s.st.INCOUNT != countBefore && ++bearingsThisPeriod > 1");
    if (gps) {
      const bool takesCourse =
          reading.outcome == nmea::CourseReading::Outcome::Accepted && reading.hasCourse && reading.speed > 3;
      if (s.st.HEADING != (takesCourse ? reading.course : headingBefore))
        fail("s.st.HEADING != (takesCourse ? reading.course : headingBefore)");
    }
  }
  // The Timer1 tick opens a new period.
  void tick(System& s) {
    bearingsThisPeriod = 0;
    Timer1_Timer(s);
  }
};

// Uniform numbers in [0, 1) from a small fixed-seed generator. Start-up draws 5,000 of them for the
// test table, which with the program's generator under the sanitizers cost more than the rest of a
// start; the targets need a table, not that particular one.
class QuickRandom final : public Random {
 public:
  double next() override {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<double>(state_ >> 11) / 9007199254740992.0;
  }

 private:
  uint64_t state_ = 0x2545F4914F6CDD1Dull;
};

// Whether two runs of bytes are equal. A reset compares a few hundred strings, nearly all of them
// unchanged by the input; this plain loop is spared the sanitizers' interception of memcmp and
// memcpy, which cost more than the comparison itself. Both runs are live strings' own bytes.
__attribute__((no_sanitize("address", "undefined"))) inline bool sameBytes(const char* a, const char* b,
                                                                           std::size_t n) {
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t x, y;
    std::memcpy(&x, a + i, 8);
    std::memcpy(&y, b + i, 8);
    if (x != y) return false;
  }
  for (; i < n; ++i)
    if (a[i] != b[i]) return false;
  return true;
}

inline bool sameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && sameBytes(a.data(), b.data(), a.size());
}

// Copies a string unless it already holds the same text.
inline void copyText(std::string& to, const std::string& from) {
  if (!sameText(to, from)) to = from;
}

// Copies every field of a control that the program may change; name, kind and parent are fixed
// when the window is made.
inline void copyControl(Control& to, const Control& from) {
  copyText(to.caption, from.caption);
  copyText(to.tag, from.tag);
  to.visible = from.visible;
  to.enabled = from.enabled;
  to.left = from.left;
  to.top = from.top;
  to.width = from.width;
  to.height = from.height;
  to.backColor = from.backColor;
  to.foreColor = from.foreColor;
  copyText(to.font.name, from.font.name);
  to.font.size = from.font.size;
  to.font.bold = from.font.bold;
  to.font.italic = from.font.italic;
  to.centred = from.centred;
  to.wordWrap = from.wordWrap;
  copyText(to.toolTip, from.toolTip);
}

#if defined(__GLIBCXX__) && __SIZEOF_POINTER__ == 8
// A field added to a control or a window model must be copied above and below too: these sizes
// (libstdc++, 64 bits) make sure it is not forgotten. The run-time comparison of both runs of an
// input catches what slips past them.
static_assert(sizeof(Control) == 224, "Control has a new field: copy it in copyControl()");
static_assert(sizeof(FontSpec) == 40, "FontSpec has a new field: copy it in copyControl()");
inline constexpr std::size_t kMainOwnBytes = 56;     // caption, backColor, Timer1, Timer_MOUSE_DOWN
inline constexpr std::size_t kOptionsOwnBytes = 72;  // caption, visible, BAUD_RATE, HEADING_CORRECTION, X_STRING
#endif

// The controls of both windows of one system, listed once: a window's controls never change, and
// listing them again for every reset and check allocated more than the rest of a reset.
struct ControlLists {
  ControlLists(MainControls& m, OptionsControls& o) : main(m.all()), opt(o.all()) {}
  std::vector<Control*> main;
  std::vector<Control*> opt;
};

// Every caption of both windows is one the program writes. The last few captions found producible
// are remembered for each control, the latest first: from one check to the next nearly every caption
// is unchanged or back to one it showed a little before (a restart, a toggle), and one already
// matched needs no matching again (whether a control may show a text depends on nothing else).
inline void checkCaptions(const ControlLists& controls) {
  constexpr std::size_t kRemembered = 4;  // captions remembered per control
  struct Window {
    std::vector<CaptionRule> rules;
    std::vector<std::array<std::string, kRemembered>> known;  // per control, latest first
    explicit Window(std::vector<CaptionRule> r) : rules(std::move(r)) {
      // The design caption is producible: it fills every place until others are found.
      for (const CaptionRule& rule : rules) known.push_back({rule.design, rule.design, rule.design, rule.design});
    }
    void check(const std::vector<Control*>& all) {
      if (all.size() != rules.size()) fail("a window with controls its design lacks");
      for (std::size_t i = 0; i < all.size(); ++i) {
        const std::string& caption = all[i]->caption;
        auto& seen = known[i];
        if (sameText(caption, seen[0])) continue;
        std::size_t k = 1;
        while (k < kRemembered && !sameText(caption, seen[k])) ++k;
        if (k == kRemembered) {
          if (!captionProducible(rules[i].patterns, rules[i].design, caption))
            fail(("caption " + all[i]->name + ": " + caption).c_str());
          k = kRemembered - 1;
          seen[k] = caption;
        }
        std::rotate(seen.begin(), seen.begin() + static_cast<std::ptrdiff_t>(k),
                    seen.begin() + static_cast<std::ptrdiff_t>(k) + 1);
      }
    }
  };
  static Window main(captionRules<MainControls>());
  static Window opt(captionRules<OptionsControls>());
  main.check(controls.main);
  opt.check(controls.opt);
}

inline void copyControls(const std::vector<Control*>& to, const std::vector<Control*>& from) {
  if (to.size() != from.size()) fail("two windows of one kind with different controls");
  for (std::size_t i = 0; i < to.size(); ++i) copyControl(*to[i], *from[i]);
}

inline void copyWindow(MainControls& to, const std::vector<Control*>& toControls, const MainControls& from,
                       const std::vector<Control*>& fromControls) {
#if defined(__GLIBCXX__) && __SIZEOF_POINTER__ == 8
  if (sizeof(MainControls) != kMainOwnBytes + fromControls.size() * sizeof(Control))
    fail("MainControls has a new field: copy it in copyWindow()");
#endif
  copyText(to.caption, from.caption);
  to.backColor = from.backColor;
  to.Timer1 = from.Timer1;
  to.Timer_MOUSE_DOWN = from.Timer_MOUSE_DOWN;
  copyControls(toControls, fromControls);
}

inline void copyWindow(OptionsControls& to, const std::vector<Control*>& toControls, const OptionsControls& from,
                       const std::vector<Control*>& fromControls) {
#if defined(__GLIBCXX__) && __SIZEOF_POINTER__ == 8
  if (sizeof(OptionsControls) != kOptionsOwnBytes + fromControls.size() * sizeof(Control))
    fail("OptionsControls has a new field: copy it in copyWindow()");
#endif
  copyText(to.caption, from.caption);
  to.visible = from.visible;
  to.BAUD_RATE = from.BAUD_RATE;
  to.HEADING_CORRECTION = from.HEADING_CORRECTION;
  copyText(to.X_STRING, from.X_STRING);
  copyControls(toControls, fromControls);
}

// Everything one run of the program can change: the fakes around the system, the system itself and
// the settings file.
template <typename RandomSource>
struct Snapshot {
  test::FakeClock clock;
  test::FakePort port;
  TracingSurface surface;
  test::FakeWindowHost host;
  test::FakePicker picker;
  RandomSource random;
  CycleWatch watch;
  DisplayState st;
  RunState run;
  ColorTable colors;
  MainControls main;
  OptionsControls opt;
  ControlLists controls{main, opt};
  std::optional<std::string> file;
  int keptAside = 0;
};

// A system on fakes with every cycle watched, started as the program starts (on the settings file
// in memory, none unless a target puts one there). RandomSource draws the test table: the quick one
// for the fuzz targets, the program's own where the table matters.
template <typename RandomSource>
struct BasicFuzzSystem {
  BasicFuzzSystem() : sys(Platform{&CycleWatch::run, clock, port, surface, host, picker, random}) {
    // A new process on a machine without a settings file.
    memoryStore().file.reset();
    memoryStore().keptAside = 0;
    surface.watch = &watch;
    port.setReceiveHandler([this] { MSComm1_OnComm(sys); });
    sys.settingsStore = &memoryStore();
    // Never read nor written: the store stands for whatever file this names.
    sys.settingsFile = "/nonexistent/sorvant/Sorvant.ini";
    initialiseSystem(sys);
    take(initial_);
    load();
  }
  BasicFuzzSystem(const BasicFuzzSystem&) = delete;
  BasicFuzzSystem& operator=(const BasicFuzzSystem&) = delete;

  // Load and the first resize: the program reading its settings file and laying out its window.
  void load() {
    loadSystem(sys);
    Form_Resize(sys);
  }
  // What closing the window does: the port closes and the settings file is written.
  void unload() { unloadSystem(sys); }
  // A new process on the settings file as it is now: the system as it was made, then loaded.
  void restart() {
    std::optional<std::string> file = std::move(memoryStore().file);
    const int keptAside = memoryStore().keptAside;
    restore(*initial_);
    memoryStore().file = std::move(file);
    memoryStore().keptAside = keptAside;
    load();
  }
  // The system as it was made, before load.
  void made() { restore(*initial_); }
  // Keeps the state now as the one every input starts from.
  void keep() { take(ready_); }
  // Puts back the state kept, settings file included.
  void reset() { restore(*ready_); }

  // Advances the fake clock and delivers one Timer1 tick, as the shell does while the timer is on.
  void tick(double seconds = 0.05) {
    clock.advance(seconds);
    if (sys.main.Timer1.enabled) watch.tick(sys);
  }

  // Everything the run showed, drew (while the surface traced), stored and wrote, in parts.
  struct Part {
    const char* what;
    uint64_t digest;
  };
  std::vector<Part> digest() {
    std::vector<Part> parts;
    Digest d;
    d.add(surface.drawn.value);
    d.add(surface.undrawable);
    parts.push_back({"the drawing", d.value});
    const auto controls = [](std::vector<Control*> all) {
      Digest d;
      for (const Control* c : all) {
        d.add(c->caption);
        d.add(c->tag);
        d.add(c->toolTip);
        d.add(c->font.name);
        const int numbers[] = {c->visible,   c->enabled,   c->left,    c->top,      c->width,     c->height,
                               c->backColor, c->foreColor, c->centred, c->wordWrap, c->font.bold, c->font.italic};
        d.add(numbers);
        d.add(c->font.size);
      }
      return d.value;
    };
    d = {};
    d.add(controls(sys.main.all()));
    d.add(sys.main.caption);
    d.add(sys.main.backColor);
    // Field by field: a struct's padding holds whatever was there before.
    for (const TimerModel& timer : {sys.main.Timer1, sys.main.Timer_MOUSE_DOWN}) {
      d.add(timer.enabled);
      d.add(timer.interval);
    }
    parts.push_back({"the main window", d.value});
    d = {};
    d.add(controls(sys.opt.all()));
    d.add(sys.opt.visible);
    d.add(sys.opt.BAUD_RATE);
    d.add(sys.opt.HEADING_CORRECTION);
    d.add(sys.opt.X_STRING);
    d.add(sys.colors.COLOR_TABLE);
    d.add(sys.colors.COLOR_SET);
    parts.push_back({"the options dialog and colour table", d.value});
    const DisplayState& st = sys.st;
    d = {};
    d.add(st.BEARING_COUNT);
    d.add(st.SECTOR_SUM);
    d.add(st.MEMORY_STORE);
    d.add(st.SIMULATE_BEARING);
    parts.push_back({"the bearing arrays", d.value});
    d = {};
    d.add(st.GPS_BUFFER);
    d.add(st.INBUFF);
    d.add(st.DF_MESSAGE);
    d.add(sys.run.dfWaiting.size());
    const double numbers[] = {st.ACQTIME,
                              st.MAXVECTOR,
                              st.FOCUS,
                              st.DECAY_FRACTION,
                              st.AZRADIUS,
                              st.CENTERX,
                              st.CENTERY,
                              static_cast<double>(st.DF_TIME),
                              static_cast<double>(st.DECAY_TIME),
                              static_cast<double>(st.GPS_TIME),
                              static_cast<double>(st.LAST_COM_TIME),
                              static_cast<double>(st.ROLLOVER),
                              sys.run.acquisitionSeconds,
                              sys.run.dfClock};
    d.add(numbers);
    const int counts[] = {
        st.INCOUNT,           st.HEADING,     st.HEADING_CORRECTION, st.CURSOR_BEARING, st.SECTOR_WIDTH,
        st.SHOW_HIDE,         st.WIN_SIZE,    st.RINGCOUNT,          st.SIMULATE_COUNT, st.MEMORY_SELECT,
        st.TRUE_DF_BEARING,   st.COPYRIGHT,   st.NEW_DF_MESSAGE,     st.DF_TIMER,       st.SIMULATE_TIMER,
        st.COM_TIMEOUT_TIMER, st.DECAY_TIMER, st.GPS_TIMER,          st.BIGSTEP,        st.CTRL_KEY};
    d.add(counts);
    parts.push_back({"the display state", d.value});
    d = {};
    d.add(port.commPort());
    d.add(port.settings());
    d.add(port.portOpen());
    d.add(port.lastError());
    d.add(port.openCalls);
    d.add(port.closeCalls);
    d.add(port.deviceOpen);
    d.add(port.deviceSpeed);
    parts.push_back({"the serial port", d.value});
    d = {};
    d.add(host.calls.size());
    for (const std::string& call : host.calls) d.add(call);
    d.add(picker.shown);
    d.add(clock.now);
    d.add(clock.steady);
    parts.push_back({"the window host, colour picker and clock", d.value});
    d = {};
    d.add(memoryStore().file.has_value());
    if (memoryStore().file) d.add(*memoryStore().file);
    d.add(memoryStore().keptAside);
    parts.push_back({"the settings file", d.value});
    return parts;
  }

  test::FakeClock clock;
  test::FakePort port;
  TracingSurface surface;
  test::FakeWindowHost host;
  test::FakePicker picker;
  RandomSource random;
  CycleWatch watch;
  System sys;
  ControlLists controls{sys.main, sys.opt};

 private:
  using State = Snapshot<RandomSource>;

  void take(std::unique_ptr<State>& into) {
    if (!into) into = std::make_unique<State>();
    State& s = *into;
    s.clock = clock;
    s.port = port;
    s.surface = surface;
    s.host = host;
    s.picker = picker;
    s.random = random;
    s.watch = watch;
    s.st = sys.st;
    s.run = sys.run;
    s.colors = sys.colors;
    copyWindow(s.main, s.controls.main, sys.main, controls.main);
    copyWindow(s.opt, s.controls.opt, sys.opt, controls.opt);
    s.file = memoryStore().file;
    s.keptAside = memoryStore().keptAside;
  }

  void restore(const State& s) {
    clock = s.clock;
    port = s.port;  // its receive handler points at this system, as it did when kept
    const bool tracing = surface.tracing;
    surface = s.surface;
    surface.tracing = tracing;
    host = s.host;
    picker = s.picker;
    random = s.random;
    watch = s.watch;
    sys.st = s.st;
    sys.run = s.run;
    sys.colors = s.colors;
    copyWindow(sys.main, controls.main, s.main, s.controls.main);
    copyWindow(sys.opt, controls.opt, s.opt, s.controls.opt);
    memoryStore().file = s.file;
    memoryStore().keptAside = s.keptAside;
  }

  std::unique_ptr<State> initial_;  // as made, before load
  std::unique_ptr<State> ready_;    // where every input starts
};

using FuzzSystem = BasicFuzzSystem<QuickRandom>;

// How often an input is run again on a system built from nothing: every this many inputs
// (SORVANT_FUZZ_FRESH_EVERY, default 500; 1 checks every input).
inline long freshEvery() {
  static const long every = [] {
    const char* text = std::getenv("SORVANT_FUZZ_FRESH_EVERY");
    const long n = text != nullptr ? std::atol(text) : 0;
    return n > 0 ? n : 500;
  }();
  return every;
}

// Runs one input on the system of this process, reset to where `prepare` left it when it was built.
// Every freshEvery() inputs the same input also runs on a system built and prepared from nothing;
// anything that differs between the two runs is something the reset left of the input before.
template <typename Prepare, typename Run>
void runInput(const uint8_t* data, std::size_t size, Prepare prepare, Run run) {
  static FuzzSystem* reused = [&] {
    auto* f = new FuzzSystem();  // lives for the whole run, as the program's system does
    prepare(*f);
    f->keep();
    return f;
  }();
  static long inputs = 0;
  static std::vector<uint8_t> before;
  const bool compare = ++inputs % freshEvery() == 0;
  reused->surface.tracing = compare;
  reused->reset();
  run(*reused, data, size);
  if (compare) {
    const auto again = reused->digest();
    const auto fresh = std::make_unique<FuzzSystem>();
    fresh->surface.tracing = true;
    prepare(*fresh);
    fresh->keep();
    run(*fresh, data, size);
    const auto anew = fresh->digest();
    bool differs = false;
    for (std::size_t i = 0; i < anew.size(); ++i) {
      if (anew[i].digest == again[i].digest) continue;
      std::fprintf(stderr, "after a reset, %s differs from a new system's\n", anew[i].what);
      differs = true;
    }
    if (differs) {
      std::fprintf(stderr, "the input before this one, %zu bytes:", before.size());
      for (const uint8_t b : before) std::fprintf(stderr, " %02x", b);
      std::fprintf(stderr, "\n");
      fail("the reset left something of the input before behind: it ran differently on a new system");
    }
  }
  before.assign(data, data + size);
}

}  // namespace sorvant::fuzz
