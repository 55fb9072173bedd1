#pragma once
// A real main window on the offscreen platform, driven by the fake clock and port.
#include <QApplication>
#include <QTest>
#include <memory>

#include "core/SeededRandom.h"
#include "serial/Reception.h"
#include "settings/StartUp.h"
#include "shell/ImageSurface.h"
#include "shell/MainWindow.h"
#include "shell/OptionsDialog.h"
#include "support/Fakes.h"
#include "support/TestSystem.h"

namespace sorvant::test {

struct ShellFixture {
  explicit ShellFixture(QSize size = QSize(1280, 800))
      : sys(Platform{&EXECUTIVE, clock, port, surface, window, picker, random}) {
    port.setReceiveHandler([this] { window.runEvent([this] { MSComm1_OnComm(sys); }); });
    sys.settingsFile =
        TestSystem::isolateSettings();  // a fresh settings folder of this test process, never the real one
    initialiseSystem(sys);
    loadSystem(sys);
    window.attach(sys, surface);
    options = std::make_unique<OptionsDialog>(sys, window);
    window.setOptionsWindow(options.get(), options.get());
    window.resize(size);
    window.show();
    QApplication::processEvents();
  }
  ~ShellFixture() {
    window.close();
    options.reset();
  }

  template <class W>
  W* widget(const Control& c) {
    return qobject_cast<W*>(window.widgetFor(c));
  }
  // The colour of a pixel of the drawing surface at a point in twips.
  QColor pixelAt(float xTwips, float yTwips) { return surface.colorAt(xTwips, yTwips); }

  FakeClock clock;
  FakePort port;
  ImageSurface surface;
  MainWindow window;
  FakePicker picker;
  SeededRandom random;
  System sys;
  std::unique_ptr<OptionsDialog> options;
};

}  // namespace sorvant::test
