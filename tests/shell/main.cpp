// Test runner for the Qt shell: one QApplication for all tests, offscreen unless told otherwise.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "shell/QtPlatformTuning.h"
#include "support/Environment.h"

int main(int argc, char** argv) {
  // SORVANT_TEST_PLATFORM runs the suite on a real platform plugin (tools/run-tests.sh: "wayland",
  // under a headless compositor), whatever CTest puts in QT_QPA_PLATFORM.
  using sorvant::test::getEnv;
  using sorvant::test::setEnv;
  if (const auto platform = getEnv("SORVANT_TEST_PLATFORM"); platform && !platform->empty())
    setEnv("QT_QPA_PLATFORM", *platform);
  else if (!getEnv("QT_QPA_PLATFORM"))
    setEnv("QT_QPA_PLATFORM", "offscreen");
  // The platform as the program tunes it: on Wayland, the same buffers and window frames.
  sorvant::tunePlatformBeforeApplication();
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  // Qt 6.4's Wayland plugin can hang in its display's destructor, its event thread waiting in
  // wl_display_read_events for a read that never comes (seen once, after every test had passed):
  // there the runner ends without taking Qt down, every test having ended and reported.
  if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
    std::fflush(nullptr);
    std::_Exit(result);
  }
  return result;
}
