// Times one processing cycle with the test source playing, drawn on a full-HD image surface.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cstdlib>

#include "core/SeededRandom.h"
#include "cycle/Cycle.h"
#include "display/ImageSurface.h"
#include "display/Layout.h"
#include "serial/Reception.h"
#include "settings/StartUp.h"
#include "support/Fakes.h"

namespace {

using namespace sorvant;

void runCycles(benchmark::State& state, int widthPx, int heightPx) {
  test::FakeClock clock;
  test::FakePort port;
  ImageSurface surface;
  test::FakeWindowHost host;
  test::FakePicker picker;
  SeededRandom random;
  host.scaleWidth = widthPx * 15.0f;
  host.scaleHeight = heightPx * 15.0f;
  surface.resize(QSize(widthPx, heightPx), 1.0, 96.0);
  System sys(Platform{&EXECUTIVE, clock, port, surface, host, picker, random});
  initialiseSystem(sys);
  loadSystem(sys);
  Form_Resize(sys);
  // Let the histogram fill for a minute first, as an operator would see it.
  for (int i = 0; i < 1200; ++i) {
    clock.advance(0.05);
    Timer1_Timer(sys);
  }
  for (auto _ : state) {
    clock.advance(0.05);
    Timer1_Timer(sys);
  }
  state.counters["INCOUNT"] = sys.st.INCOUNT;
}

void BM_Cycle1080p(benchmark::State& state) { runCycles(state, 1920, 1080); }
void BM_Cycle2160p(benchmark::State& state) { runCycles(state, 3840, 2160); }

BENCHMARK(BM_Cycle1080p)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_Cycle2160p)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // Never read or write the operator's own settings file.
  char folder[] = "/tmp/sorvant-bench-XXXXXX";
  if (mkdtemp(folder) != nullptr) setenv("XDG_CONFIG_HOME", folder, 1);
  QGuiApplication app(argc, argv);  // fonts for the compass letters
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
