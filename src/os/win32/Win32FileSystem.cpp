// Files and folders on Windows, through the C runtime's descriptors. Names are opened as UTF-16, so
// every name the file system holds can be reached.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <system_error>

#include "os/FileSystem.h"

namespace sorvant::os {

namespace fs = std::filesystem;

int openForReading(const fs::path& path) { return ::_wopen(path.c_str(), _O_RDONLY | _O_BINARY); }

int createNewFile(const fs::path& name) {
  return ::_wopen(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}

int openExistingForWriting(const fs::path& name) { return ::_wopen(name.c_str(), _O_WRONLY | _O_BINARY); }

// A folder's entries reach the disk with the rename itself.
int openFolderForFlush(const fs::path&) { return -1; }

bool isRegularFile(int fd) {
  struct _stat64 info = {};
  return ::_fstat64(fd, &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFREG;
}

long readSome(int fd, char* into, std::size_t size) { return ::_read(fd, into, static_cast<unsigned>(size)); }

long writeSome(int fd, const char* from, std::size_t size) { return ::_write(fd, from, static_cast<unsigned>(size)); }

bool truncateTo(int fd, std::size_t size) { return ::_chsize_s(fd, static_cast<long long>(size)) == 0; }

int reserve(int, std::size_t) { return 0; }

int flushToDisk(int fd) { return ::_commit(fd); }

int closeFile(int fd) { return ::_close(fd); }

// A new file takes the permissions its folder passes on: there is no owner or mode to carry over.
void keepOwnerAndMode(int, const fs::path&, const fs::path&) {}

void giveToParentsOwner(const fs::path&) {}

std::string writeProtection(const fs::path& file) {
  std::error_code ec;
  const fs::file_status s = fs::status(file, ec);
  if (fs::exists(s) && (s.permissions() & fs::perms::owner_write) == fs::perms::none) return "is write-protected";
  return {};
}

bool isFlushUnsupported(int error) {
  return error == EINVAL
#ifdef ENOTSUP
         || error == ENOTSUP
#endif
      ;
}

bool isOutOfRoom(int error) {
  return error == ENOSPC
#ifdef EDQUOT
         || error == EDQUOT
#endif
      ;
}

}  // namespace sorvant::os
