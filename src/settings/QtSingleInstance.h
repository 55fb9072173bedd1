#pragma once
// One running program per settings folder. The running one holds a lock file and listens on a local
// socket; a later start finds the lock, asks the running one to come to the front and ends, before it
// has touched the serial port or the settings file.
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace sorvant {

class SingleInstance final : public QObject {
  Q_OBJECT

 public:
  // `settingsFolder` names what is guarded; the lock file and the socket live in `runtimeFolder`
  // (private to the user, emptied at each boot). A running instance that has not answered within
  // `answerMs` counts as hung.
  SingleInstance(const QString& settingsFolder, const QString& runtimeFolder, int answerMs = 5000);
  ~SingleInstance() override;

  // True when this process is now the one instance: none was running, the last one is gone (its
  // lock is stale) or hung (it did not answer in time). False when the running instance answered
  // that it came to the front: this start should end at once. `activationToken` (the launcher's
  // permission to raise a window, where there is one) goes with the request.
  bool claim(const QString& activationToken = QString());
  // What the running instance does when a later start asks for it, with that start's token (empty
  // when it had none).
  void onRaiseRequest(std::function<void(const QString& activationToken)> handler) { raise_ = std::move(handler); }

  // The socket a later start reaches the running one on, and the running one's lock file.
  static QString socketName(const QString& settingsFolder, const QString& runtimeFolder);
  static QString lockFileName(const QString& settingsFolder, const QString& runtimeFolder);

 private:
  enum class Answer { Raised, Absent, Silent };
  Answer askRunningInstance(int waitMs, const QString& activationToken) const;
  bool lockAndListen();
  void answer();

  QString socketName_;
  QString lockName_;
  int answerMs_;
  std::unique_ptr<QLockFile> lock_;
  QLocalServer server_;
  std::function<void(const QString&)> raise_;
};

// Restores the window from minimised (keeping it maximised), shows it, raises it and activates it.
void bringToFront(QWidget& window);

}  // namespace sorvant
