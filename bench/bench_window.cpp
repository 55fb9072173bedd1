// Times one timer event of the real main window (offscreen), with the test source playing: the
// processing cycle alone, the cycle followed by bringing both windows' widgets up to date, and that
// bringing up to date alone.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>

#include "cycle/Cycle.h"
#include "shell/ShellFixture.h"

namespace {

using namespace sorvant;

// The real main window of the shell tests (settings in a folder of this process, removed at exit).
struct Shell : test::ShellFixture {
  explicit Shell(QSize size) : ShellFixture(size) {
    // Let the histogram fill for a minute first, as an operator would see it.
    for (int i = 0; i < 1200; ++i) tick();
  }
  void tick() {
    clock.advance(0.05);
    window.runEvent([this] { Timer1_Timer(sys); });
  }
};

// The whole event: cycle, then the widgets of both windows brought up to date.
void BM_Event(benchmark::State& state) {
  Shell shell(QSize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))));
  for (auto _ : state) shell.tick();
}

// The cycle alone, with the widgets left behind.
void BM_CycleOnly(benchmark::State& state) {
  Shell shell(QSize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))));
  for (auto _ : state) {
    shell.clock.advance(0.05);
    Timer1_Timer(shell.sys);
  }
}

// Only bringing the widgets up to date after a cycle has changed the model.
void BM_WidgetSync(benchmark::State& state) {
  Shell shell(QSize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))));
  for (auto _ : state) {
    state.PauseTiming();
    shell.clock.advance(0.05);
    Timer1_Timer(shell.sys);
    state.ResumeTiming();
    shell.window.syncFromModel();
  }
}

BENCHMARK(BM_Event)->Args({1920, 1080})->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_CycleOnly)->Args({1920, 1080})->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
// Fixed iterations: the untimed cycles would otherwise run for minutes.
BENCHMARK(BM_WidgetSync)
    ->Args({1920, 1080})
    ->Iterations(4000)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
