#include "settings/FileReplace.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <random>
#include <system_error>
#include <vector>

#include "core/PathText.h"
#include "settings/RegularFile.h"
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace sorvant {

namespace fs = std::filesystem;

namespace {

// The same bound the kernel puts on a chain of links.
constexpr int kMostLinks = 40;
// Names already taken are skipped; this many collisions in a row means something else is wrong.
constexpr int kNameTries = 100;

#ifdef _WIN32
int platformSync(int fd) { return ::_commit(fd); }
#else
int platformSync(int fd) { return ::fsync(fd); }
#endif

std::string describe(int error) { return std::generic_category().message(error); }

// A flush that the file system cannot do (a special file, a file system without flushing) is no
// failure: there is nothing more to get to the disk.
bool flushed(int fd) {
  if (syncToDisk(fd) == 0) return true;
  return errno == EINVAL
#ifdef ENOTSUP
         || errno == ENOTSUP
#endif
      ;
}

// <name>.<six random letters and digits>.tmp, in the folder of the file it will replace.
constexpr std::size_t kRandomLength = 6;
constexpr std::string_view kTemporaryEnd = ".tmp";
// A temporary file this old belongs to no write still going on: its writer was killed.
constexpr auto kLeftoverAge = std::chrono::minutes(1);

fs::path temporaryName(const fs::path& target) {
  static constexpr char kSymbols[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::random_device seed;
  std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof kSymbols) - 2);
  std::string suffix = ".";
  for (std::size_t i = 0; i < kRandomLength; ++i) suffix += kSymbols[pick(seed)];
  fs::path name = target;
  name += suffix + std::string(kTemporaryEnd);
  return name;
}

// Removes the temporary files that writers killed mid-write left beside the target.
// Names are compared as the system keeps them: a neighbour whose name has no text form (not UTF-8, or
// not in the Windows code page) is passed over, never a reason to stop.
void removeLeftovers(const fs::path& target, const fs::path& folder) {
  using Name = fs::path::string_type;
  const Name start = target.filename().native() + fs::path::value_type('.');
  const Name end = fs::path(std::string(kTemporaryEnd)).native();
  const auto oldest = fs::file_time_type::clock::now() - kLeftoverAge;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), last; !ec && it != last; it.increment(ec)) {
    const Name name = it->path().filename().native();
    if (name.size() != start.size() + kRandomLength + end.size() || !name.starts_with(start) || !name.ends_with(end))
      continue;
    std::error_code ignored;
    if (it->is_regular_file(ignored) && it->last_write_time(ignored) < oldest) fs::remove(it->path(), ignored);
  }
}

// Creates a file that did not exist before: no other writer can share it, or truncate it.
int createExclusiveFile(const fs::path& name) {
#ifdef _WIN32
  return ::_wopen(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
  return ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
}

bool writeAll(int fd, std::string_view text) {
  while (!text.empty()) {
#ifdef _WIN32
    const int n = ::_write(fd, text.data(), static_cast<unsigned>(text.size()));
#else
    const ssize_t n = ::write(fd, text.data(), text.size());
#endif
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

int closeFile(int fd) {
#ifdef _WIN32
  return ::_close(fd);
#else
  return ::close(fd);
#endif
}

#ifndef _WIN32
// Gives `fd` to the owner and group of `from`; the group alone where the owner cannot be given (a
// user may pass a file to any group of their own, only an administrator to another user).
void giveAway(int fd, const struct stat& from) {
  if (::fchown(fd, from.st_uid, from.st_gid) == 0) return;
  const int ignored = ::fchown(fd, static_cast<uid_t>(-1), from.st_gid);
  (void)ignored;
}
#endif

// The new file keeps the owner, group and permissions the old one had (0600 for a private file): one
// run as administrator must not take the file away from the user who keeps it. A file new to a
// folder, made by an administrator, goes to the folder's owner for the same reason. The mode comes
// last, as a change of owner clears the set-id bits.
void keepOwnerAndMode([[maybe_unused]] int fd, [[maybe_unused]] const fs::path& target,
                      [[maybe_unused]] const fs::path& folder) {
#ifndef _WIN32
  struct stat old = {};
  if (::stat(target.c_str(), &old) == 0) {
    giveAway(fd, old);
    ::fchmod(fd, old.st_mode & 07777);
  } else if (::geteuid() == 0 && ::stat(folder.c_str(), &old) == 0) {
    giveAway(fd, old);
  }
#endif
}

// Opens an existing file for writing without creating it or waiting on it; -1 with errno otherwise.
int openExisting(const fs::path& name) {
#ifdef _WIN32
  return ::_wopen(name.c_str(), _O_WRONLY | _O_BINARY);
#else
  return ::open(name.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
#endif
}

bool truncateTo(int fd, std::size_t size) {
#ifdef _WIN32
  return ::_chsize_s(fd, static_cast<long long>(size)) == 0;
#else
  return ::ftruncate(fd, static_cast<off_t>(size)) == 0;
#endif
}

// Makes the file `fd` at least `size` bytes long in blocks the file system has handed out, so the
// rewrite below cannot run out of room halfway. 0 on success, or the error number.
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

// Where no file can be made beside the target, or the target has other names: its own content
// replaced through the file itself, written over from the start and cut to length, so nothing is
// freed before the new content is down, then flushed. Owner, mode and links stay as they were.
ReplaceResult rewriteInPlace(const fs::path& target, std::string_view text) {
  const int fd = openExisting(target);
  if (fd < 0) return {ReplaceStatus::Failed, pathText(target) + ": " + describe(errno)};
  if (!isRegularFile(fd)) {
    closeFile(fd);
    return {ReplaceStatus::NotAFile, pathText(target) + " is " + describeKind(target) + ", not a regular file"};
  }
  if (const int error = reserve(fd, text.size())) {
    closeFile(fd);
    return {ReplaceStatus::Failed, pathText(target) + ": " + describe(error)};
  }
  bool ok = writeAll(fd, text) && truncateTo(fd, text.size()) && flushed(fd);
  int error = errno;
  if (closeFile(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (!ok) return {ReplaceStatus::Failed, pathText(target) + ": " + describe(error)};
  return {ReplaceStatus::Written, {}};
}

// The file as a message names it: the file itself, and the link it was reached through.
std::string shownName(const fs::path& target, const fs::path& path) {
  if (target == path) return pathText(target);
  return pathText(target) + " (linked from " + pathText(path) + ")";
}

// A write that ran out of room: the old file's own blocks may still hold the new content.
bool outOfRoom(int error) {
  return error == ENOSPC
#ifdef EDQUOT
         || error == EDQUOT
#endif
      ;
}

// More names than this one lead to the file (hard links): a rename would leave the others behind.
bool hasOtherNames(const fs::path& file) {
  std::error_code ec;
  const auto links = fs::hard_link_count(file, ec);
  return !ec && links > 1;
}

// The rename itself must reach the disk too, or a power cut can bring back the old name's content.
void flushFolder([[maybe_unused]] const fs::path& folder) {
#ifndef _WIN32
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  flushed(fd);
  ::close(fd);
#endif
}

// Replaces `to` by `from` in one step; false says why in errno, as the calls before it do.
bool renameOver(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  fs::rename(from, to, ec);
  if (ec) errno = ec.value();
  return !ec;
}

}  // namespace

SyncCall syncToDisk = &platformSync;
CreateCall createNewFile = &createExclusiveFile;

fs::path linkTarget(const fs::path& path) {
  fs::path at = path;
  for (int hop = 0; hop <= kMostLinks; ++hop) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(at, ec))) return at;
    const fs::path next = fs::read_symlink(at, ec);
    if (ec) return {};
    at = next.is_absolute() ? next : at.parent_path() / next;
  }
  return {};
}

std::string writeProtection(const fs::path& file) {
#ifdef _WIN32
  std::error_code ec;
  const fs::file_status s = fs::status(file, ec);
  if (fs::exists(s) && (s.permissions() & fs::perms::owner_write) == fs::perms::none) return "is write-protected";
  return {};
#else
  struct stat info = {};
  if (::stat(file.c_str(), &info) != 0) return {};
  if ((info.st_mode & 0222) == 0) return "is write-protected";
  if (::access(file.c_str(), W_OK) == 0) return {};
  if (errno == EROFS) return "is on a read-only file system";
  if (errno == EACCES || errno == EPERM) return "is write-protected";
  return {};
#endif
}

bool isWriteProtected(const fs::path& file) { return !writeProtection(file).empty(); }

ReplaceResult replaceFile(const fs::path& path, std::string_view text) {
  const fs::path target = linkTarget(path);
  if (target.empty()) return {ReplaceStatus::Failed, pathText(path) + ": a link that leads nowhere"};
  const FileKind kind = fileKindAt(target);
  if (kind == FileKind::Other)
    return {ReplaceStatus::NotAFile, pathText(target) + " is " + describeKind(target) + ", not a regular file"};
  if (const std::string protection = writeProtection(target); !protection.empty())
    return {ReplaceStatus::ReadOnly, pathText(target) + " " + protection};
  if (kind == FileKind::Regular && hasOtherNames(target)) return rewriteInPlace(target, text);
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();

  fs::path temporary;
  int fd = -1;
  for (int attempt = 0; attempt < kNameTries && fd < 0; ++attempt) {
    temporary = temporaryName(target);
    fd = createNewFile(temporary);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    const int error = errno;
    // Whatever keeps a new file from being made (a folder that refuses new files, no inodes left, a
    // quota, no descriptors left), the file itself may still take the new content.
    if (kind == FileKind::Regular) return rewriteInPlace(target, text);
    return {ReplaceStatus::Failed,
            shownName(target, path) + " cannot be made in " + pathText(folder) + ": " + describe(error)};
  }

  keepOwnerAndMode(fd, target, folder);
  bool ok = writeAll(fd, text) && flushed(fd);
  int error = errno;
  if (closeFile(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    std::error_code ec;
    fs::remove(temporary, ec);
    if (kind == FileKind::Regular && outOfRoom(error)) return rewriteInPlace(target, text);
    return {ReplaceStatus::Failed, shownName(target, path) + ": " + describe(error)};
  }
  if (!renameOver(temporary, target)) {
    error = errno;
    std::error_code ec;
    fs::remove(temporary, ec);
    return {ReplaceStatus::Failed, shownName(target, path) + ": " + describe(error)};
  }
  flushFolder(folder);
  removeLeftovers(target, folder);
  return {ReplaceStatus::Written, {}};
}

void createFolders(const fs::path& folder) {
  std::vector<fs::path> missing;
  std::error_code ec;
  for (fs::path at = folder; !at.empty() && !fs::exists(fs::symlink_status(at, ec)); at = at.parent_path()) {
    missing.push_back(at);
    if (at == at.parent_path()) break;
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (!fs::create_directory(*it, ec)) return;
#ifndef _WIN32
    struct stat parent = {};
    if (::geteuid() == 0 && ::stat(it->parent_path().c_str(), &parent) == 0) {
      const int ignored = ::chown(it->c_str(), parent.st_uid, parent.st_gid);
      (void)ignored;
    }
#endif
  }
}

}  // namespace sorvant
