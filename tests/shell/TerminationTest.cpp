#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>
#include <csignal>

#include "settings/QtTermination.h"

namespace sorvant {
namespace {

TEST(Termination, ASignalToEndClosesTheWindowOnTheUiThread) {
  QWidget window;
  window.show();
  closeOnTermination(window);
  ASSERT_TRUE(window.isVisible());
  std::raise(SIGHUP);  // as when the terminal or the session goes away
  EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 2000));
}

}  // namespace
}  // namespace sorvant
