#include "settings/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <system_error>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace sorvant {

namespace fs = std::filesystem;

namespace {

// A settings file is a few hundred bytes; no more than this of a larger one is held in memory.
constexpr std::size_t kLargest = 64 * 1024;

#ifdef _WIN32
int openForReading(const fs::path& path) { return ::_wopen(path.c_str(), _O_RDONLY | _O_BINARY); }
bool isRegularFd(int fd) {
  struct _stat64 info = {};
  return ::_fstat64(fd, &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFREG;
}
int readSome(int fd, char* into, std::size_t size) { return ::_read(fd, into, static_cast<unsigned>(size)); }
void closeFile(int fd) { ::_close(fd); }
#else
// Without waiting: a FIFO put in place since the look would otherwise block until a writer came.
int openForReading(const fs::path& path) { return ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY); }
bool isRegularFd(int fd) {
  struct stat info = {};
  return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}
ssize_t readSome(int fd, char* into, std::size_t size) { return ::read(fd, into, size); }
void closeFile(int fd) { ::close(fd); }
#endif

}  // namespace

bool isRegularFile(int fd) { return isRegularFd(fd); }

FileKind fileKindAt(const fs::path& path) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (status.type() == fs::file_type::not_found) return FileKind::Missing;
  if (status.type() == fs::file_type::regular) return FileKind::Regular;
  return FileKind::Other;
}

std::string describeKind(const fs::path& path) {
  std::error_code ec;
  switch (fs::status(path, ec).type()) {
    case fs::file_type::character:
      return "a character device";
    case fs::file_type::block:
      return "a block device";
    case fs::file_type::fifo:
      return "a FIFO";
    case fs::file_type::socket:
      return "a socket";
    case fs::file_type::directory:
      return "a folder";
    default:
      break;
  }
  if (ec) return "a link that cannot be followed (" + ec.message() + ")";
  return "not a regular file";
}

namespace {

FileRead readFile(const fs::path& path) {
  using Status = FileRead::Status;
  switch (fileKindAt(path)) {
    case FileKind::Missing:
      return {Status::Missing, {}, {}};
    case FileKind::Other:
      return {Status::NotAFile, {}, describeKind(path)};
    case FileKind::Regular:
      break;
  }
  const int fd = openForReading(path);
  if (fd < 0) {
    const int error = errno;
    if (error == ENOENT) return {Status::Missing, {}, {}};
    return {Status::Unreadable, {}, std::generic_category().message(error)};
  }
  if (!isRegularFile(fd)) {
    closeFile(fd);
    return {Status::NotAFile, {}, describeKind(path)};
  }
  FileRead result{Status::Read, {}, {}};
  char buffer[4096];
  for (;;) {
    const auto n = readSome(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      result = {Status::Unreadable, {}, std::generic_category().message(errno)};
      break;
    }
    if (n == 0) break;
    result.text.append(buffer, static_cast<std::size_t>(n));
    // The reader never looks past line 46, which lies far inside this.
    if (result.text.size() > kLargest) break;
  }
  closeFile(fd);
  return result;
}

}  // namespace

FileRead readRegularFile(const fs::path& path) {
  FileRead result = readFile(path);
  std::error_code ec;
  result.viaLink = fs::is_symlink(fs::symlink_status(path, ec));
  return result;
}

}  // namespace sorvant
