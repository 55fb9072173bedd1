// The one-instance guard's system side on Linux and other POSIX systems.
#include "shell/QtInstanceSystem.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <cerrno>

#include "core/PathText.h"
#include "settings/RegularFile.h"

namespace sorvant {

QString machineFolder() { return QStringLiteral("/tmp"); }

QByteArray locationBytes(const std::filesystem::path& location) { return QByteArray::fromStdString(location.native()); }

QByteArray identityBytes(const std::filesystem::path& file) {
  struct stat info = {};
  if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
  return QByteArray("file ") + QByteArray::number(static_cast<qulonglong>(info.st_dev)) + ' ' +
         QByteArray::number(static_cast<qulonglong>(info.st_ino));
}

QString qtNameOf(const std::filesystem::path& path) { return QString::fromStdString(path.native()); }

QString socketIn(const QString& runtimeFolder, const QString& key) {
  return QDir(runtimeFolder).filePath(key + QStringLiteral(".socket"));
}

bool processRuns(qint64 pid) { return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM; }

QString lockThroughFolderHandle([[maybe_unused]] const std::filesystem::path& real, [[maybe_unused]] int& handle) {
#ifdef __linux__
  // Linux names an open folder in /proc/self/fd, a name Qt can spell whatever the folder's own.
  std::filesystem::path besideName = real.filename();
  besideName += ".lock";
  if (!isUtf8Path(besideName) || fileKindAt(real) == FileKind::Other) return {};
  handle = ::open(real.parent_path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (handle < 0) return {};
  return QStringLiteral("/proc/self/fd/%1/").arg(handle) + QString::fromStdString(besideName.native());
#else
  return {};
#endif
}

void closeFolderHandle(int handle) {
  if (handle >= 0) ::close(handle);
}

}  // namespace sorvant
