#pragma once
// The operating system's side of the one-instance guard: where shared locks live, how names and
// files are told apart, and whether a lock's holder still runs. Defined once per system (posix/,
// windows/).
#include <QByteArray>
#include <QString>
#include <filesystem>

namespace sorvant {

// A folder on this machine that every account may make files in, and that every session sees alike
// whatever its environment says.
QString machineFolder();
// The bytes a file's real location is known by: the same for every spelling the system treats as
// the same name (Windows ignores case), and for a name that is not UTF-8 too.
QByteArray locationBytes(const std::filesystem::path& location);
// The bytes of the file's identity, the same by every name it has (hard links); empty while there is
// no regular file, and always where the settings are kept at one fixed path (Windows).
QByteArray identityBytes(const std::filesystem::path& file);
// The name Qt opens for a path whose name is UTF-8.
QString qtNameOf(const std::filesystem::path& path);
// The name of the local socket (or pipe) that serves `key`, for the runtime folder given.
QString socketIn(const QString& runtimeFolder, const QString& key);
// True unless the process is known to be gone (one of another user may not be looked at).
bool processRuns(qint64 pid);
// The lock beside the file at its real location `real`, reached through a handle of this process on
// its folder, for a folder whose name Qt cannot spell; the handle goes into `handle` (closed with
// closeFolderHandle). Empty where no such handle can be had.
QString lockThroughFolderHandle(const std::filesystem::path& real, int& handle);
void closeFolderHandle(int handle);

}  // namespace sorvant
