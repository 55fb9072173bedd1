#pragma once
// One running program per settings file. The running one holds a lock keyed on the file's real
// location (links and linked folders resolved) and listens on a local socket; a later start finds the
// lock, asks the running one to come to the front and ends, before it has touched the serial port or
// the settings file.
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace sorvant {

class SingleInstance final : public QObject {
  Q_OBJECT

 public:
  // `settingsFile` is what is guarded. The lock lives beside the file's real location, and also in a
  // folder every account of the machine shares, so that starts with other runtime folders, through
  // other links or as another account still find it, and one that may make no file beside it is still
  // guarded. The socket lives in `runtimeFolder` (private to the user, emptied at each boot). A running
  // instance that has not answered within `answerMs` counts as hung.
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
  static QString realLocation(const QString& settingsFile);
  // The socket a later start reaches the running one on.
  static QString socketName(const QString& settingsFile, const QString& runtimeFolder);
  // The lock beside the file (none beside what is not a regular file: a device's folder is no
  // place for it), and the one in the folder all accounts share.
  static QString lockFileName(const QString& settingsFile);
  static QString sharedLockFileName(const QString& settingsFile);

 private:
  enum class Answer { Raised, Absent, Silent };
  enum class Locks { Taken, HeldByAnother, Impossible };
  Locks lockAndListen();
  void unlockAll();
  qint64 holder() const;

  // The two ends of a raise request: the later start sends it, the running one serves it.
  Answer sendRaiseRequest(int waitMs, const QString& activationToken) const;
  void serveRaiseRequests();

  QString file_;
  QString socketName_;
  int answerMs_;
  bool answered_ = true;
  std::vector<std::unique_ptr<QLockFile>> locks_;  // beside the file where it may be, then shared
  QLocalServer server_;
  std::function<void(const QString&)> raise_;
};

// Restores the window from minimised (keeping it maximised), shows it, raises it and activates it.
void bringToFront(QWidget& window);

}  // namespace sorvant
