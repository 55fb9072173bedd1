// Test runner for the Qt shell: one QApplication for all tests, offscreen unless told otherwise.
#include <gtest/gtest.h>

#include <QApplication>

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
  return RUN_ALL_TESTS();
}
