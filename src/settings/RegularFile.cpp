#include "settings/RegularFile.h"

#include <cerrno>
#include <system_error>

#include "os/FileSystem.h"

namespace sorvant {

namespace fs = std::filesystem;

namespace {

// A settings file is a few hundred bytes; no more than this of a larger one is held in memory.
constexpr std::size_t kLargest = 64 * 1024;

}  // namespace

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
  const int fd = os::openForReading(path);
  if (fd < 0) {
    const int error = errno;
    if (error == ENOENT) return {Status::Missing, {}, {}};
    return {Status::Unreadable, {}, std::generic_category().message(error)};
  }
  if (!os::isRegularFile(fd)) {
    os::closeFile(fd);
    return {Status::NotAFile, {}, describeKind(path)};
  }
  FileRead result{Status::Read, {}, {}};
  char buffer[4096];
  for (;;) {
    const long n = os::readSome(fd, buffer, sizeof buffer);
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
  os::closeFile(fd);
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
