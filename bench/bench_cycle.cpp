// Times one processing cycle drawn on the real image surface, at the window size given as the first
// argument (1920x1080 when none; 1920x1080@2 at a device pixel ratio of 2): with the test source
// playing, with bearings from the line, with 3 to 3276 range rings when nothing changes or when
// everything is redrawn, and in a long sweep from one direction at its count of bearings. For the
// first two it also counts, over an untimed stretch of cycles, the pixels the window is asked to
// repaint against the pixels that actually changed.
// Usage: bench_cycle [WIDTHxHEIGHT[@RATIO]] [Google Benchmark flags]
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QRegion>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/SeededRandom.h"
#include "cycle/Cycle.h"
#include "display/Layout.h"
#include "histogram/Accumulation.h"
#include "histogram/TestSource.h"
#include "serial/Reception.h"
#include "settings/StartUp.h"
#include "shell/ImageSurface.h"
#include "support/Fakes.h"
#include "support/TestSystem.h"

namespace {

using namespace sorvant;

int gWidth = 1920;
int gHeight = 1080;
double gRatio = 1.0;  // device pixels per window pixel

struct Bench {
  Bench() : sys(Platform{&EXECUTIVE, clock, port, surface, host, picker, random}) {
    port.setReceiveHandler([this] { MSComm1_OnComm(sys); });
    host.scaleWidth = gWidth * 15.0f;
    host.scaleHeight = gHeight * 15.0f;
    surface.resize(QSize(gWidth, gHeight), gRatio, 96.0);
    initialiseSystem(sys);
    loadSystem(sys);
    Form_Resize(sys);
  }
  void tick() {
    clock.advance(0.05);
    Timer1_Timer(sys);
  }
  // A bearing message on the line, the receiver's usual spread around 120 degrees.
  void message() {
    n = (n * 1103515245 + 12345) & 0x7fffffff;
    const int bearing = 100 + static_cast<int>(n % 41);
    port.feed("%" + std::to_string(bearing));
  }
  test::FakeClock clock;
  test::FakePort port;
  ImageSurface surface;
  test::FakeWindowHost host;
  test::FakePicker picker;
  SeededRandom random;
  System sys;
  unsigned n = 1;
};

// Over a further stretch of cycles, each timed on its own: the median and the 90th percentile. Most
// cycles draw a few vectors; now and then one redraws the whole disc (a new ring, a new heading).
template <typename Step>
void timeEachCycle(benchmark::State& state, Step step) {
  std::vector<double> us;
  for (int i = 0; i < 1000; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    step();
    us.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count());
  }
  std::sort(us.begin(), us.end());
  state.counters["cycle_median_us"] = us[us.size() / 2];
  state.counters["cycle_p90_us"] = us[us.size() * 9 / 10];
}

// Over an untimed stretch of cycles: pixels asked to be repainted and pixels that changed, per cycle.
template <typename Step>
void countPixels(benchmark::State& state, Bench& b, Step step) {
  double repainted = 0;
  b.surface.setRepaintHandler([&](const QRegion& r) {
    for (const QRect& rect : r) repainted += static_cast<double>(rect.width()) * rect.height();
  });
  double changed = 0;
  constexpr int kCycles = 200;
  for (int i = 0; i < kCycles; ++i) {
    const QImage before = b.surface.image().copy();
    step();
    const QImage& after = b.surface.image();
    if (after.size() != before.size()) {
      changed += static_cast<double>(after.width()) * after.height();
      continue;
    }
    for (int y = 0; y < after.height(); ++y) {
      const auto* p = reinterpret_cast<const QRgb*>(before.constScanLine(y));
      const auto* q = reinterpret_cast<const QRgb*>(after.constScanLine(y));
      if (std::memcmp(p, q, static_cast<std::size_t>(after.width()) * sizeof(QRgb)) == 0) continue;
      for (int x = 0; x < after.width(); ++x) changed += p[x] != q[x];
    }
  }
  b.surface.setRepaintHandler(nullptr);
  state.counters["repaint_px"] = repainted / kCycles;
  state.counters["changed_px"] = changed / kCycles;
}

void BM_TestSource(benchmark::State& state) {
  Bench b;
  // Let the histogram fill for a minute first, as an operator would see it.
  for (int i = 0; i < 1200; ++i) b.tick();
  for (auto _ : state) b.tick();
  timeEachCycle(state, [&] { b.tick(); });
  // The pixels on a display of their own, after the same minute, so that builds compare alike.
  Bench c;
  for (int i = 0; i < 1200; ++i) c.tick();
  countPixels(state, c, [&] { c.tick(); });
}

// 15 bearings a second between 20 ticks a second: each iteration is one tick, and three in four
// also take a message, which runs a cycle of its own.
void BM_SerialBearings(benchmark::State& state) {
  Bench b, c;
  int k = 0;
  const auto step = [&k](Bench& d) {
    d.tick();
    if (++k % 4 != 0) d.message();
  };
  for (Bench* d : {&b, &c}) {
    CmdButton_TEST_Click(d->sys);  // off: listen to the line
    d->sys.runCycle();
    for (int i = 0; i < 1200; ++i) step(*d);
  }
  for (auto _ : state) step(b);
  timeEachCycle(state, [&] { step(b); });
  // The pixels on a display of its own, after the same minute, so that builds compare alike.
  countPixels(state, c, [&] { step(c); });
}

// Nothing changes: a histogram whose largest sum gives the ring count asked for, no input.
void BM_QuietRings(benchmark::State& state) {
  Bench b;
  CmdButton_TEST_Click(b.sys);
  const int rings = static_cast<int>(state.range(0));
  const int count = (rings - 1) * 10;  // each bearing adds one to its own bin's sum
  for (int i = 0; i < count; ++i) countBearing(b.sys, 200);
  b.sys.runCycle();
  b.tick();
  state.counters["RINGCOUNT"] = b.sys.st.RINGCOUNT;
  for (auto _ : state) b.tick();
}

// The same histograms redrawn whole in every cycle, as a heading update or a new ring asks.
void BM_RedrawRings(benchmark::State& state) {
  Bench b;
  CmdButton_TEST_Click(b.sys);
  const int count = (static_cast<int>(state.range(0)) - 1) * 10;
  for (int i = 0; i < count; ++i) countBearing(b.sys, 200);
  b.sys.runCycle();
  state.counters["RINGCOUNT"] = b.sys.st.RINGCOUNT;
  for (auto _ : state) {
    b.sys.st.NEWRING = true;
    b.tick();
  }
}

// A long sweep from one direction, decay off: a bearing at 90 in every cycle, from the count of
// bearings given on. Each tenth bearing changes the scale, which redraws the frame, the rings and
// every vector; the time per cycle should not grow with the count.
void BM_LongSweep(benchmark::State& state) {
  Bench b;
  CmdButton_TEST_Click(b.sys);
  for (long i = 0; i < state.range(0); ++i) countBearing(b.sys, 90);
  b.sys.runCycle();
  b.tick();
  for (auto _ : state) {
    countBearing(b.sys, 90);
    b.tick();
  }
  state.counters["RINGCOUNT"] = b.sys.st.RINGCOUNT;
}

}  // namespace

BENCHMARK(BM_TestSource)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_SerialBearings)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_QuietRings)->Arg(3)->Arg(300)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_RedrawRings)
    ->Arg(3)
    ->Arg(300)
    ->Arg(3276)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

BENCHMARK(BM_LongSweep)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(32000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv) {
  if (argc > 1 && std::sscanf(argv[1], "%dx%d@%lf", &gWidth, &gHeight, &gRatio) >= 2) {
    for (int i = 1; i + 1 < argc; ++i) argv[i] = argv[i + 1];
    --argc;
  }
  std::printf("window %dx%d at a device pixel ratio of %g\n", gWidth, gHeight, gRatio);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // Never read or write the operator's own settings file: a folder of this process, removed at exit.
  test::TestSystem::isolateSettings();
  QGuiApplication app(argc, argv);  // fonts for the compass letters
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
