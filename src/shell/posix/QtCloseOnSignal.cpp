// The end of a program on Linux and other POSIX systems: a signal, turned into an event of the loop.
#include <sys/socket.h>
#include <unistd.h>

#include <QPointer>
#include <QSocketNotifier>
#include <QWidget>
#include <csignal>

#include "shell/QtTermination.h"

namespace sorvant {

namespace {

int signalPipe[2] = {-1, -1};

// Signal handlers may do almost nothing: write one byte for the event loop to find.
void onSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

void closeOnTermination(QWidget& window) {
  closeOnSessionEnd(window);
  if (signalPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &window);  // owned by the window
  QPointer<QWidget> target(&window);
  QObject::connect(notifier, &QSocketNotifier::activated, &window, [target] {
    char byte;
    [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &byte, 1);
    if (target) target->close();
  });
  struct sigaction action = {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);
}

}  // namespace sorvant
