// Latency from a DF message written to a pseudo-terminal to its bearing being counted by the running
// system (the receive event's cycle has returned with INCOUNT raised), through socat, the terminal device,
// the serial line woken by Qt's notifier, reception and a full processing cycle drawing into the real image
// surface.
// Prints p50 and p99 in milliseconds; the figures are reported, never judged.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "core/SeededRandom.h"
#include "core/System.h"
#include "cycle/Cycle.h"
#include "shell/ImageSurface.h"
#include "display/Layout.h"
#include "histogram/TestSource.h"
#include "serial/Reception.h"
#include "settings/StartUp.h"
#include "shell/QtSerialPort.h"
#include "support/Fakes.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kMessages = 400;
constexpr int kWarmUp = 20;

// Runs the event loop until done() holds; false after timeoutMs.
template <typename Done>
bool pumpUntil(Done done, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
  }
  return true;
}

double percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  const std::size_t i = std::min(v.size() - 1, static_cast<std::size_t>(p / 100.0 * static_cast<double>(v.size())));
  return v[i];
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  if (QStandardPaths::findExecutable("socat").isEmpty()) {
    std::puts("bench_serial_latency: socat is not installed; nothing measured");
    return 0;
  }

  QTemporaryDir dir;
  qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
  QDir(dir.path()).mkpath("sorvant");
  const QString a = dir.path() + "/A", b = dir.path() + "/B";
  QProcess socat;
  socat.start("socat", {"pty,raw,echo=0,link=" + a, "pty,raw,echo=0,link=" + b});
  if (!socat.waitForStarted(3000) || !pumpUntil([&] { return QFileInfo::exists(a) && QFileInfo::exists(b); }, 5000)) {
    std::puts("bench_serial_latency: socat did not start");
    return 1;
  }
  QFile::link(a, dir.path() + "/sorvant/COM1");
  const int writer = ::open(b.toLocal8Bit().constData(), O_WRONLY | O_NOCTTY);

  sorvant::test::FakeClock clock;
  sorvant::QtSerialPort port;
  sorvant::ImageSurface surface;
  sorvant::test::FakeWindowHost host;
  sorvant::test::FakePicker picker;
  sorvant::SeededRandom random;
  sorvant::System sys(sorvant::Platform{&sorvant::EXECUTIVE, clock, port, surface, host, picker, random});
  surface.resize(QSize(static_cast<int>(host.scaleWidth / 15), static_cast<int>(host.scaleHeight / 15)), 1.0, 96.0);

  Clock::time_point counted;
  port.setReceiveHandler([&] {
    const auto before = sys.st.INCOUNT;
    sorvant::MSComm1_OnComm(sys);
    if (sys.st.INCOUNT != before) counted = Clock::now();
  });
  sorvant::initialiseSystem(sys);
  sorvant::loadSystem(sys);
  sorvant::Form_Resize(sys);
  sorvant::CmdButton_TEST_Click(sys);  // to the receiver: opens COM1
  if (!port.portOpen() || writer < 0) {
    std::printf("bench_serial_latency: cannot open the port: %s\n", port.lastError().c_str());
    return 1;
  }

  std::vector<double> latencies;
  int lost = 0;
  for (int i = 0; i < kMessages + kWarmUp; ++i) {
    // The tick frees the gate for the next DF message, as Timer1 does every 50 ms. A message that came
    // after its time was up (a stalled machine) waits for a tick of its own, and is given it first: the
    // message measured next would otherwise wait behind it, and every one after that.
    do {
      clock.advance(0.05);
      sorvant::Timer1_Timer(sys);
    } while (!sys.run.dfWaiting.empty());
    char message[16];
    std::snprintf(message, sizeof message, "%%%03d\r\n", (i * 7) % 360);
    const auto before = sys.st.INCOUNT;
    const Clock::time_point sent = Clock::now();
    if (::write(writer, message, std::char_traits<char>::length(message)) < 0) break;
    if (!pumpUntil([&] { return sys.st.INCOUNT != before; }, 1000)) {
      ++lost;
      continue;
    }
    if (i >= kWarmUp) latencies.push_back(std::chrono::duration<double, std::milli>(counted - sent).count());
  }
  ::close(writer);
  port.close();
  socat.terminate();
  socat.waitForFinished(3000);

  if (latencies.empty()) {
    std::puts("bench_serial_latency: no message was counted");
    return 1;
  }
  std::printf("bench_serial_latency: %zu messages, %d not counted within 1 s\n", latencies.size(), lost);
  std::printf("  p50 %.3f ms (goal <= 2 ms)\n", percentile(latencies, 50));
  std::printf("  p99 %.3f ms (goal <= 25 ms)\n", percentile(latencies, 99));
  std::printf("  max %.3f ms\n", *std::max_element(latencies.begin(), latencies.end()));
  return 0;
}
