// Sorvant DF Display: wiring of the running system to Qt. Nothing else belongs here.
#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QStyleFactory>

#include "core/SeededRandom.h"
#include "cycle/Cycle.h"
#include "serial/Reception.h"
#include "settings/SettingsFile.h"
#include "settings/StartUp.h"
#include "shell/ImageSurface.h"
#include "shell/MainWindow.h"
#include "shell/OptionsDialog.h"
#include "shell/QtActivation.h"
#include "shell/QtClock.h"
#include "shell/QtColorPicker.h"
#include "shell/QtPlatformTuning.h"
#include "shell/QtSerialPort.h"
#include "shell/QtSingleInstance.h"
#include "shell/QtTermination.h"

int main(int argc, char** argv) {
  const QString activationToken = sorvant::launchActivationToken();
  sorvant::tunePlatformBeforeApplication();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Sorvant DF Display"));
  // The app id Wayland compositors match with the installed desktop entry (its icon, its name, the
  // launcher's activation token), whatever the binary is called.
  QGuiApplication::setDesktopFileName(QStringLiteral("sorvant"));
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

  // A second start on the same settings file brings the running window to the front and ends
  // before touching the port or the settings file.
  QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (runtime.isEmpty()) runtime = QDir::tempPath();
  sorvant::SingleInstance instance(sorvant::settingsPath(), runtime);
  if (!instance.claim(activationToken)) return instance.answered() ? 0 : 1;

  sorvant::QtClock clock;
  sorvant::QtSerialPort port;
  sorvant::ImageSurface surface;
  sorvant::MainWindow window;
  sorvant::QtColorPicker picker;
  sorvant::SeededRandom random;

  sorvant::System sys(sorvant::Platform{&sorvant::EXECUTIVE, clock, port, surface, window, picker, random});
  port.setReceiveHandler([&] { window.runEvent([&] { sorvant::MSComm1_OnComm(sys); }); });

  sorvant::initialiseSystem(sys);
  sorvant::loadSystem(sys);
  window.attach(sys, surface);
  sorvant::OptionsDialog options(sys, window);
  window.setOptionsWindow(&options, &options);
  // The colours are picked from the options dialog: the picker belongs to it, so every window
  // manager stacks it there and returns the focus there when it closes.
  picker.setParentWidget(&options);
  sorvant::closeOnTermination(window);
  const sorvant::UnloadAtForcedExit lastWords(window, [&sys] { sorvant::unloadSystem(sys); });
  instance.onRaiseRequest([&window](const QString& token) {
    sorvant::presentActivationToken(token, window);
    sorvant::bringToFront(window);
  });
  window.showMaximized();
  return QApplication::exec();
}
