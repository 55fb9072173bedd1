#include "shell/QtTermination.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSemaphore>
#include <QThread>
#include <QWidget>
#include <atomic>
#include <cstdlib>
#include <memory>

namespace sorvant {

// The session manager may end the event loop without closing the window: close it on the way out.
void closeOnSessionEnd(QWidget& window) {
  QPointer<QWidget> target(&window);
  QObject::connect(qApp, &QCoreApplication::aboutToQuit, &window, [target] {
    if (target) target->close();
  });
}

namespace {

std::atomic<UnloadAtForcedExit*> activeGuard = nullptr;
// How long a dying connection waits for the settings to be written.
constexpr int kUnloadWaitMs = 5000;
QtMessageHandler previousHandler = nullptr;

// Qt's Wayland plugin says this (the compositor went away, or refused a request as a protocol
// error) and then ends the process at once.
bool announcesForcedExit(QtMsgType type, const QString& message) {
  return type == QtWarningMsg && message.startsWith(QLatin1String("The Wayland connection "));
}

}  // namespace

UnloadAtForcedExit::UnloadAtForcedExit(const QWidget& window, std::function<void()> unload)
    : window_(window), unload_(std::move(unload)) {
  static const bool registered = std::atexit(&UnloadAtForcedExit::atExit) == 0;
  static const QtMessageHandler previous = qInstallMessageHandler(&UnloadAtForcedExit::onMessage);
  previousHandler = previous;
  if (registered) activeGuard = this;
}

void UnloadAtForcedExit::onMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (previousHandler) previousHandler(type, context, message);
  if (!announcesForcedExit(type, message) || !qApp) return;
  if (QThread::currentThread() == qApp->thread()) {
    atExit();
    return;
  }
  // Reported from Qt's event thread, which ends the process as soon as this returns: hold it while
  // the UI thread, where every rule runs, writes the settings. A UI thread that does not come round
  // in time loses them rather than keeping a dead program alive.
  auto written = std::make_shared<QSemaphore>();
  QMetaObject::invokeMethod(
      qApp,
      [written] {
        atExit();
        written->release();
      },
      Qt::QueuedConnection);
  written->tryAcquire(1, kUnloadWaitMs);
}

UnloadAtForcedExit::~UnloadAtForcedExit() {
  UnloadAtForcedExit* self = this;
  activeGuard.compare_exchange_strong(self, nullptr);
}

void UnloadAtForcedExit::atExit() {
  UnloadAtForcedExit* guard = activeGuard.exchange(nullptr);
  if (guard && guard->window_.isVisible()) guard->unload_();
}

}  // namespace sorvant
