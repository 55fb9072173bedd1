#pragma once
// One running program per settings file. The running one holds locks keyed on the file's real
// location (links and linked folders resolved) and on the file's identity (its device and inode, the
// same for every hard link to it), and listens on a local socket for each; a later start finds a
// lock, asks the running one to come to the front and ends, before it has touched the serial port or
// the settings file.
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QWidget;

namespace sorvant {

class SingleInstance final : public QObject {
  Q_OBJECT

 public:
  // `settingsFile` is what is guarded, by any name the system gives it (a folder named in Latin-1
  // included). The lock lives beside the file's real location, and also in a folder every account of
  // the machine shares, so that starts with other runtime folders, through other links or as another
  // account still find it, and one that may make no file beside it is still guarded; a third lock
  // there is keyed on the file's identity, taken as soon as the file exists, so a start through a hard
  // link to it finds it too. The sockets live in `runtimeFolder` (private to the user, emptied at
  // each boot). A running instance that has not answered within `answerMs` counts as hung.
  SingleInstance(const std::filesystem::path& settingsFile, const QString& runtimeFolder, int answerMs = 5000);
  // The same for a file named by text.
  SingleInstance(const QString& settingsFile, const QString& runtimeFolder, int answerMs = 5000);
  ~SingleInstance() override;

  // True when this process is now the one instance: none was running, the last one is gone (its
  // lock is stale) or hung (it did not answer in time). False when this start should end at once:
  // the running instance came to the front, or it runs where it cannot be asked (another runtime
  // folder, another account), which standard error says. `activationToken` (the launcher's
  // permission to raise a window, where there is one) goes with the request.
  bool claim(const QString& activationToken = QString());
  // False after claim() found a running instance that could not be asked to come to the front.
  bool answered() const { return answered_; }
  // What the running instance does when a later start asks for it, with that start's token (empty
  // when it had none).
  void onRaiseRequest(std::function<void(const QString& activationToken)> handler) { raise_ = std::move(handler); }

  // The file's real location: links followed, the folder's own links resolved.
  static std::filesystem::path realLocation(const std::filesystem::path& settingsFile);
  // The socket a later start that reaches the file by its location finds the running one on.
  static QString socketName(const std::filesystem::path& settingsFile, const QString& runtimeFolder);
  // The lock beside the file (none beside what is not a regular file: a device's folder is no
  // place for it, nor where the name has no text form Qt can open), and the one in the folder all
  // accounts share.
  static QString lockFileName(const std::filesystem::path& settingsFile);
  static QString sharedLockFileName(const std::filesystem::path& settingsFile);
  // The lock in the shared folder keyed on the file's identity; empty while there is no file.
  static QString identityLockFileName(const std::filesystem::path& settingsFile);
  // The same for a file named by text.
  static QString realLocation(const QString& settingsFile);
  static QString lockFileName(const QString& settingsFile);
  static QString sharedLockFileName(const QString& settingsFile);

 private:
  enum class Answer { Raised, Absent, Silent };
  enum class Locks { Taken, HeldByAnother, Impossible };
  struct Lock {
    std::unique_ptr<QLockFile> file;
    QString key;  // whose socket the holder listens on
  };
  void addLock(const QString& name, const QString& key);
  Locks lockAndListen();
  void listen(const QString& key);
  void unlockAll();
  qint64 holder() const;
  // Takes the identity lock of a file that start-up has made or replaced since the claim.
  void followIdentity();

  // The two ends of a raise request: the later start sends it, the running one serves it.
  Answer sendRaiseRequest(const QString& socket, int waitMs, const QString& activationToken) const;
  void serveRaiseRequests(QLocalServer& server);

  std::filesystem::path file_;
  QString runtimeFolder_;
  int answerMs_;
  bool answered_ = true;
  int folderHandle_ = -1;    // keeps the folder of a lock reached by its handle (a name Qt cannot spell)
  std::vector<Lock> locks_;  // beside the file where it may be, then shared: location, identity
  QString heldKey_;          // the key of the lock another instance was found holding
  std::map<QString, std::unique_ptr<QLocalServer>> servers_;
  std::function<void(const QString&)> raise_;
};

// Restores the window from minimised (keeping it maximised), shows it, raises it and activates it.
void bringToFront(QWidget& window);

}  // namespace sorvant
