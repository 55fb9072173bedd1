#include "shell/QtTermination.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSemaphore>
#include <QThread>
#include <QWidget>
#include <atomic>
#include <cstdio>
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
// Set by the first report of a lost display connection; later reports of it are not repeated.
std::atomic<bool> connectionLost = false;

enum class LostConnection { None, SessionEnded, Fault };

// What Qt's platform plugins say right before they end the process over a lost display connection.
// The server closing the connection is the end of the desktop session; anything else (a request the
// compositor refused as a protocol error) is a fault. Qt's Wayland plugin then calls _exit(1), its X11
// plugin exit(1).
LostConnection lostConnection(QtMsgType type, const QString& message) {
  if (type != QtWarningMsg) return LostConnection::None;
  if (message.startsWith(QLatin1String("The Wayland connection broke")))
    return LostConnection::SessionEnded;  // the socket was closed (EPIPE, ECONNRESET)
  if (message.startsWith(QLatin1String("The Wayland connection "))) return LostConnection::Fault;
  if (message.startsWith(QLatin1String("The X11 connection broke"))) {
    // Code 1 (XCB_CONN_ERROR) is the socket closing; the others are faults of the connection's use.
    const bool closed = message.contains(QLatin1String("(error 1)")) || message.contains(QLatin1String("(code 1)"));
    return closed ? LostConnection::SessionEnded : LostConnection::Fault;
  }
  return LostConnection::None;
}

// Runs the unload on the UI thread, where every rule runs. From another thread (Qt's Wayland event
// thread, which ends the process as soon as its report returns) it waits for the UI thread; a UI
// thread that does not come round in time loses the settings rather than keeping a dead program
// alive.
void unloadOnUiThread() {
  if (QThread::currentThread() == qApp->thread()) {
    UnloadAtForcedExit::unloadNow();
    return;
  }
  auto written = std::make_shared<QSemaphore>();
  QMetaObject::invokeMethod(
      qApp,
      [written] {
        UnloadAtForcedExit::unloadNow();
        written->release();
      },
      Qt::QueuedConnection);
  written->tryAcquire(1, kUnloadWaitMs);
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
  const LostConnection lost = qApp ? lostConnection(type, message) : LostConnection::None;
  if (lost == LostConnection::None) {
    if (previousHandler) previousHandler(type, context, message);
    return;
  }
  // Both of Qt's Wayland threads may find the connection gone: the first one speaks and acts.
  const bool first = !connectionLost.exchange(true);
  if (lost == LostConnection::Fault) {
    if (first && previousHandler) previousHandler(type, context, message);
    unloadOnUiThread();
    return;  // Qt ends the process with its failure status
  }
  if (!first) {
    // The first report is ending the process: this thread must not return to Qt's failure exit
    // before it does, except on the UI thread, which the first one may be waiting for.
    if (QThread::currentThread() == qApp->thread()) {
      unloadNow();
      std::_Exit(0);
    }
    QThread::msleep(2 * kUnloadWaitMs);
    std::_Exit(0);
  }
  std::fputs("sorvant: the display server has gone away (end of the desktop session): the program ends as with Q\n",
             stderr);
  unloadOnUiThread();
  // The end of the session is a normal end: the settings are on disk, and nothing else of the
  // program outlives the display connection.
  std::fflush(nullptr);
  std::_Exit(0);
}

UnloadAtForcedExit::~UnloadAtForcedExit() {
  UnloadAtForcedExit* self = this;
  activeGuard.compare_exchange_strong(self, nullptr);
}

void UnloadAtForcedExit::atExit() { unloadNow(); }

void UnloadAtForcedExit::unloadNow() {
  UnloadAtForcedExit* guard = activeGuard.exchange(nullptr);
  if (guard && guard->window_.isVisible()) guard->unload_();
}

}  // namespace sorvant
