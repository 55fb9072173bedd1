#include "shell/QtSingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QSysInfo>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <iostream>

#include "core/PathText.h"
#include "settings/FileReplace.h"
#include "settings/RegularFile.h"
#include "shell/QtInstanceSystem.h"

namespace sorvant {

namespace {

// "front", then a blank and the later start's activation token when it has one.
constexpr char kRequest[] = "front";
constexpr char kReply[] = "ok\n";
// Between two looks at a lock whose holder is not listening yet (it is still starting, or ending).
constexpr int kRetryMs = 50;

QString keyOfBytes(const QByteArray& bytes) {
  const QByteArray digest = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
  return QStringLiteral("sorvant-") + QString::fromLatin1(digest.toHex().left(16));
}

// "sorvant-" and a digest of the file's real location: the same name for every way of reaching it.
// The location is digested as the system spells it, so a name that is not UTF-8 has a key too.
QString keyOf(const std::filesystem::path& settingsFile) {
  const std::filesystem::path location = SingleInstance::realLocation(settingsFile);
  return keyOfBytes(locationBytes(location));
}

// A digest of the file's identity, the same by every name it has (hard links); empty while there is
// no file. Windows keeps the settings at one fixed path, so there the location is enough.
QString identityKeyOf(const std::filesystem::path& settingsFile) {
  const QByteArray identity = identityBytes(settingsFile);
  return identity.isEmpty() ? QString() : keyOfBytes(identity);
}

// The name Qt opens for `path`: none when the name has no text form that leads back to it.
QString qtName(const std::filesystem::path& path) {
  if (!isUtf8Path(path)) return {};
  return qtNameOf(path);
}

std::filesystem::path pathOf(const QString& name) { return std::filesystem::path(name.toStdU16String()); }

// True unless the lock's holder is known to be gone. A holder on another machine (a folder shared on
// the network) cannot be looked at, so it counts as running.
bool holderRuns(const QLockFile& lock) {
  qint64 pid = 0;
  QString host;
  if (!lock.getLockInfo(&pid, &host, nullptr)) return true;
  if (host != QSysInfo::machineHostName()) return true;
  return processRuns(pid);
}

// Tokens are short printable words; anything else did not come from a launcher.
bool isActivationToken(const QString& token) {
  if (token.isEmpty() || token.size() > 512) return false;
  for (const QChar c : token)
    if (c.unicode() <= 0x20 || c.unicode() >= 0x7f) return false;
  return true;
}

}  // namespace

SingleInstance::SingleInstance(const std::filesystem::path& settingsFile, const QString& runtimeFolder, int answerMs)
    : file_(settingsFile), runtimeFolder_(runtimeFolder), answerMs_(answerMs) {
  // The config folder as named, where start-up would make it anyway; never a folder a link leads to
  // (the mount point of a stick that is not plugged in).
  if (settingsFile.has_parent_path()) createFolders(settingsFile.parent_path());
  QString beside = lockFileName(settingsFile);
  // A folder whose name is not UTF-8 is reached through a handle of this process on it, where it can be.
  if (beside.isEmpty()) beside = lockThroughFolderHandle(realLocation(settingsFile), folderHandle_);
  const QString key = keyOf(settingsFile);
  if (!beside.isEmpty()) addLock(beside, key);
  addLock(sharedLockFileName(settingsFile), key);
  const QString identity = identityLockFileName(settingsFile);
  if (!identity.isEmpty()) addLock(identity, identityKeyOf(realLocation(settingsFile)));
}

SingleInstance::SingleInstance(const QString& settingsFile, const QString& runtimeFolder, int answerMs)
    : SingleInstance(pathOf(settingsFile), runtimeFolder, answerMs) {}

SingleInstance::~SingleInstance() {
  servers_.clear();
  locks_.clear();  // unlocked and removed while the folder handle still leads to them
  closeFolderHandle(folderHandle_);
}

QString SingleInstance::realLocation(const QString& settingsFile) {
  return QDir::cleanPath(qtName(realLocation(pathOf(settingsFile))));
}
QString SingleInstance::lockFileName(const QString& settingsFile) { return lockFileName(pathOf(settingsFile)); }
QString SingleInstance::sharedLockFileName(const QString& settingsFile) {
  return sharedLockFileName(pathOf(settingsFile));
}

void SingleInstance::addLock(const QString& name, const QString& key) {
  auto lock = std::make_unique<QLockFile>(name);
  // Only a holder that is gone makes a lock stale, never its age: the program runs for days.
  lock->setStaleLockTime(0);
  locks_.push_back({std::move(lock), key});
}

std::filesystem::path SingleInstance::realLocation(const std::filesystem::path& settingsFile) {
  const std::filesystem::path end = linkTarget(settingsFile);
  // The folders that exist are resolved, the rest (not made yet) is taken as written.
  std::error_code ec;
  const std::filesystem::path real = std::filesystem::weakly_canonical(end.empty() ? settingsFile : end, ec);
  if (!ec) return real.lexically_normal();
  return std::filesystem::absolute(settingsFile, ec).lexically_normal();
}

QString SingleInstance::socketName(const std::filesystem::path& settingsFile, const QString& runtimeFolder) {
  return socketIn(runtimeFolder, keyOf(settingsFile));
}

QString SingleInstance::lockFileName(const std::filesystem::path& settingsFile) {
  const std::filesystem::path real = realLocation(settingsFile);
  if (fileKindAt(real) == FileKind::Other) return {};
  std::filesystem::path lock = real;
  lock += ".lock";
  return qtName(lock);
}

QString SingleInstance::sharedLockFileName(const std::filesystem::path& settingsFile) {
  return QDir(machineFolder()).filePath(keyOf(settingsFile) + QStringLiteral(".lock"));
}

QString SingleInstance::identityLockFileName(const std::filesystem::path& settingsFile) {
  const QString key = identityKeyOf(realLocation(settingsFile));
  if (key.isEmpty()) return {};
  return QDir(machineFolder()).filePath(key + QStringLiteral(".lock"));
}

bool SingleInstance::claim(const QString& activationToken) {
  QDir().mkpath(runtimeFolder_);
  const QDeadlineTimer patience(answerMs_);
  for (;;) {
    const Locks locks = lockAndListen();
    if (locks == Locks::Taken) {
      // Start-up makes the file when it is missing, or replaces a damaged one: its identity is
      // taken once the event loop runs, after start-up.
      QTimer::singleShot(0, this, &SingleInstance::followIdentity);
      return true;
    }
    // No lock can be made anywhere: nothing to guard with, so start as if alone.
    if (locks == Locks::Impossible) return true;
    const Answer answer = sendRaiseRequest(socketIn(runtimeFolder_, heldKey_),
                                           static_cast<int>(patience.remainingTime()), activationToken);
    if (answer == Answer::Raised) return false;
    if (answer == Answer::Silent) {
      // Hung: its locks are taken over, so that the next start reaches this instance instead.
      for (const auto& lock : locks_) QFile::remove(lock.file->fileName());
      lockAndListen();
      return true;
    }
    if (patience.hasExpired()) {
      // It runs, but listens where this start cannot reach it: a session with another runtime
      // folder, or another account. Two programs on one file would each overwrite the other's
      // settings, so this one gives way.
      answered_ = false;
      std::cerr << "sorvant: another Sorvant (process " << holder() << ") is using "
                << pathText(realLocation(file_).make_preferred())
                << " and could not be asked to come to the front; this start ends\n";
      return false;
    }
    QThread::msleep(kRetryMs);
  }
}

qint64 SingleInstance::holder() const {
  qint64 pid = 0;
  for (const auto& lock : locks_)
    if (lock.file->getLockInfo(&pid, nullptr, nullptr)) break;
  return pid;
}

void SingleInstance::unlockAll() {
  for (const auto& lock : locks_) lock.file->unlock();
}

SingleInstance::Locks SingleInstance::lockAndListen() {
  // Every lock, where each can be made: a start that may make no file beside the settings file (a
  // folder that refuses new files) still meets one that may in the shared folder, and the other
  // way round. A lock left by a holder that is gone, which this account may not remove (another
  // account's, in the shared folder), guards nothing and is passed over.
  bool any = false;
  for (const auto& lock : locks_) {
    if (lock.file->tryLock(0)) {
      any = true;
      continue;
    }
    if (lock.file->error() == QLockFile::LockFailedError && holderRuns(*lock.file)) {
      heldKey_ = lock.key;
      unlockAll();
      return Locks::HeldByAnother;
    }
  }
  if (!any) return Locks::Impossible;
  for (const auto& lock : locks_)
    if (lock.file->isLocked()) listen(lock.key);
  return Locks::Taken;
}

void SingleInstance::listen(const QString& key) {
  std::unique_ptr<QLocalServer>& server = servers_[key];
  if (server && server->isListening()) return;
  server = std::make_unique<QLocalServer>();
  QLocalServer* s = server.get();
  connect(s, &QLocalServer::newConnection, this, [this, s] { serveRaiseRequests(*s); });
  s->setSocketOptions(QLocalServer::UserAccessOption);
  const QString name = socketIn(runtimeFolder_, key);
  if (!s->listen(name)) {
    // Left behind by an instance that was killed or hung: the lock says it is ours now.
    QLocalServer::removeServer(name);
    s->listen(name);
  }
}

void SingleInstance::followIdentity() {
  const QString name = identityLockFileName(file_);
  if (name.isEmpty()) return;
  for (const auto& lock : locks_)
    if (lock.file->fileName() == name) return;
  addLock(name, identityKeyOf(realLocation(file_)));
  // Held by another only if it started through a hard link made in these few moments: nothing is
  // left to do about it then.
  if (locks_.back().file->tryLock(0)) listen(locks_.back().key);
}

SingleInstance::Answer SingleInstance::sendRaiseRequest(const QString& socketName, int waitMs,
                                                        const QString& activationToken) const {
  QLocalSocket socket;
  socket.connectToServer(socketName);
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

void SingleInstance::serveRaiseRequests(QLocalServer& server) {
  while (QLocalSocket* socket = server.nextPendingConnection()) {
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
