// Sorvant DF Display: wiring of the running system to Qt. Nothing else belongs here.
#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QStyleFactory>

#include "core/QtClock.h"
#include "core/SeededRandom.h"
#include "cycle/Cycle.h"
#include "display/ImageSurface.h"
#include "display/MainWindow.h"
#include "display/QtPlatformTuning.h"
#include "options/OptionsDialog.h"
#include "options/QtColorPicker.h"
#include "serial/QtSerialPort.h"
#include "serial/Reception.h"
#include "settings/QtSingleInstance.h"
#include "settings/QtTermination.h"
#include "settings/SettingsFile.h"
#include "settings/StartUp.h"

int main(int argc, char** argv) {
  sorvant::tunePlatformBeforeApplication();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Sorvant DF Display"));
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

  // A second start brings the running window to the front and ends before touching the port or
  // the settings file.
  QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (runtime.isEmpty()) runtime = QDir::tempPath();
  const QString settingsFolder = QString::fromStdU16String(sorvant::settingsPath().parent_path().u16string());
  sorvant::SingleInstance instance(settingsFolder, runtime);
  if (!instance.claim()) return 0;

  sorvant::QtClock clock;
  sorvant::QtSerialPort port;
  sorvant::ImageSurface surface;
  sorvant::MainWindow window;
  sorvant::QtColorPicker picker;
  sorvant::SeededRandom random;
  picker.setParentWidget(&window);

  sorvant::System sys(sorvant::Platform{&sorvant::EXECUTIVE, clock, port, surface, window, picker, random});
  port.setReceiveHandler([&] { window.runEvent([&] { sorvant::MSComm1_OnComm(sys); }); });

  sorvant::initialiseSystem(sys);
  sorvant::loadSystem(sys);
  window.attach(sys, surface);
  sorvant::OptionsDialog options(sys, window);
  window.setOptionsWindow(&options, &options);
  sorvant::closeOnTermination(window);
  const sorvant::UnloadAtForcedExit lastWords(window, [&sys] { sorvant::unloadSystem(sys); });
  instance.onRaiseRequest([&window] { sorvant::bringToFront(window); });
  window.showMaximized();
  return QApplication::exec();
}
