// Files and folders on Linux and other POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "os/FileSystem.h"

namespace sorvant::os {

namespace fs = std::filesystem;

namespace {

// Gives `fd` to the owner and group of `from`; the group alone where the owner cannot be given (a
// user may pass a file to any group of their own, only an administrator to another user).
void giveAway(int fd, const struct stat& from) {
  if (::fchown(fd, from.st_uid, from.st_gid) == 0) return;
  const int ignored = ::fchown(fd, static_cast<uid_t>(-1), from.st_gid);
  (void)ignored;
}

}  // namespace

int openForReading(const fs::path& path) { return ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY); }

int createNewFile(const fs::path& name) { return ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666); }

int openExistingForWriting(const fs::path& name) {
  return ::open(name.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
}

int openFolderForFlush(const fs::path& folder) { return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); }

bool isRegularFile(int fd) {
  struct stat info = {};
  return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

long readSome(int fd, char* into, std::size_t size) { return static_cast<long>(::read(fd, into, size)); }

long writeSome(int fd, const char* from, std::size_t size) { return static_cast<long>(::write(fd, from, size)); }

bool truncateTo(int fd, std::size_t size) { return ::ftruncate(fd, static_cast<off_t>(size)) == 0; }

int reserve([[maybe_unused]] int fd, [[maybe_unused]] std::size_t size) {
#ifdef __linux__
  struct stat info = {};
  if (::fstat(fd, &info) != 0) return errno;
  if (static_cast<std::size_t>(info.st_size) >= size) return 0;
  const int error = ::posix_fallocate(fd, 0, static_cast<off_t>(size));
  // A file system that cannot reserve is no worse off than without the reservation.
  if (error == EOPNOTSUPP || error == EINVAL) return 0;
  return error;
#else
  return 0;
#endif
}

int flushToDisk(int fd) { return ::fsync(fd); }

int closeFile(int fd) { return ::close(fd); }

// The mode comes last, as a change of owner clears the set-id bits.
void keepOwnerAndMode(int fd, const fs::path& target, const fs::path& folder) {
  struct stat old = {};
  if (::stat(target.c_str(), &old) == 0) {
    giveAway(fd, old);
    ::fchmod(fd, old.st_mode & 07777);
  } else if (::geteuid() == 0 && ::stat(folder.c_str(), &old) == 0) {
    giveAway(fd, old);
  }
}

void giveToParentsOwner(const fs::path& folder) {
  struct stat parent = {};
  if (::geteuid() == 0 && ::stat(folder.parent_path().c_str(), &parent) == 0) {
    const int ignored = ::chown(folder.c_str(), parent.st_uid, parent.st_gid);
    (void)ignored;
  }
}

std::string writeProtection(const fs::path& file) {
  struct stat info = {};
  if (::stat(file.c_str(), &info) != 0) return {};
  if ((info.st_mode & 0222) == 0) return "is write-protected";
  if (::access(file.c_str(), W_OK) == 0) return {};
  if (errno == EROFS) return "is on a read-only file system";
  if (errno == EACCES || errno == EPERM) return "is write-protected";
  return {};
}

bool isFlushUnsupported(int error) { return error == EINVAL || error == ENOTSUP; }

bool isOutOfRoom(int error) { return error == ENOSPC || error == EDQUOT; }

}  // namespace sorvant::os
