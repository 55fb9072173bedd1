// Test runner for the Qt shell: one QApplication for all tests, offscreen unless told otherwise.
#include <gtest/gtest.h>

#include <QApplication>

#include "support/Environment.h"

int main(int argc, char** argv) {
  if (!sorvant::test::getEnv("QT_QPA_PLATFORM")) sorvant::test::setEnv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
