#include "settings/QtSingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QSysInfo>
#include <QThread>
#include <QWidget>
#include <filesystem>
#include <iostream>

#include "settings/FileReplace.h"
#include "settings/RegularFile.h"
#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>

#include <cerrno>
#endif

namespace sorvant {

namespace {

// "front", then a blank and the later start's activation token when it has one.
constexpr char kRequest[] = "front";
constexpr char kReply[] = "ok\n";
// Between two looks at a lock whose holder is not listening yet (it is still starting, or ending).
constexpr int kRetryMs = 50;

// A folder on this machine that every account may make files in, and that every session sees alike
// whatever its environment says.
QString machineFolder() {
#ifdef _WIN32
  const QString data = qEnvironmentVariable("ProgramData");
  return data.isEmpty() ? QStringLiteral("C:/ProgramData") : QDir::fromNativeSeparators(data);
#else
  return QStringLiteral("/tmp");
#endif
}

// "sorvant-" and a digest of the file's real location: the same name for every way of reaching it.
QString keyOf(const QString& settingsFile) {
  QString location = SingleInstance::realLocation(settingsFile);
#ifdef _WIN32
  location = location.toLower();  // one file, whatever the case of its name
#endif
  const QByteArray digest = QCryptographicHash::hash(location.toUtf8(), QCryptographicHash::Sha256);
  return QStringLiteral("sorvant-") + QString::fromLatin1(digest.toHex().left(16));
}

// True unless the lock's holder is known to be gone. A holder on another machine (a folder shared on
// the network) cannot be looked at, so it counts as running.
bool holderRuns(const QLockFile& lock) {
  qint64 pid = 0;
  QString host;
  if (!lock.getLockInfo(&pid, &host, nullptr)) return true;
  if (host != QSysInfo::machineHostName()) return true;
#ifdef _WIN32
  const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
  if (process == nullptr) return ::GetLastError() == ERROR_ACCESS_DENIED;
  const bool running = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  ::CloseHandle(process);
  return running;
#else
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
#endif
}

// Tokens are short printable words; anything else did not come from a launcher.
bool isActivationToken(const QString& token) {
  if (token.isEmpty() || token.size() > 512) return false;
  for (const QChar c : token)
    if (c.unicode() <= 0x20 || c.unicode() >= 0x7f) return false;
  return true;
}

}  // namespace

SingleInstance::SingleInstance(const QString& settingsFile, const QString& runtimeFolder, int answerMs)
    : file_(settingsFile),
      socketName_(socketName(settingsFile, runtimeFolder)),
      answerMs_(answerMs) {
  for (const QString& name : {lockFileName(settingsFile), sharedLockFileName(settingsFile)}) {
    if (name.isEmpty()) continue;
    locks_.push_back(std::make_unique<QLockFile>(name));
    // Only a holder that is gone makes a lock stale, never its age: the program runs for days.
    locks_.back()->setStaleLockTime(0);
  }
  connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::serveRaiseRequests);
}

SingleInstance::~SingleInstance() { server_.close(); }

QString SingleInstance::realLocation(const QString& settingsFile) {
  const std::filesystem::path given(settingsFile.toStdU16String());
  const std::filesystem::path end = linkTarget(given);
  // The folders that exist are resolved, the rest (not made yet) is taken as written.
  std::error_code ec;
  const std::filesystem::path real = std::filesystem::weakly_canonical(end.empty() ? given : end, ec);
  if (ec) return QFileInfo(settingsFile).absoluteFilePath();
  return QDir::cleanPath(QString::fromStdU16String(real.u16string()));
}

QString SingleInstance::socketName(const QString& settingsFile, const QString& runtimeFolder) {
#ifdef _WIN32
  // A named pipe: a name, not a path, and the same for every session of the machine.
  Q_UNUSED(runtimeFolder);
  return keyOf(settingsFile);
#else
  return QDir(runtimeFolder).filePath(keyOf(settingsFile) + QStringLiteral(".socket"));
#endif
}

QString SingleInstance::lockFileName(const QString& settingsFile) {
  const QString real = realLocation(settingsFile);
  if (fileKindAt(std::filesystem::path(real.toStdU16String())) == FileKind::Other) return {};
  return real + QStringLiteral(".lock");
}

QString SingleInstance::sharedLockFileName(const QString& settingsFile) {
  return QDir(machineFolder()).filePath(keyOf(settingsFile) + QStringLiteral(".lock"));
}

bool SingleInstance::claim(const QString& activationToken) {
  QDir().mkpath(QFileInfo(realLocation(file_)).absolutePath());
  QDir().mkpath(QFileInfo(socketName_).absolutePath());
  const QDeadlineTimer patience(answerMs_);
  for (;;) {
    const Locks locks = lockAndListen();
    if (locks == Locks::Taken) return true;
    // No lock can be made anywhere: nothing to guard with, so start as if alone.
    if (locks == Locks::Impossible) return true;
    const Answer answer = sendRaiseRequest(static_cast<int>(patience.remainingTime()), activationToken);
    if (answer == Answer::Raised) return false;
    if (answer == Answer::Silent) {
      // Hung: its locks are taken over, so that the next start reaches this instance instead.
      for (const auto& lock : locks_) QFile::remove(lock->fileName());
      lockAndListen();
      return true;
    }
    if (patience.hasExpired()) {
      // It runs, but listens where this start cannot reach it: a session with another runtime
      // folder, or another account. Two programs on one file would each overwrite the other's
      // settings, so this one gives way.
      answered_ = false;
      std::cerr << "sorvant: another Sorvant (process " << holder() << ") is using "
                << QDir::toNativeSeparators(realLocation(file_)).toStdString()
                << " and could not be asked to come to the front; this start ends\n";
      return false;
    }
    QThread::msleep(kRetryMs);
  }
}

qint64 SingleInstance::holder() const {
  qint64 pid = 0;
  for (const auto& lock : locks_)
    if (lock->getLockInfo(&pid, nullptr, nullptr)) break;
  return pid;
}

void SingleInstance::unlockAll() {
  for (const auto& lock : locks_) lock->unlock();
}

SingleInstance::Locks SingleInstance::lockAndListen() {
  // Both locks, where each can be made: a start that may make no file beside the settings file (a
  // folder that refuses new files) still meets one that may in the shared folder, and the other
  // way round. A lock left by a holder that is gone, which this account may not remove (another
  // account's, in the shared folder), guards nothing and is passed over.
  bool any = false;
  for (const auto& lock : locks_) {
    if (lock->tryLock(0)) {
      any = true;
      continue;
    }
    if (lock->error() == QLockFile::LockFailedError && holderRuns(*lock)) {
      unlockAll();
      return Locks::HeldByAnother;
    }
  }
  if (!any) return Locks::Impossible;
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_.listen(socketName_)) {
    // Left behind by an instance that was killed or hung: the lock says it is ours now.
    QLocalServer::removeServer(socketName_);
    server_.listen(socketName_);
  }
  return Locks::Taken;
}

SingleInstance::Answer SingleInstance::sendRaiseRequest(int waitMs, const QString& activationToken) const {
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

void SingleInstance::serveRaiseRequests() {
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
