// The one-instance guard's system side on Windows.
#include "shell/QtInstanceSystem.h"

#include <windows.h>

#include <QDir>

namespace sorvant {

QString machineFolder() {
  const QString data = qEnvironmentVariable("ProgramData");
  return data.isEmpty() ? QStringLiteral("C:/ProgramData") : QDir::fromNativeSeparators(data);
}

// One file, whatever the case of its name.
QByteArray locationBytes(const std::filesystem::path& location) {
  return QString::fromStdWString(location.native()).toLower().toUtf8();
}

// The settings are kept at one fixed path, so the location is enough.
QByteArray identityBytes(const std::filesystem::path&) { return {}; }

QString qtNameOf(const std::filesystem::path& path) { return QString::fromStdWString(path.native()); }

// A named pipe: a name, not a path, and the same for every session of the machine.
QString socketIn(const QString&, const QString& key) { return key; }

bool processRuns(qint64 pid) {
  const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
  if (process == nullptr) return ::GetLastError() == ERROR_ACCESS_DENIED;
  const bool running = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  ::CloseHandle(process);
  return running;
}

// Names are UTF-16: Qt can spell every folder.
QString lockThroughFolderHandle(const std::filesystem::path&, int&) { return {}; }

void closeFolderHandle(int) {}

}  // namespace sorvant
