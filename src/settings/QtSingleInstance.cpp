#include "settings/QtSingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>
#include <QWidget>

namespace sorvant {

namespace {

// "front", then a blank and the later start's activation token when it has one.
constexpr char kRequest[] = "front";
constexpr char kReply[] = "ok\n";
// Between two looks at a lock whose holder is not listening yet (it is still starting, or ending).
constexpr int kRetryMs = 50;

QString stem(const QString& settingsFolder, const QString& runtimeFolder) {
  const QByteArray key =
      QCryptographicHash::hash(QDir(settingsFolder).absolutePath().toUtf8(), QCryptographicHash::Sha256);
  return QDir(runtimeFolder).filePath(QStringLiteral("sorvant-") + QString::fromLatin1(key.toHex().left(16)));
}

// Tokens are short printable words; anything else did not come from a launcher.
bool isActivationToken(const QString& token) {
  if (token.isEmpty() || token.size() > 512) return false;
  for (const QChar c : token)
    if (c.unicode() <= 0x20 || c.unicode() >= 0x7f) return false;
  return true;
}

}  // namespace

SingleInstance::SingleInstance(const QString& settingsFolder, const QString& runtimeFolder, int answerMs)
    : socketName_(socketName(settingsFolder, runtimeFolder)),
      lockName_(lockFileName(settingsFolder, runtimeFolder)),
      answerMs_(answerMs),
      lock_(std::make_unique<QLockFile>(lockName_)) {
  // Only a holder that is gone makes a lock stale, never its age: the program runs for days.
  lock_->setStaleLockTime(0);
  connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::answer);
}

SingleInstance::~SingleInstance() { server_.close(); }

QString SingleInstance::socketName(const QString& settingsFolder, const QString& runtimeFolder) {
#ifdef _WIN32
  // A named pipe: a name, not a path.
  return QFileInfo(stem(settingsFolder, runtimeFolder)).fileName();
#else
  return stem(settingsFolder, runtimeFolder) + QStringLiteral(".socket");
#endif
}

QString SingleInstance::lockFileName(const QString& settingsFolder, const QString& runtimeFolder) {
  return stem(settingsFolder, runtimeFolder) + QStringLiteral(".lock");
}

bool SingleInstance::claim(const QString& activationToken) {
  QDir().mkpath(QFileInfo(lockName_).absolutePath());
  const QDeadlineTimer patience(answerMs_);
  for (;;) {
    if (lockAndListen()) return true;
    // A folder where no lock can be made: nothing to guard with, so start as if alone.
    if (lock_->error() != QLockFile::LockFailedError) return true;
    const Answer answer = askRunningInstance(static_cast<int>(patience.remainingTime()), activationToken);
    if (answer == Answer::Raised) return false;
    if (answer == Answer::Silent || patience.hasExpired()) {
      // Hung: its lock is taken over, so that the next start reaches this instance instead.
      QFile::remove(lockName_);
      lockAndListen();
      return true;
    }
    QThread::msleep(kRetryMs);
  }
}

bool SingleInstance::lockAndListen() {
  if (!lock_->tryLock(0)) return false;
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_.listen(socketName_)) {
    // Left behind by an instance that was killed or hung: the lock says it is ours now.
    QLocalServer::removeServer(socketName_);
    server_.listen(socketName_);
  }
  return true;
}

SingleInstance::Answer SingleInstance::askRunningInstance(int waitMs, const QString& activationToken) const {
  QLocalSocket socket;
  socket.connectToServer(socketName_);
  if (!socket.waitForConnected(waitMs)) return Answer::Absent;
  QByteArray request = kRequest;
  if (isActivationToken(activationToken)) request += ' ' + activationToken.toLatin1();
  socket.write(request + '\n');
  const QDeadlineTimer deadline(waitMs);
  QByteArray reply;
  while (!reply.contains('\n')) {
    if (!socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
      return socket.state() == QLocalSocket::UnconnectedState ? Answer::Absent : Answer::Silent;
    reply += socket.readAll();
  }
  return reply == kReply ? Answer::Raised : Answer::Absent;
}

void SingleInstance::answer() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    auto serve = [this, socket] {
      if (!socket->canReadLine()) return;
      const QByteArray line = socket->readLine().chopped(1);
      if (line == kRequest || line.startsWith(QByteArray(kRequest) + ' ')) {
        const QString token = QString::fromLatin1(line.mid(sizeof kRequest));
        if (raise_) raise_(isActivationToken(token) ? token : QString());
        socket->write(kReply);
        socket->flush();
      }
      socket->disconnectFromServer();
    };
    connect(socket, &QLocalSocket::readyRead, this, serve);
    serve();  // the request may have come with the connection
  }
}

void bringToFront(QWidget& window) {
  window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  window.show();
  window.raise();
  window.activateWindow();
}

}  // namespace sorvant
