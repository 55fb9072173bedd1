// Test runner for the Qt shell: one QApplication for all tests, offscreen unless told otherwise.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
  // SORVANT_TEST_PLATFORM runs the suite on a real platform plugin (tools/run-tests.sh: "wayland",
  // under a headless compositor), whatever CTest puts in QT_QPA_PLATFORM.
  if (const char* platform = std::getenv("SORVANT_TEST_PLATFORM"); platform && *platform)
    setenv("QT_QPA_PLATFORM", platform, 1);
  else
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
